// The main window against what a Windows user expects of a window, one row
// of the table for each habit.  Message boxes here are real ones, answered
// from a second thread as a user would.
#include "mainwindow_fixture.h"

#include <dlgs.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "ui/shell_win.h"

namespace apptest {
namespace {

// Presses OK on the message box that comes to the front in place of
// `before`, and records the box's owner (none when no box came within ten
// seconds).
struct BoxAnswer {
    HWND before, owner = nullptr;
    bool came = false;
    static DWORD WINAPI Run(void *param)
    {
        auto *self = static_cast<BoxAnswer *>(param);
        for (int i = 0; i < 1000 && !self->came; ++i, Sleep(10)) {
            HWND box = GetForegroundWindow();
            if (box && box != self->before) {
                self->came = true;
                self->owner = GetWindow(box, GW_OWNER);
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
        }
        return 0;
    }
};

class Habits : public App {
public:  // the table below names these
    // A key on `target` as the message loop sees it, with VK_SHIFT or
    // VK_CONTROL held down (`modifier`, 0: none).
    void Key(HWND target, WPARAM key, int modifier = 0)
    {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[modifier] = modifier ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG m = {target, WM_KEYDOWN, key, 0, 0, {0, 0}};
        form_->PreTranslate(&m);
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
    std::string Status(int part)
    {
        char text[256] = "";
        SendMessageA(Item(IDC_STATUSBAR), SB_GETTEXTA, part, reinterpret_cast<LPARAM>(text));
        return text;
    }
    HWND FindNext(const char *what)
    {
        if (!form_->list().findDialog())
            SendMessageA(Main(), WM_COMMAND, IDM_FIND, 0);
        HWND find = form_->list().findDialog();
        SetDlgItemTextA(find, edt1, what);
        SendMessageA(find, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(find, IDOK)));
        return find;
    }

    // 1. After a scan the window grows to half the screen only when it is
    // smaller than that and not maximised.
    void Size()
    {
        const int half = GetSystemMetrics(SM_CYSCREEN) / 2;
        for (int height : {half + 150, half - 150, 0}) {  // 0: maximised
            Scan("first.bin", ManyStrings(10));
            RECT before, after;
            GetWindowRect(Main(), &before);
            const int frame = before.bottom - before.top - ClientHeight(Main());
            SetWindowPos(Main(), nullptr, 0, 0, before.right - before.left, height + frame, SWP_NOMOVE);
            ShowWindow(Main(), height ? SW_SHOW : SW_MAXIMIZE);
            GetWindowRect(Main(), &before);
            Scan("second.bin", ManyStrings(20));
            GetWindowRect(Main(), &after);
            EXPECT_EQ(height == 0, IsZoomed(Main()) != 0) << height;
            if (height == half - 150)
                EXPECT_EQ(half, ClientHeight(Main()));
            else
                EXPECT_TRUE(EqualRect(&before, &after)) << height;
            ShowWindow(Main(), SW_RESTORE);
        }
    }

    // 2. A stopped scan lists its rows (mainwindow_test.cpp); the status
    // line says that it stopped and how many rows there are, the title
    // names the file.
    void Stop()
    {
        Scan("done.bin", ManyStrings(50));
        const std::string completed = Status(0);
        int pumps = 0;
        form_->SetPumpHook([&] { ++pumps == 3 ? Click(Item(IDC_STARTBTN)) : void(); });
        Scan("stopped.bin", ManyStrings(200000));
        EXPECT_NE(completed, Status(0));
        std::string count = Status(1);
        count.erase(std::remove_if(count.begin(), count.end(), [](char c) { return c < '0' || c > '9'; }), count.end());
        EXPECT_EQ(std::to_string(form_->list().rows().Count()), count);
        EXPECT_NE(std::string::npos, Text(Main()).find(" - stopped.bin"));
    }

    // 3. Enter scans from the file name, the length box and the start
    // button; in the list it starts nothing.
    void Enter()
    {
        Scan("enter.bin", ManyStrings(30));
        const std::pair<HWND, bool> places[] = {{Item(IDC_FILENAME), true}, {Item(IDC_ASCII), true},
                                                {Item(IDC_STARTBTN), true}, {List(), false}};
        for (const auto &place : places) {
            int pumps = 0;
            form_->SetPumpHook([&] { ++pumps; });
            SetFocus(place.first);
            Key(place.first, VK_RETURN);
            EXPECT_EQ(place.second, pumps > 0) << GetDlgCtrlID(place.first);
        }
    }

    // 4. A message box belongs to the window the user is in, and the focus
    // comes back to where it was.  5. The find dialog belongs to the main
    // window and stays in front of it after a hit.
    void BoxesAndFindDialog()
    {
        lex::SetMessageBoxHook(nullptr);
        lex::SetShellOpenHook([](const lex::ShellRequest &) -> INT_PTR { return SE_ERR_FNF; });
        Scan("rows.bin", ManyStrings(30));
        HWND find = FindNext("string100017");
        Pump();
        EXPECT_EQ(17, Focused());
        EXPECT_TRUE(IsChild(find, GetFocus()));  // Enter finds the next
        EXPECT_EQ(Main(), GetWindow(find, GW_OWNER));
        HWND below = find;
        while (below && below != Main())
            below = GetWindow(below, GW_HWNDNEXT);
        EXPECT_EQ(Main(), below);
        // After a search that went on from the top, neither the hit nor the
        // status line's notice lies under the dialog, though it stood over
        // the status line.
        RECT dialog, cell = {LVIR_BOUNDS, 0, 0, 0}, status, overlap;
        GetWindowRect(Item(IDC_STATUSBAR), &status);
        SetWindowPos(find, nullptr, status.left, status.top - 8, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        FindNext("string100001");
        Pump();
        ASSERT_EQ(1, Focused());
        GetWindowRect(find, &dialog);
        SendMessageA(List(), LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&cell));
        MapWindowPoints(List(), nullptr, reinterpret_cast<POINT *>(&cell), 2);
        EXPECT_FALSE(IntersectRect(&overlap, &dialog, &cell));
        EXPECT_FALSE(IntersectRect(&overlap, &dialog, &status));

        const struct {
            HWND window, focus;
            std::function<void()> act;
        } boxes[] = {
            {Main(), Item(IDC_FILENAME), [&] { SetFileName(dir_ + "missing.bin"), Key(Item(IDC_FILENAME), VK_RETURN); }},
            {Main(), List(), [&] { SendMessageA(Main(), WM_COMMAND, IDM_README, 0); }},
            {find, GetDlgItem(find, edt1), [&] { FindNext("no such text"); }},
        };
        for (const auto &box : boxes) {
            SetActiveWindow(box.window);
            SetFocus(box.focus);
            SCOPED_TRACE(GetDlgCtrlID(box.focus));
            BoxAnswer answer{box.window};
            HANDLE thread = CreateThread(nullptr, 0, BoxAnswer::Run, &answer, 0, nullptr);
            box.act();
            WaitForSingleObject(thread, INFINITE);
            CloseHandle(thread);
            Pump();
            EXPECT_EQ(box.window, answer.owner);
            EXPECT_EQ(box.window, GetActiveWindow());
            EXPECT_EQ(box.focus, GetFocus());
        }
        lex::SetShellOpenHook(nullptr);
    }

    // 6. F3 and Shift+F3 search again down and up (the find dialog opens
    // when there is nothing to search for yet); Ctrl+S saves a list with
    // rows.
    void Keys()
    {
        int saves = 0;
        lex::ResultsList::SetSaveDialogHook([&](OPENFILENAMEA &) -> BOOL { return ++saves, FALSE; });
        Scan("empty.bin", std::string(100, '\0'));
        Key(List(), 'S', VK_CONTROL);
        EXPECT_EQ(0, saves);
        Key(List(), VK_F3);
        EXPECT_NE(nullptr, form_->list().findDialog());

        Scan("keys.bin", ManyStrings(30));
        FindNext("string1000");
        const std::pair<int, int> presses[] = {{0, 1}, {0, 2}, {VK_SHIFT, 1}, {VK_SHIFT, 0}};
        for (const auto &press : presses) {
            Key(List(), VK_F3, press.first);
            EXPECT_EQ(press.second, Focused()) << press.first;
        }
        Key(List(), 'S', VK_CONTROL);
        EXPECT_EQ(1, saves);
        lex::ResultsList::SetSaveDialogHook(nullptr);
    }

    // 7. When a dialog closes, the main window is the foreground window
    // again, with the focus where it was: each dialog is cancelled as soon
    // as it is in front.
    static void CALLBACK CancelDialogInFront(HWND, UINT, UINT_PTR, DWORD)
    {
        HWND front = GetForegroundWindow();
        char cls[16] = {};
        GetClassNameA(front, cls, sizeof cls);
        if (front && std::strcmp(cls, "#32770") == 0)
            PostMessageA(front, WM_COMMAND, IDCANCEL, 0);
    }
    void DialogsGiveTheFocusBack()
    {
        Scan("dialogs.bin", ManyStrings(30));
        // A button takes the focus as it is clicked; a menu command leaves
        // it where it was.
        const struct {
            const char *what;
            HWND focus;
            std::function<void()> open;
        } dialogs[] = {
            {"settings", Item(IDC_OPTBTN), [&] { Click(Item(IDC_OPTBTN)); }},
            {"about", List(), [&] { SendMessageA(Main(), WM_COMMAND, IDM_VERSION, 0); }},
            {"browse", Item(IDC_BROWSEBTN), [&] { Click(Item(IDC_BROWSEBTN)); }},
            {"save", List(), [&] { SendMessageA(Main(), WM_COMMAND, IDM_SAVE, 0); }},
        };
        for (const auto &dialog : dialogs) {
            SetForegroundWindow(Main());
            SetFocus(List());
            const UINT_PTR timer = SetTimer(nullptr, 0, 300, CancelDialogInFront);
            dialog.open();
            KillTimer(nullptr, timer);
            Pump();
            EXPECT_EQ(Main(), GetForegroundWindow()) << dialog.what;
            EXPECT_EQ(dialog.focus, GetFocus()) << dialog.what;
        }
    }
};

TEST_F(Habits, TheWindowKeepsTheHabitsOfAWindowsProgram)
{
    // Real message boxes come last: a box that nobody answers would hold a
    // row that does not expect one.
    const std::pair<const char *, void (Habits::*)()> habits[] = {
        {"1 size", &Habits::Size}, {"2 stop", &Habits::Stop}, {"3 Enter", &Habits::Enter},
        {"6 F3, Ctrl+S", &Habits::Keys}, {"7 dialogs", &Habits::DialogsGiveTheFocusBack},
        {"4, 5 boxes, find dialog", &Habits::BoxesAndFindDialog}};
    for (const auto &habit : habits) {
        SCOPED_TRACE(habit.first);
        form_.reset();
        Start();
        (this->*habit.second)();
        form_->SetPumpHook(nullptr);
    }
}

// What the clipboard holds in the format `format`, as UTF-16 (CF_TEXT read
// in code page 932); "<none>" without it.
std::wstring Clipboard(UINT format)
{
    std::wstring out = L"<none>";
    if (!OpenClipboard(nullptr))
        return L"<not open>";
    if (HANDLE data = GetClipboardData(format)) {
        const void *p = GlobalLock(data);
        if (format == CF_UNICODETEXT) {
            out = static_cast<const wchar_t *>(p);
        } else {
            const char *text = static_cast<const char *>(p);
            out.assign(std::strlen(text) + 1, L'\0');
            out.resize(MultiByteToWideChar(932, 0, text, -1, &out[0], static_cast<int>(out.size())) - 1);
        }
        GlobalUnlock(data);
    }
    CloseClipboard();
    return out;
}

void PutClipboard(const char *text)
{
    ASSERT_TRUE(OpenClipboard(nullptr));
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, std::strlen(text) + 1);
    std::strcpy(static_cast<char *>(GlobalLock(block)), text);
    GlobalUnlock(block);
    SetClipboardData(CF_TEXT, block);
    CloseClipboard();
}

// Ctrl+C and "コピー(&C)" put the selected rows on the clipboard in the
// results file's lines, in both text formats; without a selection the
// command is greyed and the clipboard keeps what it held.
TEST_F(Habits, CopyPutsTheSelectedRowsOnTheClipboard)
{
    const struct {
        const char *saveOption;
        std::vector<size_t> selected;
        bool byKey;
        const wchar_t *expected;
    } copies[] = {
        {"0", {}, true, L"kept"},
        {"0", {}, false, L"kept"},
        {"0", {1}, true, L"0000000F\tANSI\tstring100001"},
        {"0", {0, 2, 3}, false,
         L"00000000\tANSI\tstring100000\r\n0000001E\tANSI\tstring100002\r\n"
         L"00001A2B\tUnicode\t\x30c6\x30b9\x30c8\x2460"},
        {"1", {0, 3}, true, L"string100000\r\n\x30c6\x30b9\x30c8\x2460"},
        {"1", {1, 2}, false, L"string100001\r\nstring100002"},
    };
    for (const auto &copy : copies) {
        SCOPED_TRACE(std::string(copy.saveOption) + (copy.byKey ? " Ctrl+C " : " menu ") +
                     std::to_string(copy.selected.size()));
        form_.reset();
        Registry::PutString("SaveOption", copy.saveOption);
        Start();
        Scan("copy.bin", ManyStrings(3));
        form_->list().AppendRow(0x1A2B, lex::RowKind::Unicode, "テスト①", 8, false);  // code page 932 only
        form_->list().SyncCount();
        for (size_t row : copy.selected)
            form_->list().rows().SetSelected(row, true);
        HMENU edit = GetSubMenu(GetMenu(Main()), 1);
        SendMessageA(Main(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
        EXPECT_EQ(copy.selected.empty(), (GetMenuState(edit, IDM_COPY, MF_BYCOMMAND) & MF_GRAYED) != 0);
        PutClipboard("kept");
        SetFocus(List());
        if (copy.byKey)
            Key(List(), 'C', VK_CONTROL);
        else
            SendMessageA(Main(), WM_COMMAND, IDM_COPY, 0);
        EXPECT_EQ(copy.expected, Clipboard(CF_UNICODETEXT));
        EXPECT_EQ(copy.expected, Clipboard(CF_TEXT));
    }
    EXPECT_TRUE(boxes_.empty());
}

RECT NormalPlace(HWND wnd)
{
    WINDOWPLACEMENT wp = {};
    wp.length = sizeof wp;
    GetWindowPlacement(wnd, &wp);
    return wp.rcNormalPosition;
}

// The window's place, whether it was maximised and the column widths come
// back at the next start; a place of which no usable part lies on a
// monitor, sizes too small to use, columns wider than the screen and
// damaged values are ignored and not stored again.  The list, when it first
// shows, gets the height of a window that last showed its list, or half the
// screen.
TEST_F(Habits, TheLayoutIsRememberedAcrossStarts)
{
    Start();
    const RECT fresh = NormalPlace(Main());
    const int freshColumn = ListView_GetColumnWidth(List(), 0);
    Scan("layout.bin", ManyStrings(5));
    SetWindowPos(Main(), nullptr, 40, 50, 620, 480, SWP_NOZORDER);
    ListView_SetColumnWidth(List(), 0, 111);
    ListView_SetColumnWidth(List(), 1, 77);
    CloseMain();
    Start();
    RECT r = NormalPlace(Main());
    EXPECT_EQ(40, r.left);
    EXPECT_EQ(50, r.top);
    EXPECT_EQ(620, r.right - r.left);
    EXPECT_EQ(111, ListView_GetColumnWidth(List(), 0));
    EXPECT_EQ(77, ListView_GetColumnWidth(List(), 1));
    Scan("layout.bin", ManyStrings(5));  // the list brings the height back
    GetWindowRect(Main(), &r);
    EXPECT_EQ(480, r.bottom - r.top);

    const int half = GetSystemMetrics(SM_CYSCREEN) / 2;
    // What a user did in the session before the start under test.
    const auto closeUnscanned = [this] { Start(), CloseMain(); };
    const auto maximiseMoved = [this] {
        Start();
        Scan("layout.bin", ManyStrings(5));
        SetWindowPos(Main(), nullptr, 120, 80, 700, 500, SWP_NOZORDER);
        ShowWindow(Main(), SW_MAXIMIZE);
        CloseMain();
    };
    const struct {
        const char *what;
        std::vector<std::pair<const char *, const char *>> values;  // over the sound ones
        std::function<void()> session;  // instead of the values
        bool placed, maximized;
        int column;      // the first column's width; 0: the fresh one
        int listHeight;  // the window's height once a scan shows the list; 0: half the screen
    } cases[] = {
        {"sound", {}, nullptr, true, false, 120, 500},
        {"maximised", {{"WindowMaximized", "1"}}, nullptr, true, true, 120, 500},
        {"off every monitor", {{"WindowLeft", "-20000"}}, nullptr, false, false, 120, 500},
        {"left not a number", {{"WindowLeft", "1O0"}}, nullptr, false, false, 120, 500},
        {"no width", {{"WindowWidth", "0"}}, nullptr, false, false, 120, 500},
        {"height too large", {{"WindowHeight", "99999"}}, nullptr, true, false, 120, 0},
        {"column negative", {{"ColumnWidth1", "-5"}}, nullptr, true, false, 0, 500},
        {"column not a number", {{"ColumnWidth1", "wide"}}, nullptr, true, false, 0, 500},
        {"column wider than the screen", {{"ColumnWidth1", "32767"}}, nullptr, true, false, 0, 500},
        {"wider than the screen, caption off it", {{"WindowLeft", "-16000"}, {"WindowWidth", "32767"}},
         nullptr, false, false, 120, 500},
        {"a sliver on the screen", {{"WindowLeft", "-790"}, {"WindowWidth", "800"}}, nullptr, false,
         false, 120, 500},
        {"one pixel", {{"WindowWidth", "1"}, {"WindowHeight", "1"}}, nullptr, false, false, 120, 0},
        {"closed without a scan", {}, closeUnscanned, false, false, 0, 0},
        {"maximised after a move", {}, maximiseMoved, true, true, 0, 500},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        form_.reset();
        Registry::Delete();
        if (c.session) {
            c.session();
        } else {
            const std::pair<const char *, const char *> sound[] = {
                {"WindowLeft", "100"}, {"WindowTop", "80"}, {"WindowWidth", "600"},
                {"WindowHeight", "500"}, {"ColumnWidth1", "120"}};
            for (const auto &value : sound)
                Registry::PutString(value.first, value.second);
            for (const auto &value : c.values)
                Registry::PutString(value.first, value.second);
        }
        const RECT stored = c.session ? RECT{120, 80, 820, 580} : RECT{100, 80, 700, 580};
        Start();
        r = NormalPlace(Main());
        if (c.placed) {
            EXPECT_EQ(stored.left, r.left);
            EXPECT_EQ(stored.top, r.top);
            EXPECT_EQ(stored.right - stored.left, r.right - r.left);
        } else {
            EXPECT_NE(stored.left, r.left);
            EXPECT_EQ(fresh.right - fresh.left, r.right - r.left);
            EXPECT_NE(nullptr, MonitorFromRect(&r, MONITOR_DEFAULTTONULL));
        }
        EXPECT_EQ(c.maximized, IsZoomed(Main()) != 0);
        EXPECT_EQ(c.column ? c.column : freshColumn, ListView_GetColumnWidth(List(), 0));

        // The list gets room once a scan shows it, maximised or not, and
        // keeps it when the window is restored.
        Scan("layout.bin", ManyStrings(5));
        RECT list;
        GetClientRect(List(), &list);
        EXPECT_GE(list.bottom - list.top, 100);
        ShowWindow(Main(), SW_RESTORE);
        GetWindowRect(Main(), &r);
        if (c.listHeight)
            EXPECT_EQ(c.listHeight, r.bottom - r.top);
        else
            EXPECT_GE(ClientHeight(Main()), half);
        // What is stored again is a place the next start takes.
        CloseMain();
        for (const char *name : {"WindowLeft", "WindowWidth", "WindowHeight", "ColumnWidth1"}) {
            const int value = std::atoi(Registry::Get(name).c_str());
            EXPECT_TRUE(value >= -100 && value <= 2000) << name << " " << Registry::Get(name);
        }
        EXPECT_GE(std::atoi(Registry::Get("WindowHeight").c_str()), 200);
    }
}

} // namespace
} // namespace apptest
