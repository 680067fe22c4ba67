// The main window against what a Windows user expects of a window: it
// keeps the size the user gave it, a stopped scan lists its rows, Enter in
// the list starts nothing, a message box belongs to the window the user is
// in and gives the focus back, the find dialog stays in front, and F3,
// Shift+F3 and Ctrl+S work.  One row of the table for each habit; message
// boxes here are real ones, answered from a second thread.
#include "mainwindow_fixture.h"

#include <dlgs.h>

#include <algorithm>
#include <functional>

#include "ui/shell_win.h"

namespace apptest {
namespace {

std::string StatusPart(HWND main, int part)
{
    char text[256] = "";
    SendMessageA(GetDlgItem(main, IDC_STATUSBAR), SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
    return text;
}

// The digits of a text: "1,234 rows" gives "1234".
std::string Digits(const std::string &text)
{
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9')
            digits += c;
    return digits;
}

// Presses OK on the next message box of this thread, as a user would, and
// records the box's owner.  Dialogs already open are not taken for it.
class BoxAnswerer {
public:
    BoxAnswerer() : gui_(GetCurrentThreadId())
    {
        EnumThreadWindows(gui_, Collect, reinterpret_cast<LPARAM>(&before_));
        thread_ = CreateThread(nullptr, 0, Answer, this, 0, nullptr);
    }
    // The owner of the box that came, or null when none came within ten seconds.
    HWND Owner()
    {
        WaitForSingleObject(thread_, INFINITE);
        CloseHandle(thread_);
        return owner_;
    }

private:
    static BOOL CALLBACK Collect(HWND wnd, LPARAM list)
    {
        char cls[16] = "";
        GetClassNameA(wnd, cls, sizeof cls);
        if (IsWindowVisible(wnd) && std::string(cls) == "#32770")
            reinterpret_cast<std::vector<HWND> *>(list)->push_back(wnd);
        return TRUE;
    }
    static DWORD WINAPI Answer(void *param)
    {
        auto *self = static_cast<BoxAnswerer *>(param);
        for (int i = 0; i < 1000; ++i, Sleep(10)) {
            std::vector<HWND> now;
            EnumThreadWindows(self->gui_, Collect, reinterpret_cast<LPARAM>(&now));
            for (HWND wnd : now) {
                if (std::find(self->before_.begin(), self->before_.end(), wnd) != self->before_.end())
                    continue;
                self->owner_ = GetWindow(wnd, GW_OWNER);
                PostMessageA(wnd, WM_COMMAND, IDOK, 0);
                return 0;
            }
        }
        return 0;
    }
    DWORD gui_;
    std::vector<HWND> before_;
    HWND owner_ = nullptr;
    HANDLE thread_;
};

class Habits : public App {
public:  // the rows of the table below name the checks
    // A key pressed on `target`, with `modifier` (VK_SHIFT, VK_CONTROL)
    // held down when it is not 0.
    void Key(HWND target, WPARAM key, int modifier = 0)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[modifier] = modifier ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG m = {target, WM_KEYDOWN, key, 0, 0, {0, 0}};
        if (!form_->PreTranslate(&m)) {
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        keys[modifier] = 0;
        SetKeyboardState(keys);
    }
    void Scan(const std::string &name, const std::string &bytes)
    {
        SetFileName(Write(name, bytes));
        Click(Item(IDC_STARTBTN));
    }
    HWND List() { return form_->list().hwnd(); }
    int Focused() { return ListView_GetNextItem(List(), -1, LVNI_FOCUSED); }
    HWND OpenFind(const char *what)
    {
        SendMessageA(Main(), WM_COMMAND, IDM_FIND, 0);
        HWND find = form_->list().findDialog();
        SetDlgItemTextA(find, edt1, what);
        return find;
    }

    // 1. The window grows to half the screen after a scan only when it is
    // smaller than that and not maximised.
    void KeepsTheSizeTheUserGaveIt()
    {
        const int half = GetSystemMetrics(SM_CYSCREEN) / 2;
        const struct {
            const char *how;
            int height;     // the client height the user gives it; 0: maximised
            int expected;   // after the next scan; 0: as the user left it
        } sizes[] = {{"taller", half + 150, 0}, {"shorter", half - 150, half}, {"maximised", 0, 0}};
        for (const auto &size : sizes) {
            SCOPED_TRACE(size.how);
            Scan("first.bin", ManyStrings(10));
            if (size.height) {
                RECT w;
                GetWindowRect(Main(), &w);
                SetWindowPos(Main(), nullptr, 0, 0, w.right - w.left,
                             w.bottom - w.top + size.height - ClientHeight(Main()), SWP_NOMOVE | SWP_NOZORDER);
            } else {
                ShowWindow(Main(), SW_MAXIMIZE);
            }
            RECT before, after;
            GetWindowRect(Main(), &before);
            Scan("second.bin", ManyStrings(20));
            GetWindowRect(Main(), &after);
            EXPECT_EQ(size.height == 0, IsZoomed(Main()) != 0);
            if (size.expected)
                EXPECT_EQ(size.expected, ClientHeight(Main()));
            else
                EXPECT_TRUE(EqualRect(&before, &after));
            ShowWindow(Main(), SW_RESTORE);
        }
    }

    // 2. A stopped scan is listed as a finished one, and the status line
    // says that it stopped and how many rows the list holds.
    void AStoppedScanListsItsRows()
    {
        Scan("done.bin", ManyStrings(50));
        const std::string completed = StatusPart(Main(), 0);
        int pumps = 0;
        form_->SetPumpHook([&] {
            if (++pumps == 3)
                Click(Item(IDC_STARTBTN));
        });
        Scan("stopped.bin", ManyStrings(200000));
        form_->SetPumpHook(nullptr);
        const size_t rows = form_->list().rows().Count();
        ASSERT_GT(rows, 0u);
        ASSERT_LT(rows, 200000u);
        EXPECT_TRUE(IsWindowVisible(List()));
        EXPECT_EQ(static_cast<int>(rows), ListView_GetItemCount(List()));
        EXPECT_TRUE(SaveItemEnabled(Main()));
        EXPECT_EQ(4u, MenuBarCaptions(Main()).size());
        EXPECT_NE(completed, StatusPart(Main(), 0));
        EXPECT_FALSE(StatusPart(Main(), 0).empty());
        EXPECT_EQ(std::to_string(rows), Digits(StatusPart(Main(), 1)));
        EXPECT_NE(std::string::npos, Text(Main()).find(" - stopped.bin"));
    }

    // 3. Enter starts a scan from the file name box, the length box and the
    // start button; in the list it starts nothing.
    void EnterScansOnlyFromTheInputs()
    {
        Scan("enter.bin", ManyStrings(30));
        const struct {
            HWND focus;
            bool scans;
        } places[] = {{Item(IDC_FILENAME), true}, {Item(IDC_ASCII), true}, {Item(IDC_STARTBTN), true}, {List(), false}};
        for (const auto &place : places) {
            int pumps = 0;
            form_->SetPumpHook([&] { ++pumps; });
            SetFocus(place.focus);
            Key(place.focus, VK_RETURN);
            form_->SetPumpHook(nullptr);
            EXPECT_EQ(place.scans, pumps > 0) << GetDlgCtrlID(place.focus);
        }
    }

    // 4. A message box belongs to the window the user was in, and the
    // keyboard focus comes back to where it was when the box closes.
    void MessageBoxesBelongToTheWindowInUse()
    {
        lex::SetMessageBoxHook(nullptr);
        lex::SetShellOpenHook([](const lex::ShellRequest &) -> INT_PTR { return SE_ERR_FNF; });
        Scan("rows.bin", ManyStrings(30));
        HWND find = OpenFind("no such text");
        const struct {
            const char *what;
            HWND window, focus;
            std::function<void()> act;
        } boxes[] = {
            {"a file that cannot be opened", Main(), Item(IDC_FILENAME),
             [&] {
                 SetFileName(dir_ + "missing.bin");
                 Key(Item(IDC_FILENAME), VK_RETURN);
             }},
            {"a readme that cannot be shown", Main(), List(),
             [&] { SendMessageA(Main(), WM_COMMAND, IDM_README, 0); }},
            {"a search that finds nothing", find, GetDlgItem(find, edt1),
             [&] { SendMessageA(find, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(find, IDOK))); }},
        };
        for (const auto &box : boxes) {
            SCOPED_TRACE(box.what);
            SetActiveWindow(box.window);
            SetFocus(box.focus);
            BoxAnswerer answerer;
            box.act();
            EXPECT_EQ(box.window, answerer.Owner());
            Pump();
            EXPECT_EQ(box.window, GetActiveWindow());
            EXPECT_EQ(box.focus, GetFocus());
        }
        lex::SetShellOpenHook(nullptr);
    }

    // 5. The find dialog belongs to the main window and stays in front of
    // it after a hit has given the list the focus.
    void TheFindDialogStaysInFront()
    {
        Scan("find.bin", ManyStrings(30));
        HWND find = OpenFind("string100017");
        SendMessageA(find, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(find, IDOK)));
        Pump();
        EXPECT_EQ(17, Focused());
        EXPECT_EQ(List(), GetFocus());
        EXPECT_EQ(Main(), GetWindow(find, GW_OWNER));
        EXPECT_TRUE(IsWindowVisible(find));
        HWND above = find;
        while (above && above != Main())
            above = GetWindow(above, GW_HWNDNEXT);
        EXPECT_EQ(Main(), above);
    }

    // 6. F3 and Shift+F3 repeat the search down and up (the dialog opens
    // when there is nothing to search for yet); Ctrl+S saves a list with rows.
    void F3AndCtrlS()
    {
        int saves = 0;
        lex::ResultsList::SetSaveDialogHook([&](OPENFILENAMEA &) -> BOOL { return ++saves, FALSE; });
        Scan("empty.bin", std::string(100, '\0'));
        Key(List(), 'S', VK_CONTROL);
        EXPECT_EQ(0, saves);
        Key(List(), VK_F3);
        HWND find = form_->list().findDialog();
        ASSERT_NE(nullptr, find);

        Scan("keys.bin", ManyStrings(30));
        SetDlgItemTextA(find, edt1, "string1000");
        SendMessageA(find, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(find, IDOK)));
        EXPECT_EQ(0, Focused());
        const struct {
            int modifier;
            int focused;
        } presses[] = {{0, 1}, {0, 2}, {VK_SHIFT, 1}, {VK_SHIFT, 0}};
        for (const auto &press : presses) {
            Key(List(), VK_F3, press.modifier);
            EXPECT_EQ(press.focused, Focused()) << press.modifier;
        }
        Key(List(), 'S', VK_CONTROL);
        EXPECT_EQ(1, saves);
        lex::ResultsList::SetSaveDialogHook(nullptr);
    }
};

TEST_F(Habits, TheWindowKeepsTheHabitsOfAWindowsProgram)
{
    const struct {
        const char *habit;
        void (Habits::*check)();
    } habits[] = {
        {"1 size", &Habits::KeepsTheSizeTheUserGaveIt},
        {"2 stop", &Habits::AStoppedScanListsItsRows},
        {"3 Enter", &Habits::EnterScansOnlyFromTheInputs},
        {"4 message boxes", &Habits::MessageBoxesBelongToTheWindowInUse},
        {"5 find dialog", &Habits::TheFindDialogStaysInFront},
        {"6 keys", &Habits::F3AndCtrlS},
    };
    for (const auto &row : habits) {
        SCOPED_TRACE(row.habit);
        form_.reset();
        Start();
        (this->*row.check)();
    }
}

} // namespace
} // namespace apptest
