// Lexprobe's main window, settings dialog and scan run, created for real in
// this process and driven with the messages that a user's actions produce.
// Message boxes are watched through the program's hook; the settings go
// through the Wine prefix's registry.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Main/MainForm_win.h"
#include "Main/commands.h"
#include "Main/msgbox_win.h"
#include "Option/optform.h"
#include "Option/optform_ids.h"
#include "Option/settings_win.h"

using lex::MainForm;

namespace {

struct Box {
    std::string text, caption;
    UINT type;
    bool mainVisible;  // a main window was on screen when the box came
};

std::string Text(HWND wnd)
{
    char buf[1024] = "";
    GetWindowTextA(wnd, buf, sizeof buf);
    return buf;
}

int ClientHeight(HWND wnd)
{
    RECT r;
    GetClientRect(wnd, &r);
    return r.bottom - r.top;
}

RECT ChildRect(HWND parent, HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&r), 2);
    return r;
}

std::vector<std::string> MenuBarCaptions(HWND wnd)
{
    std::vector<std::string> out;
    HMENU bar = GetMenu(wnd);
    for (int i = 0; i < GetMenuItemCount(bar); i++) {
        char buf[256] = "";
        GetMenuStringA(bar, static_cast<UINT>(i), buf, sizeof buf, MF_BYPOSITION);
        out.push_back(buf);
    }
    return out;
}

bool SaveItemEnabled(HWND wnd)
{
    HMENU file = GetSubMenu(GetMenu(wnd), 0);
    return !(GetMenuState(file, IDM_SAVE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
}

// The colour that a control's parent paints it with.
COLORREF BackgroundOf(HWND parent, HWND control)
{
    HDC dc = CreateCompatibleDC(nullptr);
    UINT msg = IsWindowEnabled(control) ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC;
    LRESULT brush = SendMessageA(parent, msg, reinterpret_cast<WPARAM>(dc),
                                 reinterpret_cast<LPARAM>(control));
    LOGBRUSH lb = {};
    if (brush)
        GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb);
    DeleteDC(dc);
    return brush ? lb.lbColor : CLR_INVALID;
}

LOGFONTA FontOf(HWND control)
{
    LOGFONTA lf = {};
    HFONT f = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
    if (f)
        GetObjectA(f, sizeof lf, &lf);
    return lf;
}

void Click(HWND button)
{
    SendMessageA(button, BM_CLICK, 0, 0);
}

void Pump()
{
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
}

// The program's registry key.
struct Registry {
    static void Delete() { RegDeleteKeyA(HKEY_CURRENT_USER, lex::kSettingsKey); }

    static void Put(const char *name, DWORD type, const void *data, DWORD size)
    {
        HKEY k;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, lex::kSettingsKey, 0,
                                                 nullptr, 0, KEY_SET_VALUE, nullptr, &k,
                                                 nullptr));
        RegSetValueExA(k, name, 0, type, static_cast<const BYTE *>(data), size);
        RegCloseKey(k);
    }
    static void PutString(const char *name, const std::string &v, DWORD type = REG_SZ)
    {
        Put(name, type, v.c_str(), static_cast<DWORD>(v.size() + 1));
    }

    // The value's text, or "<missing>", or "<type N>" for another type.
    static std::string Get(const char *name)
    {
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, lex::kSettingsKey, 0, KEY_QUERY_VALUE, &k))
            return "<no key>";
        char buf[256] = "";
        DWORD size = sizeof buf, type = 0;
        LONG rc = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE *>(buf),
                                   &size);
        RegCloseKey(k);
        if (rc != ERROR_SUCCESS)
            return "<missing>";
        if (type != REG_SZ)
            return "<type " + std::to_string(type) + ">";
        return buf;
    }

    static DWORD ValueCount()
    {
        HKEY k;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, lex::kSettingsKey, 0, KEY_QUERY_VALUE, &k))
            return 0;
        DWORD n = 0;
        RegQueryInfoKeyA(k, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &n, nullptr,
                         nullptr, nullptr, nullptr);
        RegCloseKey(k);
        return n;
    }
};

class App : public ::testing::Test {
protected:
    void SetUp() override
    {
        Registry::Delete();
        char tmp[MAX_PATH];
        GetTempPathA(sizeof tmp, tmp);
        dir_ = std::string(tmp) + "lexprobe_app_test\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        dict_ = Write("English.dic", "hello\r\nworld\r\nzebra\r\n");
        lex::SetMessageBoxHook([this](const std::string &text, const std::string &caption,
                                      UINT type) {
            HWND main = FindWindowA("TMainForm", nullptr);
            boxes_.push_back({text, caption, type, main && IsWindowVisible(main)});
            return IDOK;
        });
    }

    void TearDown() override
    {
        form_.reset();
        lex::SetMessageBoxHook(nullptr);
        lex::OptForm::SetShowHook(nullptr);
        Pump();
        Registry::Delete();
    }

    std::string Write(const std::string &name, const std::string &bytes)
    {
        std::string path = dir_ + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    MainForm &Start(DWORD pumpInterval = 0)
    {
        MainForm::Options o;
        o.pumpIntervalMs = pumpInterval;
        o.dictionaryPath = dict_;
        o.quitOnDestroy = false;
        form_ = std::make_unique<MainForm>();
        EXPECT_TRUE(form_->Create(GetModuleHandleA(nullptr), o));
        ShowWindow(form_->hwnd(), SW_SHOW);
        Pump();
        return *form_;
    }

    HWND Item(int id) const { return GetDlgItem(form_->hwnd(), id); }
    HWND Main() const { return form_->hwnd(); }

    void SetFileName(const std::string &name) { SetWindowTextA(Item(IDC_FILENAME), name.c_str()); }

    // Closes the main window as the close box does.
    void CloseMain()
    {
        SendMessageA(Main(), WM_CLOSE, 0, 0);
        EXPECT_TRUE(form_->Destroyed());
    }

    std::string dir_, dict_;
    std::vector<Box> boxes_;
    std::unique_ptr<MainForm> form_;
};

// A file of `n` ANSI strings "word" + index, separated by zero bytes.
std::string ManyStrings(int n)
{
    std::string s;
    for (int i = 0; i < n; i++) {
        s += "string" + std::to_string(100000 + i);
        s.append(3, '\0');
    }
    return s;
}

// ---- Start-up ------------------------------------------------------------

TEST_F(App, StartUpState)
{
    Start();
    EXPECT_EQ("Lexprobe", Text(Main()));
    EXPECT_EQ("検索開始(&I)", Text(Item(IDC_STARTBTN)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_STARTBTN)));
    EXPECT_TRUE(GetWindowLongA(Item(IDC_STARTBTN), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_EQ("高度な設定(&O)", Text(Item(IDC_OPTBTN)));
    EXPECT_EQ("閉じる(&C)", Text(Item(IDC_CLOSEBTN)));
    EXPECT_EQ("参照(&B)...", Text(Item(IDC_BROWSEBTN)));
    EXPECT_FALSE(IsWindowVisible(form_->list().hwnd()));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_PROGRESSBAR)));
    EXPECT_EQ((std::vector<std::string>{"ファイル(&F)", "ヘルプ(&H)"}), MenuBarCaptions(Main()));
    EXPECT_FALSE(SaveItemEnabled(Main()));
    for (int id : {IDC_FILENAME, IDC_ASCII, IDC_BROWSEBTN, IDC_OPTBTN, IDC_CLOSEBTN})
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    EXPECT_EQ(100, ClientHeight(Main()));
    EXPECT_EQ("5", Text(Item(IDC_ASCII)));
    EXPECT_EQ(0, form_->AbortFlag());
    EXPECT_TRUE(boxes_.empty());

    for (int id : {IDC_STARTBTN, IDC_OPTBTN, IDC_CLOSEBTN}) {
        RECT r = ChildRect(Main(), Item(id));
        EXPECT_EQ(107, r.right - r.left) << id;
    }
    LOGFONTA lf = FontOf(Item(IDC_FILENAME));
    EXPECT_STREQ("MS UI Gothic", lf.lfFaceName);
    EXPECT_EQ(SHIFTJIS_CHARSET, lf.lfCharSet);

    // The browse button's tooltip.
    HWND tip = FindWindowExA(nullptr, nullptr, TOOLTIPS_CLASSA, nullptr);
    bool found = false;
    for (; tip; tip = FindWindowExA(nullptr, tip, TOOLTIPS_CLASSA, nullptr)) {
        if (GetWindow(tip, GW_OWNER) != Main())
            continue;
        char text[256] = "";
        TOOLINFOA ti = {};
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.hwnd = Main();
        ti.uId = reinterpret_cast<UINT_PTR>(Item(IDC_BROWSEBTN));
        ti.lpszText = text;
        SendMessageA(tip, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&ti));
        EXPECT_EQ("ダイアログボックスからファイルを選択します。", std::string(text));
        found = true;
    }
    EXPECT_TRUE(found);

    // The help menu's entries.
    HMENU help = GetSubMenu(GetMenu(Main()), 1);
    char buf[128];
    GetMenuStringA(help, IDM_README, buf, sizeof buf, MF_BYCOMMAND);
    EXPECT_EQ("ReadMe 表示(&R)", std::string(buf));
    GetMenuStringA(help, IDM_VERSION, buf, sizeof buf, MF_BYCOMMAND);
    EXPECT_EQ("バージョン情報(&A)...", std::string(buf));
}

TEST_F(App, FileNameEnablesStart)
{
    Start();
    SetFileName("x");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_STARTBTN)));
    SetFileName("");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_STARTBTN)));
    SetFileName("C:\\a.bin");
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_STARTBTN)));
}

TEST_F(App, BrowseButtonOpenDialog)
{
    Start();
    std::string title, filter;
    DWORD flags = 0;
    MainForm::SetOpenDialogHook([&](OPENFILENAMEA &ofn) {
        title = ofn.lpstrTitle;
        // The filter: pairs of texts, each ended by a zero, then one more.
        const char *p = ofn.lpstrFilter;
        while (*p) {
            filter += p;
            filter += '|';
            p += strlen(p) + 1;
        }
        flags = ofn.Flags;
        return FALSE;  // cancelled
    });
    SetFileName("keep.bin");
    Click(Item(IDC_BROWSEBTN));
    EXPECT_EQ("文字列を抽出するファイルの選択", title);
    EXPECT_EQ("すべてのファイル|*.*|", filter);
    const DWORD needed = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    EXPECT_EQ(needed, flags & needed);
    EXPECT_EQ("keep.bin", Text(Item(IDC_FILENAME)));

    // Confirming replaces the name, which enables the start button.
    SetFileName("");
    MainForm::SetOpenDialogHook([](OPENFILENAMEA &ofn) {
        lstrcpynA(ofn.lpstrFile, "C:\\data\\chosen.bin", static_cast<int>(ofn.nMaxFile));
        return TRUE;
    });
    Click(Item(IDC_BROWSEBTN));
    MainForm::SetOpenDialogHook(nullptr);
    EXPECT_EQ("C:\\data\\chosen.bin", Text(Item(IDC_FILENAME)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_STARTBTN)));
}

TEST_F(App, HeightPinnedWhileListHidden)
{
    Start();
    RECT w;
    GetWindowRect(Main(), &w);
    SetWindowPos(Main(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(100, ClientHeight(Main()));
    GetWindowRect(Main(), &w);
    EXPECT_EQ(700, w.right - w.left);

    MINMAXINFO mm = {};
    SendMessageA(Main(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
    EXPECT_EQ(450, mm.ptMinTrackSize.x);
}

TEST_F(App, PanelResizeFollowsTheFourHundredPixelRule)
{
    Start();
    HWND browse = Item(IDC_BROWSEBTN), file = Item(IDC_FILENAME);
    form_->PanelResize(600);
    RECT b600 = ChildRect(Main(), browse), f600 = ChildRect(Main(), file);
    EXPECT_EQ(600 - 75 - 140, b600.left);
    EXPECT_EQ(b600.left - 4, f600.right);

    form_->PanelResize(399);
    for (int id : {IDC_STARTBTN, IDC_OPTBTN, IDC_CLOSEBTN})
        EXPECT_EQ(399 - 107 - 6, ChildRect(Main(), Item(id)).left) << id;
    EXPECT_EQ(b600.left, ChildRect(Main(), browse).left);
    EXPECT_EQ(f600.right, ChildRect(Main(), file).right);

    form_->PanelResize(400);
    EXPECT_EQ(400 - 75 - 140, ChildRect(Main(), browse).left);
    EXPECT_EQ(400 - 75 - 140 - 4, ChildRect(Main(), file).right);
    EXPECT_EQ(400 - 107 - 6, ChildRect(Main(), Item(IDC_CLOSEBTN)).left);
}

// ---- Scan run --------------------------------------------------------------

TEST_F(App, CompletedScanShowsListAndMenus)
{
    std::string file = Write("two.bin", std::string("\0\0Hello World\0\0\0secondstr\0\0ab\0", 30));
    Start();
    SetFileName(file);

    int pumps = 0;
    form_->SetPumpHook([&] {
        if (pumps++ == 0) {
            // The first pump is the one that clears the rows: the menu bar
            // shows only the busy notice.
            EXPECT_EQ((std::vector<std::string>{"メモリの解放中です..."}), MenuBarCaptions(Main()));
        }
        EXPECT_EQ("中止(&L)", Text(Item(IDC_STARTBTN)));
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_STARTBTN)));
        EXPECT_TRUE(IsWindowVisible(Item(IDC_PROGRESSBAR)));
        EXPECT_FALSE(IsWindowVisible(form_->list().hwnd()));
        for (int id : {IDC_FILENAME, IDC_ASCII, IDC_BROWSEBTN, IDC_OPTBTN})
            EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), BackgroundOf(Main(), Item(IDC_FILENAME)));
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), BackgroundOf(Main(), Item(IDC_ASCII)));
        EXPECT_FALSE(SaveItemEnabled(Main()));
        EXPECT_EQ(100, ClientHeight(Main()));
    });
    Click(Item(IDC_STARTBTN));
    EXPECT_GE(pumps, 1);

    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ("検索開始(&I)", Text(Item(IDC_STARTBTN)));
    EXPECT_TRUE(IsWindowVisible(form_->list().hwnd()));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_PROGRESSBAR)));
    EXPECT_EQ((std::vector<std::string>{"ファイル(&F)", "編集(&E)", "表示(&V)", "ヘルプ(&H)"}),
              MenuBarCaptions(Main()));
    EXPECT_TRUE(SaveItemEnabled(Main()));
    for (int id : {IDC_FILENAME, IDC_ASCII, IDC_BROWSEBTN, IDC_OPTBTN})
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), BackgroundOf(Main(), Item(IDC_FILENAME)));
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), BackgroundOf(Main(), Item(IDC_ASCII)));
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2, ClientHeight(Main()));
    EXPECT_EQ(1, form_->AbortFlag());
    ASSERT_EQ(2u, form_->list().rows().Count());
    EXPECT_EQ(2, ListView_GetItemCount(form_->list().hwnd()));
    EXPECT_EQ(std::string("Hello World"),
              std::string(form_->list().rows().Text(0), form_->list().rows().TextLength(0)));
    // "Hello World" holds a dictionary word and is checked; "secondstr" is not.
    EXPECT_TRUE(form_->list().rows().Checked(0));
    EXPECT_FALSE(form_->list().rows().Checked(1));

    // Once shown, the list lets the window take any height.
    SetWindowPos(Main(), nullptr, 0, 0, 600, 400, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_NE(100, ClientHeight(Main()));
}

TEST_F(App, ListShortcutsAndTheEditMenuRule)
{
    std::string file = Write("three.bin", std::string("\0first string\0second string\0third string\0", 43));
    Start();
    SetFileName(file);
    Click(Item(IDC_STARTBTN));
    ASSERT_EQ(3u, form_->list().rows().Count());
    HMENU edit = GetSubMenu(GetMenu(Main()), 1);
    auto deleteEnabled = [&] {
        SendMessageA(Main(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
        return !(GetMenuState(edit, IDM_DELETE, MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED));
    };
    EXPECT_FALSE(deleteEnabled());
    SendMessageA(Main(), WM_COMMAND, IDM_SELECTALL, 0);
    EXPECT_EQ(3u, form_->list().rows().SelectedCount());
    EXPECT_TRUE(deleteEnabled());

    // Del in the file name box edits the name; on the list it deletes rows.
    SetFileName("abc");
    SetFocus(Item(IDC_FILENAME));
    SendMessageA(Item(IDC_FILENAME), EM_SETSEL, 0, 1);
    MSG inEdit = {Item(IDC_FILENAME), WM_KEYDOWN, VK_DELETE, 0, 0, {0, 0}};
    form_->PreTranslate(&inEdit);
    EXPECT_EQ(3u, form_->list().rows().Count());
    EXPECT_EQ("bc", Text(Item(IDC_FILENAME)));
    MSG onList = {form_->list().hwnd(), WM_KEYDOWN, VK_DELETE, 0, 0, {0, 0}};
    EXPECT_TRUE(form_->PreTranslate(&onList));
    EXPECT_EQ(0u, form_->list().rows().Count());
    EXPECT_EQ(0, ListView_GetItemCount(form_->list().hwnd()));
    EXPECT_FALSE(deleteEnabled());
}

TEST_F(App, ZeroRowsStillShowsTheEmptyList)
{
    std::string file = Write("empty.bin", std::string(1000, '\0'));
    Start();
    SetFileName(file);
    Click(Item(IDC_STARTBTN));
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(IsWindowVisible(form_->list().hwnd()));
    EXPECT_EQ(0u, form_->list().rows().Count());
    EXPECT_TRUE(SaveItemEnabled(Main()));
    EXPECT_EQ(4u, MenuBarCaptions(Main()).size());
}

TEST_F(App, MinimumLengthComesFromTheAsciiBox)
{
    std::string file = Write("lengths.bin", std::string("\0abcd\0abcdefgh\0", 15));
    Start();
    SetFileName(file);
    SetWindowTextA(Item(IDC_ASCII), "4");
    Click(Item(IDC_STARTBTN));
    EXPECT_EQ(2u, form_->list().rows().Count());
    SetWindowTextA(Item(IDC_ASCII), "8");
    Click(Item(IDC_STARTBTN));
    EXPECT_EQ(1u, form_->list().rows().Count());
}

TEST_F(App, OpenErrorGivesTheErrorBoxAndTheStoppedState)
{
    Start();
    // A name with no file behind it, and a folder, which cannot be read.
    for (const std::string &name : {dir_ + "no such file.bin", dir_.substr(0, dir_.size() - 1)}) {
        boxes_.clear();
        SetFileName(name);
        Click(Item(IDC_STARTBTN));
        ASSERT_EQ(1u, boxes_.size()) << name;
        EXPECT_EQ("ファイルが開けません。調査を中断します。", boxes_[0].text);
        EXPECT_EQ("エラー", boxes_[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), boxes_[0].type & MB_ICONMASK);
        EXPECT_EQ("検索開始(&I)", Text(Item(IDC_STARTBTN)));
        EXPECT_FALSE(IsWindowVisible(form_->list().hwnd()));
        EXPECT_FALSE(IsWindowVisible(Item(IDC_PROGRESSBAR)));
        EXPECT_EQ(2u, MenuBarCaptions(Main()).size());
        EXPECT_FALSE(SaveItemEnabled(Main()));
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_FILENAME)));
        EXPECT_EQ(100, ClientHeight(Main()));
    }
}

TEST_F(App, StopWhileTheFileIsReadEndsWithoutRows)
{
    std::string file = Write("read.bin", ManyStrings(400000));  // ~6 MB: several pieces
    Start();
    int pumps = 0;
    SetFileName(file);
    form_->SetPumpHook([&] {
        // Pump 1 clears the rows, pump 2 follows the first piece of the read.
        if (++pumps == 2)
            Click(Item(IDC_STARTBTN));
    });
    Click(Item(IDC_STARTBTN));
    EXPECT_EQ(2, pumps);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(0u, form_->list().rows().Count());
    EXPECT_FALSE(IsWindowVisible(form_->list().hwnd()));
    EXPECT_EQ("検索開始(&I)", Text(Item(IDC_STARTBTN)));
}

TEST_F(App, StopDuringScanRestoresAtOnceAndKeepsTheListHidden)
{
    std::string file = Write("many.bin", ManyStrings(200000));  // ~3.6 MB
    Start();
    // A completed scan first: the stopped state must hide its list again.
    std::string small = Write("small.bin", std::string("\0some text here\0", 16));
    SetFileName(small);
    Click(Item(IDC_STARTBTN));
    ASSERT_TRUE(IsWindowVisible(form_->list().hwnd()));

    SetFileName(file);
    int pumps = 0;
    size_t rowsAtStop = 0;
    form_->SetPumpHook([&] {
        if (++pumps != 4)
            return;
        rowsAtStop = form_->list().rows().Count();
        Click(Item(IDC_STARTBTN));
        // The controls are usable at once, while the scan is still inside.
        EXPECT_TRUE(form_->Scanning());
        EXPECT_EQ("検索開始(&I)", Text(Item(IDC_STARTBTN)));
        EXPECT_FALSE(IsWindowVisible(Item(IDC_PROGRESSBAR)));
        for (int id : {IDC_FILENAME, IDC_ASCII, IDC_BROWSEBTN, IDC_OPTBTN})
            EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
        EXPECT_EQ(1, form_->AbortFlag());
        // A further press before the scan has returned starts nothing.
        Click(Item(IDC_STARTBTN));
        EXPECT_EQ("検索開始(&I)", Text(Item(IDC_STARTBTN)));
    });
    Click(Item(IDC_STARTBTN));
    EXPECT_GE(pumps, 4);
    EXPECT_FALSE(form_->Scanning());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_FALSE(IsWindowVisible(form_->list().hwnd()));
    EXPECT_EQ(2u, MenuBarCaptions(Main()).size());
    EXPECT_FALSE(SaveItemEnabled(Main()));
    EXPECT_EQ(100, ClientHeight(Main()));
    // The rows found so far stay in the hidden list.
    EXPECT_GT(form_->list().rows().Count(), 0u);
    EXPECT_LT(form_->list().rows().Count(), 200000u);
    EXPECT_LE(form_->list().rows().Count(), rowsAtStop + 1);
}

TEST_F(App, EnterOnTheDefaultButtonStartsAndStops)
{
    std::string file = Write("enter.bin", ManyStrings(100000));
    Start();
    SetFileName(file);
    SetFocus(Item(IDC_FILENAME));
    int pumps = 0;
    form_->SetPumpHook([&] {
        if (++pumps != 3)
            return;
        // Focus left the disabled file name for the stop button.
        EXPECT_EQ(Item(IDC_STARTBTN), GetFocus());
        MSG m = {GetFocus(), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
        EXPECT_TRUE(form_->PreTranslate(&m));
        EXPECT_EQ(1, form_->AbortFlag());
    });
    MSG m = {Item(IDC_FILENAME), WM_KEYDOWN, VK_RETURN, 0, 0, {0, 0}};
    EXPECT_TRUE(form_->PreTranslate(&m));
    EXPECT_GE(pumps, 3);
    EXPECT_FALSE(IsWindowVisible(form_->list().hwnd()));
}

TEST_F(App, ClosingDuringScanSavesAndReleasesAfterTheScan)
{
    std::string file = Write("close.bin", ManyStrings(100000));
    Start();
    SetFileName(file);
    ASSERT_GT(form_->dictionary().size(), 0u);
    int pumps = 0;
    form_->SetPumpHook([&] {
        if (++pumps != 3)
            return;
        SendMessageA(Main(), WM_CLOSE, 0, 0);
        // Settings are saved at once; the window goes away, but stays alive
        // with its dictionary until the scan has returned.
        EXPECT_EQ("5", Registry::Get("MinExtractStr"));
        EXPECT_FALSE(IsWindowVisible(Main()));
        EXPECT_FALSE(form_->Destroyed());
        EXPECT_GT(form_->dictionary().size(), 0u);
        EXPECT_EQ(1, form_->AbortFlag());
    });
    HWND main = Main();
    Click(Item(IDC_STARTBTN));
    EXPECT_EQ(3, pumps);  // the scan ended at its next abort check
    EXPECT_TRUE(form_->Destroyed());
    EXPECT_FALSE(IsWindow(main));
    EXPECT_EQ(0u, form_->dictionary().size());
}

TEST_F(App, CloseButtonClosesAndSaves)
{
    Start();
    Click(Item(IDC_CLOSEBTN));
    EXPECT_TRUE(form_->Destroyed());
    EXPECT_EQ(9u, Registry::ValueCount());
}

// ---- Dictionary and debug mode ----------------------------------------------

TEST_F(App, WordListBesideTheExecutableIsFound)
{
    // The build puts English.dic beside the programs, this test included.
    dict_.clear();
    Start();
    EXPECT_TRUE(boxes_.empty());
    EXPECT_GT(form_->dictionary().size(), 1000u);
}

TEST_F(App, MissingDictionaryIsReportedAndTheWindowWorks)
{
    dict_ = dir_ + "missing.dic";
    Start();
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("ファイル " + dict_ + " は開けません.", boxes_[0].text);
    EXPECT_EQ("Lexprobe", boxes_[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONSTOP), boxes_[0].type & MB_ICONMASK);

    std::string file = Write("hello.bin", std::string("\0Hello World\0", 13));
    SetFileName(file);
    Click(Item(IDC_STARTBTN));
    ASSERT_EQ(1u, form_->list().rows().Count());
    EXPECT_FALSE(form_->list().rows().Checked(0));
}

TEST_F(App, DebugModeCaptionNoticeAndHitBoxes)
{
    Registry::PutString("Debug", "1");
    Start();
    EXPECT_EQ("Lexprobe (デバッグ)", Text(Main()));
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("Lexprobe はデバッグモードです。", boxes_[0].text);
    EXPECT_FALSE(boxes_[0].mainVisible);
    EXPECT_EQ("情報", boxes_[0].caption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), boxes_[0].type & MB_ICONMASK);

    std::string file = Write("hit.bin", std::string("\0xxhelloxx\0nothing\0", 19));
    SetFileName(file);
    Click(Item(IDC_STARTBTN));
    ASSERT_EQ(2u, boxes_.size());
    EXPECT_EQ("ターゲット: xxhelloxx\rヒットした単語: hello", boxes_[1].text);
    EXPECT_EQ("情報", boxes_[1].caption);
    EXPECT_EQ("Lexprobe (デバッグ)", Text(Main()));

    CloseMain();
    // Debug is read but never written.
    EXPECT_EQ("1", Registry::Get("Debug"));
}

// ---- Registry ------------------------------------------------------------

TEST_F(App, FirstStartWritesNineValuesWithoutDebug)
{
    Start();
    CloseMain();
    EXPECT_EQ(9u, Registry::ValueCount());
    EXPECT_EQ("<missing>", Registry::Get("Debug"));
    const std::pair<const char *, const char *> expected[] = {
        {"SearchKanji", "0"},     {"CheckHalfKana", "1"},  {"CheckRecurrence", "1"},
        {"CheckEnglish", "1"},    {"CheckInitial", "0"},   {"CheckSeparator", "1"},
        {"SaveOption", "0"},      {"RecurrenceTime", "4"}, {"MinExtractStr", "5"},
    };
    for (const auto &e : expected)
        EXPECT_EQ(e.second, Registry::Get(e.first)) << e.first;
}

TEST_F(App, StoredValuesAreReadAndWrittenBackNormalised)
{
    struct Case {
        const char *name;
        DWORD type;
        std::string stored;   // for string types
        DWORD dword;          // for REG_DWORD
        const char *written;  // after a start and a close
    };
    const Case cases[] = {
        {"SearchKanji", REG_SZ, "2", 0, "1"},             // any non-zero integer is on
        {"CheckHalfKana", REG_SZ, "0", 0, "0"},
        {"CheckRecurrence", REG_SZ, "abc", 0, "1"},       // unparseable: default
        {"CheckEnglish", REG_DWORD, "", 0, "1"},          // not a string: default
        {"CheckInitial", REG_EXPAND_SZ, "1", 0, "1"},     // read like REG_SZ
        {"CheckSeparator", REG_SZ, "  -1", 0, "1"},
        {"SaveOption", REG_SZ, "$1", 0, "1"},             // hexadecimal
        {"RecurrenceTime", REG_SZ, "x10", 0, "16"},
        {"MinExtractStr", REG_SZ, "0", 0, "1"},           // the box brings it into range
    };
    for (const Case &c : cases) {
        if (c.type == REG_DWORD)
            Registry::Put(c.name, REG_DWORD, &c.dword, sizeof c.dword);
        else
            Registry::PutString(c.name, c.stored, c.type);
    }
    Start();
    EXPECT_EQ("1", Text(Item(IDC_ASCII)));
    EXPECT_TRUE(form_->settings().SearchKanji);
    EXPECT_EQ(16, form_->settings().RecurrenceTime);
    CloseMain();
    for (const Case &c : cases)
        EXPECT_EQ(c.written, Registry::Get(c.name)) << c.name;
}

TEST_F(App, MinExtractStrAboveRangeComesBackAsThousand)
{
    Registry::PutString("MinExtractStr", "5000");
    Registry::PutString("RecurrenceTime", "-3");
    Start();
    EXPECT_EQ("1000", Text(Item(IDC_ASCII)));
    CloseMain();
    EXPECT_EQ("1000", Registry::Get("MinExtractStr"));
    // RecurrenceTime stays as read until the dialog is confirmed.
    EXPECT_EQ("-3", Registry::Get("RecurrenceTime"));
}

TEST_F(App, AsciiBoxTextIsBroughtIntoRangeOnLeavingIt)
{
    Start();
    HWND ascii = Item(IDC_ASCII);
    const std::pair<const char *, const char *> cases[] = {
        {"0", "1"}, {"5000", "1000"}, {"abc", "1"}, {"  42", "42"}, {"$20", "32"}, {"7", "7"},
    };
    for (const auto &c : cases) {
        SetWindowTextA(ascii, c.first);
        SendMessageA(Main(), WM_COMMAND, MAKEWPARAM(IDC_ASCII, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(ascii));
        EXPECT_EQ(c.second, Text(ascii)) << c.first;
    }
    // The up-down control steps from the value and stays within range.
    SetWindowTextA(ascii, "1000");
    NMUPDOWN nm = {};
    nm.hdr.hwndFrom = GetDlgItem(Main(), IDC_ASCIISPIN);
    nm.hdr.idFrom = IDC_ASCIISPIN;
    nm.hdr.code = UDN_DELTAPOS;
    nm.iDelta = 1;
    SendMessageA(Main(), WM_NOTIFY, IDC_ASCIISPIN, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ("1000", Text(ascii));
    nm.iDelta = -1;
    SendMessageA(Main(), WM_NOTIFY, IDC_ASCIISPIN, reinterpret_cast<LPARAM>(&nm));
    EXPECT_EQ("999", Text(ascii));
}

// ---- Settings dialog ---------------------------------------------------------

class OptDialog : public App {
protected:
    // Presses OptBtn and runs `body` with the dialog on screen.
    void WithDialog(const std::function<void(HWND)> &body)
    {
        bool ran = false;
        lex::OptForm::SetShowHook([&](HWND dlg) {
            ran = true;
            body(dlg);
        });
        Click(Item(IDC_OPTBTN));
        EXPECT_TRUE(ran);
        EXPECT_FALSE(IsWindowVisible(form_->optForm().hwnd()));
        EXPECT_TRUE(IsWindowEnabled(Main()));
    }
    static bool Checked(HWND dlg, int id) { return IsDlgButtonChecked(dlg, id) == BST_CHECKED; }
    static bool Enabled(HWND dlg, int id) { return IsWindowEnabled(GetDlgItem(dlg, id)); }
};

TEST_F(OptDialog, FirstShowingLayoutAndPlacement)
{
    Start();
    WithDialog([&](HWND dlg) {
        EXPECT_EQ("高度な設定", Text(dlg));
        EXPECT_FALSE(IsWindowEnabled(Main()));  // modal
        RECT c;
        GetClientRect(dlg, &c);
        EXPECT_EQ(327, c.right);
        EXPECT_EQ(272, c.bottom);
        RECT d, m;
        GetWindowRect(dlg, &d);
        GetWindowRect(Main(), &m);
        EXPECT_EQ(m.left + 40, d.left);
        EXPECT_EQ(m.top + 40, d.top);
        LONG style = GetWindowLongA(dlg, GWL_STYLE);
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
        EXPECT_TRUE(style & WS_SYSMENU);
        LOGFONTA lf = FontOf(GetDlgItem(dlg, IDC_CHKENGLISH));
        EXPECT_STREQ("MS UI Gothic", lf.lfFaceName);
        EXPECT_EQ(SHIFTJIS_CHARSET, lf.lfCharSet);

        const std::pair<int, const char *> captions[] = {
            {IDC_HEADSEARCH, "検索"},
            {IDC_CHKSEARCHKANJI, "漢字も抽出する (ANSI)"},
            {IDC_CHKHALFKANA, "半角カタカナは拾わない"},
            {IDC_CHKRECURRENCE, ""},
            {IDC_LBLRECURRENCE,
             "文字以上の文字の繰り返しは拾わない (数字、スペースとアンダースコアは除く)"},
            {IDC_LBLEXAMPLE, "(例: \"%%#########\")"},
            {IDC_CHKENGLISH, "英単語が含まれているものにチェックする"},
            {IDC_CHKSEPARATOR, "大文字/小文字の区別を単語区切りに使用する"},
            {IDC_CHKINITIAL, "頭文字表記の単語は除く"},
            {IDC_HEADSAVE, "保存"},
            {IDC_CHKSAVEOPTION, "アドレス情報などを含めない"},
            {IDOK, "OK"},
            {IDCANCEL, "キャンセル"},
        };
        for (const auto &c : captions)
            EXPECT_EQ(c.second, Text(GetDlgItem(dlg, c.first))) << c.first;
        // Every control lies inside the client area.
        for (const auto &c : captions) {
            RECT r = ChildRect(dlg, GetDlgItem(dlg, c.first));
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 327 && r.bottom <= 272) << c.first;
        }

        EXPECT_FALSE(Checked(dlg, IDC_CHKSEARCHKANJI));
        EXPECT_TRUE(Checked(dlg, IDC_CHKHALFKANA));
        EXPECT_TRUE(Checked(dlg, IDC_CHKRECURRENCE));
        EXPECT_TRUE(Checked(dlg, IDC_CHKENGLISH));
        EXPECT_TRUE(Checked(dlg, IDC_CHKSEPARATOR));
        EXPECT_FALSE(Checked(dlg, IDC_CHKINITIAL));
        EXPECT_FALSE(Checked(dlg, IDC_CHKSAVEOPTION));
        EXPECT_EQ("4", Text(GetDlgItem(dlg, IDC_SPNRECURRENCE)));
        EXPECT_EQ(GetDlgItem(dlg, IDC_CHKSEARCHKANJI), GetFocus());
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);

        // Tab order.
        const int order[] = {IDC_CHKSEARCHKANJI, IDC_CHKHALFKANA, IDC_CHKRECURRENCE,
                             IDC_SPNRECURRENCE,  IDC_CHKENGLISH,  IDC_CHKSEPARATOR,
                             IDC_CHKINITIAL,     IDC_CHKSAVEOPTION, IDOK, IDCANCEL};
        HWND at = GetDlgItem(dlg, order[0]);
        for (size_t i = 1; i < sizeof order / sizeof order[0]; i++) {
            at = GetNextDlgTabItem(dlg, at, FALSE);
            EXPECT_EQ(order[i], GetDlgCtrlID(at)) << i;
        }
        Click(GetDlgItem(dlg, IDCANCEL));
    });
}

TEST_F(OptDialog, EnglishAndRepetitionRules)
{
    Start();
    WithDialog([&](HWND dlg) {
        HWND spn = GetDlgItem(dlg, IDC_SPNRECURRENCE);
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), BackgroundOf(dlg, spn));
        Click(GetDlgItem(dlg, IDC_CHKINITIAL));
        Click(GetDlgItem(dlg, IDC_CHKENGLISH));
        EXPECT_FALSE(Enabled(dlg, IDC_CHKSEPARATOR));
        EXPECT_FALSE(Enabled(dlg, IDC_CHKINITIAL));
        EXPECT_TRUE(Checked(dlg, IDC_CHKSEPARATOR));
        EXPECT_TRUE(Checked(dlg, IDC_CHKINITIAL));
        Click(GetDlgItem(dlg, IDC_CHKENGLISH));
        EXPECT_TRUE(Enabled(dlg, IDC_CHKSEPARATOR));
        EXPECT_TRUE(Enabled(dlg, IDC_CHKINITIAL));

        Click(GetDlgItem(dlg, IDC_CHKRECURRENCE));
        EXPECT_FALSE(IsWindowEnabled(spn));
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), BackgroundOf(dlg, spn));
        Click(GetDlgItem(dlg, IDC_CHKRECURRENCE));
        EXPECT_TRUE(IsWindowEnabled(spn));
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), BackgroundOf(dlg, spn));
        Click(GetDlgItem(dlg, IDCANCEL));
    });
    // A dialog opened on settings with English and repetition off starts
    // with the dependants greyed.
    WithDialog([&](HWND dlg) {
        Click(GetDlgItem(dlg, IDC_CHKENGLISH));
        Click(GetDlgItem(dlg, IDC_CHKRECURRENCE));
        Click(GetDlgItem(dlg, IDOK));
    });
    WithDialog([&](HWND dlg) {
        EXPECT_FALSE(Checked(dlg, IDC_CHKENGLISH));
        EXPECT_FALSE(Enabled(dlg, IDC_CHKSEPARATOR));
        EXPECT_FALSE(Enabled(dlg, IDC_CHKINITIAL));
        EXPECT_FALSE(Enabled(dlg, IDC_SPNRECURRENCE));
        Click(GetDlgItem(dlg, IDCANCEL));
    });
}

TEST_F(OptDialog, OkCopiesEverySettingAndTheyReachTheRegistry)
{
    Start();
    WithDialog([&](HWND dlg) {
        for (int id : {IDC_CHKSEARCHKANJI, IDC_CHKHALFKANA, IDC_CHKINITIAL, IDC_CHKSEPARATOR,
                       IDC_CHKSAVEOPTION})
            Click(GetDlgItem(dlg, id));
        SetWindowTextA(GetDlgItem(dlg, IDC_SPNRECURRENCE), "7");
        Click(GetDlgItem(dlg, IDOK));
    });
    const lex::ExtractionSettings &s = form_->settings();
    EXPECT_TRUE(s.SearchKanji);
    EXPECT_FALSE(s.CheckHalfKana);
    EXPECT_TRUE(s.CheckRecurrence);
    EXPECT_TRUE(s.CheckEnglish);
    EXPECT_TRUE(s.CheckInitial);
    EXPECT_FALSE(s.CheckSeparator);
    EXPECT_TRUE(s.SaveOption);
    EXPECT_EQ(7, s.RecurrenceTime);
    // Nothing reaches the registry before the window closes.
    EXPECT_EQ(0u, Registry::ValueCount());
    CloseMain();
    EXPECT_EQ("1", Registry::Get("SearchKanji"));
    EXPECT_EQ("0", Registry::Get("CheckHalfKana"));
    EXPECT_EQ("1", Registry::Get("CheckInitial"));
    EXPECT_EQ("0", Registry::Get("CheckSeparator"));
    EXPECT_EQ("1", Registry::Get("SaveOption"));
    EXPECT_EQ("7", Registry::Get("RecurrenceTime"));
}

TEST_F(OptDialog, CancelEscapeAndCloseBoxKeepTheSettings)
{
    Start();
    const lex::ExtractionSettings before = form_->settings();
    // Each way out that is not OK: the button, Esc, the close box.
    const std::function<void(HWND)> leave[] = {
        [](HWND dlg) { Click(GetDlgItem(dlg, IDCANCEL)); },
        [](HWND dlg) {
            MSG m = {GetDlgItem(dlg, IDC_CHKSEARCHKANJI), WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
            IsDialogMessageA(dlg, &m);
        },
        [](HWND dlg) { SendMessageA(dlg, WM_CLOSE, 0, 0); },
    };
    for (const auto &way : leave) {
        WithDialog([&](HWND dlg) {
            for (int id : {IDC_CHKSEARCHKANJI, IDC_CHKHALFKANA, IDC_CHKENGLISH, IDC_CHKSAVEOPTION})
                Click(GetDlgItem(dlg, id));
            SetWindowTextA(GetDlgItem(dlg, IDC_SPNRECURRENCE), "99");
            way(dlg);
        });
        // The next showing presents the unchanged settings.
        WithDialog([&](HWND dlg) {
            EXPECT_FALSE(Checked(dlg, IDC_CHKSEARCHKANJI));
            EXPECT_TRUE(Checked(dlg, IDC_CHKHALFKANA));
            EXPECT_TRUE(Checked(dlg, IDC_CHKENGLISH));
            EXPECT_FALSE(Checked(dlg, IDC_CHKSAVEOPTION));
            EXPECT_EQ("4", Text(GetDlgItem(dlg, IDC_SPNRECURRENCE)));
            Click(GetDlgItem(dlg, IDCANCEL));
        });
    }
    const lex::ExtractionSettings &after = form_->settings();
    EXPECT_EQ(before.SearchKanji, after.SearchKanji);
    EXPECT_EQ(before.CheckHalfKana, after.CheckHalfKana);
    EXPECT_EQ(before.CheckEnglish, after.CheckEnglish);
    EXPECT_EQ(before.SaveOption, after.SaveOption);
    EXPECT_EQ(before.RecurrenceTime, after.RecurrenceTime);
}

TEST_F(OptDialog, RecurrenceNumberIsKeptInRange)
{
    Registry::PutString("RecurrenceTime", "0");
    Start();
    WithDialog([&](HWND dlg) {
        HWND spn = GetDlgItem(dlg, IDC_SPNRECURRENCE);
        EXPECT_EQ("1", Text(spn));  // the box brings the stored 0 into range
        SetWindowTextA(spn, "5000");
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_SPNRECURRENCE, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(spn));
        EXPECT_EQ("1000", Text(spn));
        SetWindowTextA(spn, "junk");
        Click(GetDlgItem(dlg, IDOK));
    });
    EXPECT_EQ(1, form_->settings().RecurrenceTime);
}

// ---- The dialog's rules without a window -------------------------------------

TEST(OptFormRules, NumberBoxValue)
{
    const std::pair<const char *, int> cases[] = {
        {"", 1}, {"abc", 1}, {"0", 1}, {"-3", 1}, {"1", 1}, {"1000", 1000}, {"1001", 1000},
        {"  12", 12}, {"$10", 16}, {"X1f", 31}, {"12a", 1}, {"99999999999", 1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.second, lex::NumberBoxValue(c.first)) << c.first;
}

TEST(OptFormRules, SettingsRoundTripAndRangeOfTheNumber)
{
    lex::ExtractionSettings s;
    s.RecurrenceTime = -5;
    s.Debug = true;
    s.MinExtractStr = 77;
    lex::OptFormValues v = lex::OptFormFromSettings(s);
    EXPECT_EQ(1, v.RecurrenceTime);
    EXPECT_TRUE(lex::RecurrenceBoxEnabled(v));
    EXPECT_TRUE(lex::EnglishDependantsEnabled(v));
    v.English = false;
    v.Recurrence = false;
    EXPECT_FALSE(lex::RecurrenceBoxEnabled(v));
    EXPECT_FALSE(lex::EnglishDependantsEnabled(v));
    v.RecurrenceTime = 20;
    lex::OptFormToSettings(v, s);
    EXPECT_FALSE(s.CheckEnglish);
    EXPECT_FALSE(s.CheckRecurrence);
    EXPECT_EQ(20, s.RecurrenceTime);
    // Fields the dialog does not edit are left alone.
    EXPECT_TRUE(s.Debug);
    EXPECT_EQ(77, s.MinExtractStr);
}

} // namespace
