// The application window: the hidden top-level window that carries the
// taskbar button and owns the program's other windows.
#include "ui_anim_fixture.h"

namespace {

using namespace animtest;

using AppWindow = Program;

TEST_F(AppWindow, OwnsTheMainWindowAndTheDialogsAndTakesNoRoom)
{
    StartProgram();
    HWND app = AppWnd();
    EXPECT_EQ(nullptr, GetWindow(app, GW_OWNER));
    EXPECT_TRUE(IsWindowVisible(app));  // listed on the taskbar ...
    EXPECT_TRUE(SameRect(RECT{0, 0, 0, 0}, WindowRect(app)));  // ... covering nothing
    EXPECT_FALSE(GetWindowLongA(app, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ("Lexprobe", apptest::Text(app));
    EXPECT_EQ(app, GetWindow(Main(), GW_OWNER));
    EXPECT_EQ(app, GetWindow(form_->optForm().hwnd(), GW_OWNER));
    EXPECT_EQ(app, GetWindow(form_->aboutDlg().hwnd(), GW_OWNER));
    EXPECT_EQ(form_.get(), Application::Instance().mainForm());
}

TEST_F(AppWindow, CloseFromTheTaskbarClosesTheMainWindow)
{
    StartProgram();
    SendMessageA(AppWnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(form_->Destroyed());
    EXPECT_TRUE(IsWindow(AppWnd()));  // it goes when the program ends
}

TEST_F(AppWindow, PassesTheActivationOnToTheMainWindow)
{
    StartProgram();
    SetActiveWindow(AppWnd());
    apptest::Pump();
    EXPECT_EQ(Main(), GetActiveWindow());
}

TEST_F(AppWindow, OnlyTheFirstFormIsTheMainWindow)
{
    StartProgram();
    {
        MainForm second;
        MainForm::Options o;
        o.dictionaryPath = dict_;
        o.quitOnDestroy = false;
        ASSERT_TRUE(second.Create(GetModuleHandleA(nullptr), o));
        EXPECT_EQ(form_.get(), Application::Instance().mainForm());
        EXPECT_FALSE(second.animateWindow1().ApplicationHooked());
    }
    // The second form's going changes nothing for the first.
    EXPECT_EQ(form_.get(), Application::Instance().mainForm());
    EXPECT_TRUE(form_->animateWindow1().ApplicationHooked());
    SendMessageA(AppWnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_EQ(1, minimized_);
}

// A modal run disables the program's windows that were enabled and enables
// exactly those again.
TEST(TaskWindows, DisabledForAModalRunAndEnabledAgainAfterIt)
{
    auto make = [](DWORD style) {
        return CreateWindowExA(0, "STATIC", "", WS_POPUP | WS_VISIBLE | style, 0, 0, 10, 10,
                               nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    };
    loom::WindowHandle enabled(make(0)), disabled(make(WS_DISABLED)), hidden(make(0)),
        modal(make(0));
    ShowWindow(hidden.get(), SW_HIDE);
    {
        lex::TaskWindowsDisabled scope(modal.get());
        EXPECT_FALSE(IsWindowEnabled(enabled.get()));
        EXPECT_FALSE(IsWindowEnabled(disabled.get()));
        EXPECT_TRUE(IsWindowEnabled(hidden.get()));
        EXPECT_TRUE(IsWindowEnabled(modal.get()));
    }
    EXPECT_TRUE(IsWindowEnabled(enabled.get()));
    EXPECT_FALSE(IsWindowEnabled(disabled.get()));  // it was disabled before
    EXPECT_TRUE(IsWindowEnabled(hidden.get()));
}

} // namespace
