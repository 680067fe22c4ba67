// The window animation component on the real windows of this process: the
// system commands and activation messages that the taskbar, the minimise
// box and the system send, and where they leave the application window,
// the main window and the restore flag.
#include "ui_anim_fixture.h"

namespace {

using namespace animtest;

constexpr WPARAM kMinimize = SC_MINIMIZE;
constexpr WPARAM kRestore = SC_RESTORE;

// A plain form of the program other than the main window, owned by the
// application window; its window can be made again.
class TestForm : public lex::Form {
public:
    TestForm() { CreateWnd(); }
    ~TestForm() { DestroyWnd(); }
    HWND hwnd() const override { return wnd_; }

    void CreateWnd()
    {
        WNDCLASSA wc = {};
        if (!GetClassInfoA(GetModuleHandleA(nullptr), "AnimTestForm", &wc)) {
            wc.lpfnWndProc = DefWindowProcA;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "AnimTestForm";
            RegisterClassA(&wc);
        }
        wnd_ = CreateWindowExA(0, "AnimTestForm", "test form", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                               300, 200, 320, 240, Application::Instance().handle(), nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
    void DestroyWnd()
    {
        if (wnd_)
            DestroyWindow(wnd_);
        wnd_ = nullptr;
    }

private:
    HWND wnd_ = nullptr;
};

// Records where the application window is placed while it is not
// minimised.  It sits in front of the component's procedure and must go
// before the component does.
class PlaceRecorder {
public:
    explicit PlaceRecorder(HWND wnd) : wnd_(wnd)
    {
        self_ = this;
        prev_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(Proc)));
    }
    ~PlaceRecorder()
    {
        SetWindowLongPtrA(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(prev_));
        self_ = nullptr;
    }
    std::vector<RECT> places;

    // True when `first` was taken at some point and `last` was the last place.
    bool WentThrough(const RECT &first, const RECT &last) const
    {
        bool seen = false;
        for (const RECT &r : places)
            seen = seen || SameRect(r, first);
        return seen && !places.empty() && SameRect(places.back(), last);
    }
    std::string Dump() const
    {
        std::string s;
        for (const RECT &r : places)
            s += Describe(r) + " ";
        return s;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_WINDOWPOSCHANGED && !IsIconic(hwnd))
            self_->places.push_back(WindowRect(hwnd));
        return CallWindowProcA(self_->prev_, hwnd, msg, wp, lp);
    }
    static PlaceRecorder *self_;
    HWND wnd_;
    WNDPROC prev_;
};
PlaceRecorder *PlaceRecorder::self_ = nullptr;

const RECT kNoPlace = {0, 0, 0, 0};

class Anim : public Program {
protected:
    // Minimises the program as the taskbar button does.
    void MinimizeProgram()
    {
        SendMessageA(AppWnd(), WM_SYSCOMMAND, kMinimize, 0);
        ASSERT_TRUE(IsIconic(AppWnd()));
    }
};

// ---- Minimise ------------------------------------------------------------------

TEST_F(Anim, MinimiseStartsAtTheMainWindowsTopEdgeAndHidesTheMainWindow)
{
    const struct {
        bool fromMainWindow;  // the main window's minimise box, else the taskbar button
        const char *what;
    } cases[] = {{true, "main window's minimise command"}, {false, "taskbar's minimise command"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        StartProgram();
        SetWindowPos(Main(), nullptr, 120, 90, 560, 200, SWP_NOZORDER);
        RECT main = WindowRect(Main());
        {
            PlaceRecorder recorder(AppWnd());
            SendMessageA(c.fromMainWindow ? Main() : AppWnd(), WM_SYSCOMMAND, kMinimize, 0);
            // The last place before the system minimised it: the top edge.
            ASSERT_FALSE(recorder.places.empty());
            EXPECT_TRUE(SameRect(TopEdge(main), recorder.places.back())) << recorder.Dump();
        }
        EXPECT_TRUE(IsIconic(AppWnd()));
        EXPECT_TRUE(SameRect(TopEdge(main), NormalRect(AppWnd()))) << Describe(NormalRect(AppWnd()));
        EXPECT_FALSE(IsIconic(Main()));
        EXPECT_FALSE(IsWindowVisible(Main()));  // gone with the application window
        EXPECT_EQ(1, minimized_);
        EXPECT_EQ(1, TAnimateWindow::RestoreFlag());
        form_.reset();
        Application::Instance().DestroyHandle();
        minimized_ = 0;
    }
}

// Only the exact command is taken over; the system's own values with low
// bits set (from the mouse or the keyboard) go the standard way.
TEST_F(Anim, MinimiseValuesWithLowBitsSetAreNotTakenOver)
{
    StartProgram();
    for (WPARAM bits : {WPARAM(1), WPARAM(2), WPARAM(8), WPARAM(15)}) {
        SCOPED_TRACE(bits);
        SendMessageA(Main(), WM_SYSCOMMAND, kMinimize | bits, 0);
        EXPECT_TRUE(IsIconic(Main()));  // the main window alone
        EXPECT_FALSE(IsIconic(AppWnd()));
        ShowWindow(Main(), SW_RESTORE);

        SendMessageA(AppWnd(), WM_SYSCOMMAND, kMinimize | bits, 0);
        EXPECT_TRUE(IsIconic(AppWnd()));
        // Minimised where it was, at 0, 0 with no size.
        EXPECT_TRUE(SameRect(kNoPlace, NormalRect(AppWnd()))) << Describe(NormalRect(AppWnd()));
        ShowWindow(AppWnd(), SW_RESTORE);
        EXPECT_EQ(0, minimized_);
    }
}

TEST_F(Anim, AnotherFormsMinimiseIsPassedToTheApplicationWindow)
{
    StartProgram();
    TestForm other;
    TAnimateWindow component(other);
    component.SetParentComponent(other);
    EXPECT_FALSE(component.ApplicationHooked());  // only the main window's serves it
    // The hook follows the form's window when it is made again.
    other.DestroyWnd();
    EXPECT_FALSE(component.FormHooked());
    other.CreateWnd();
    component.SetParentComponent(other);
    EXPECT_TRUE(component.FormHooked());
    SendMessageA(other.hwnd(), WM_SYSCOMMAND, kMinimize, 0);
    EXPECT_FALSE(IsIconic(AppWnd()));  // posted, not yet handled
    EXPECT_FALSE(IsIconic(other.hwnd()));
    apptest::Pump();
    EXPECT_TRUE(IsIconic(AppWnd()));
    EXPECT_FALSE(IsWindowVisible(other.hwnd()));
    EXPECT_EQ(1, minimized_);
    // From the main window's top edge, since the main window's component
    // minimised the program.
    EXPECT_TRUE(SameRect(TopEdge(WindowRect(Main())), NormalRect(AppWnd())));
}

TEST_F(Anim, MinimiseWithAModalDialogOpenEnablesTheApplicationWindow)
{
    StartProgram();
    bool ran = false;
    lex::OptForm::SetShowHook([&](HWND dialog) {
        ran = true;
        EXPECT_EQ(AppWnd(), GetWindow(dialog, GW_OWNER));
        EXPECT_FALSE(IsWindowEnabled(AppWnd()));
        EXPECT_FALSE(IsWindowEnabled(Main()));

        SendMessageA(AppWnd(), WM_SYSCOMMAND, kMinimize, 0);
        EXPECT_TRUE(IsIconic(AppWnd()));
        EXPECT_TRUE(IsWindowEnabled(AppWnd()));
        EXPECT_FALSE(IsWindowVisible(dialog));
        EXPECT_FALSE(IsWindowVisible(Main()));
        EXPECT_EQ(1, minimized_);

        SendMessageA(AppWnd(), WM_SYSCOMMAND, kRestore, 0);
        EXPECT_FALSE(IsIconic(AppWnd()));
        EXPECT_TRUE(IsWindowVisible(dialog));
        EXPECT_TRUE(IsWindowVisible(Main()));
        EXPECT_EQ(1, restored_);
        SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    apptest::Click(Item(IDC_OPTBTN));
    lex::OptForm::SetShowHook(nullptr);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(IsWindowEnabled(Main()));
    EXPECT_TRUE(IsWindowEnabled(AppWnd()));
}

// ---- Restore and the restore flag ------------------------------------------

TEST_F(Anim, RestoreCommandPlaysToTheMainWindowsTopEdgeThenLeavesNoPlace)
{
    StartProgram();
    SetWindowPos(Main(), nullptr, 150, 110, 500, 180, SWP_NOZORDER);
    RECT main = NormalRect(Main());
    MinimizeProgram();
    {
        PlaceRecorder recorder(AppWnd());
        SendMessageA(AppWnd(), WM_SYSCOMMAND, kRestore, 0);
        EXPECT_TRUE(recorder.WentThrough(TopEdge(main), kNoPlace)) << recorder.Dump();
    }
    EXPECT_FALSE(IsIconic(AppWnd()));
    EXPECT_TRUE(SameRect(kNoPlace, WindowRect(AppWnd()))) << Describe(WindowRect(AppWnd()));
    EXPECT_TRUE(IsWindowVisible(Main()));
    EXPECT_TRUE(SameRect(main, NormalRect(Main())));
    EXPECT_EQ(1, restored_);
    EXPECT_EQ(1, TAnimateWindow::RestoreFlag());
}

// The system activates a minimised program and then sends it the restore
// command: the animation plays once, on the activation.
TEST_F(Anim, ActivationRestoreDisarmsTheNextRestoreCommandOnly)
{
    const struct {
        const char *step;
        UINT msg;
        WPARAM wp;
        int restored;  // restores played so far
        int flag;      // the restore flag after the step
        bool iconic;   // the application window after the step
        bool noPlace;  // ... at 0, 0 with no size
    } steps[] = {
        {"minimise", WM_SYSCOMMAND, kMinimize, 0, 1, true, false},
        {"deactivation while minimised", WM_ACTIVATEAPP, FALSE, 0, 1, true, false},
        {"activation while minimised", WM_ACTIVATEAPP, TRUE, 1, 0, false, true},
        {"restore command, disarmed", WM_SYSCOMMAND, kRestore, 1, 1, false, true},
        {"activation while restored", WM_ACTIVATEAPP, TRUE, 1, 1, false, true},
        {"minimise again", WM_SYSCOMMAND, kMinimize, 1, 1, true, false},
        {"restore command, armed", WM_SYSCOMMAND, kRestore, 2, 1, false, true},
        {"minimise a third time", WM_SYSCOMMAND, kMinimize, 2, 1, true, false},
        {"activation", WM_ACTIVATEAPP, TRUE, 3, 0, false, true},
        {"minimise while disarmed", WM_SYSCOMMAND, kMinimize, 3, 0, true, false},
        // Nothing played: the window's own procedure restores it where it
        // was minimised from.
        {"restore command re-arms and does not play", WM_SYSCOMMAND, kRestore, 3, 1, false, false},
    };
    StartProgram();
    for (const auto &s : steps) {
        SCOPED_TRACE(s.step);
        SendMessageA(AppWnd(), s.msg, s.wp, 0);
        EXPECT_EQ(s.restored, restored_);
        EXPECT_EQ(s.flag, TAnimateWindow::RestoreFlag());
        EXPECT_EQ(s.iconic, IsIconic(AppWnd()) != FALSE);
        if (s.noPlace) {
            EXPECT_TRUE(SameRect(kNoPlace, WindowRect(AppWnd()))) << Describe(WindowRect(AppWnd()));
        }
        EXPECT_EQ(!s.iconic, IsWindowVisible(Main()) != FALSE);
    }
}

// ---- One component per form, and the window procedures ---------------------

TEST_F(Anim, SecondComponentOnAFormIsAnErrorAndLeavesTheFirstWorking)
{
    StartProgram();
    TestForm other;
    WNDPROC own = reinterpret_cast<WNDPROC>(GetClassLongPtrA(other.hwnd(), GCLP_WNDPROC));
    auto first = std::make_unique<TAnimateWindow>(other);
    first->SetParentComponent(other);
    EXPECT_TRUE(first->FormHooked());

    for (lex::Form *form : {static_cast<lex::Form *>(&other), static_cast<lex::Form *>(form_.get())}) {
        try {
            TAnimateWindow second(*form);
            ADD_FAILURE() << "a second component was made";
        } catch (const lex::AnimateWindowError &e) {
            EXPECT_STRNE("", e.what());
        }
    }
    // The first is still in place and still takes the command over.
    EXPECT_TRUE(first->FormHooked());
    SendMessageA(other.hwnd(), WM_SYSCOMMAND, kMinimize, 0);
    EXPECT_FALSE(IsIconic(other.hwnd()));
    apptest::Pump();
    EXPECT_TRUE(IsIconic(AppWnd()));
    SendMessageA(AppWnd(), WM_SYSCOMMAND, kRestore, 0);

    // Gone: the form has its own procedure again and may take a new one
    // (its entry was made once and removed once).
    first.reset();
    EXPECT_EQ(own, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(other.hwnd(), GWLP_WNDPROC)));
    TAnimateWindow again(other);
    again.SetParentComponent(other);
    EXPECT_TRUE(again.FormHooked());
}

TEST_F(Anim, ApplicationWindowGetsItsProcedureBackWhenTheMainWindowGoes)
{
    StartProgram();
    HWND app = AppWnd();
    WNDPROC own = reinterpret_cast<WNDPROC>(GetClassLongPtrA(app, GCLP_WNDPROC));
    EXPECT_TRUE(form_->animateWindow1().ApplicationHooked());
    EXPECT_NE(own, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(app, GWLP_WNDPROC)));
    form_.reset();
    EXPECT_EQ(nullptr, Application::Instance().mainForm());
    EXPECT_EQ(own, reinterpret_cast<WNDPROC>(GetWindowLongPtrA(app, GWLP_WNDPROC)));
    // Without the component the program's window minimises the standard way.
    SendMessageA(app, WM_SYSCOMMAND, kMinimize, 0);
    EXPECT_TRUE(IsIconic(app));
    EXPECT_TRUE(SameRect(kNoPlace, NormalRect(app)));
    EXPECT_EQ(0, minimized_);
}

// Forms made without an application window (as the other window tests
// do) keep their commands: there is nothing to minimise instead.
TEST_F(Anim, WithoutAnApplicationWindowTheFormMinimisesItself)
{
    Start();
    EXPECT_FALSE(form_->animateWindow1().ApplicationHooked());
    EXPECT_TRUE(form_->animateWindow1().FormHooked());
    SendMessageA(Main(), WM_SYSCOMMAND, kMinimize, 0);
    EXPECT_TRUE(IsIconic(Main()));
}

} // namespace
