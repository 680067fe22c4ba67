// Lexprobe's main window and its scan run, created in this process.
#include "mainwindow_fixture.h"

#include <new>

namespace {

using namespace apptest;

// ---- Start-up ------------------------------------------------------------

TEST_F(App, StartUpState)
{
    Start();
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_STARTBTN)));
    EXPECT_TRUE(GetWindowLongA(Item(IDC_STARTBTN), GWL_STYLE) & BS_DEFPUSHBUTTON);
    EXPECT_FALSE(IsWindowVisible(form_->list().hwnd()));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_PROGRESSBAR)));
    EXPECT_EQ(2u, MenuBarCaptions(Main()).size());
    EXPECT_FALSE(SaveItemEnabled(Main()));
    for (int id : {IDC_FILENAME, IDC_ASCII, IDC_BROWSEBTN, IDC_OPTBTN, IDC_CLOSEBTN})
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    EXPECT_EQ(100, HeightAboveStatus(Main()));
    EXPECT_EQ("5", Text(Item(IDC_ASCII)));
    EXPECT_EQ(0, form_->AbortFlag());
    EXPECT_TRUE(boxes_.empty());

    // The panel's controls: inside the window, no overlaps, captions that
    // fit in the window's Shift-JIS font; the three right-hand buttons line
    // up one above the other, equally wide.
    EXPECT_EQ(std::vector<std::string>{}, testsupport::LayoutFaults(Main(), false));
    EXPECT_EQ(SHIFTJIS_CHARSET, FontOf(Item(IDC_FILENAME)).lfCharSet);
    const RECT start = ChildRect(Main(), Item(IDC_STARTBTN));
    for (int id : {IDC_OPTBTN, IDC_CLOSEBTN}) {
        RECT r = ChildRect(Main(), Item(id));
        EXPECT_EQ(start.left, r.left) << id;
        EXPECT_EQ(start.right, r.right) << id;
        EXPECT_GT(r.top, start.top) << id;
    }

    // The browse button has a tooltip.
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
        found = found || text[0] != '\0';
    }
    EXPECT_TRUE(found);

    // The help menu holds both commands.
    HMENU help = GetSubMenu(GetMenu(Main()), 1);
    for (UINT id : {IDM_README, IDM_VERSION})
        EXPECT_NE(UINT(-1), GetMenuState(help, id, MF_BYCOMMAND)) << id;
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

// An exception inside a handler (here the open dialog running out of
// memory) never leaves the window procedure: the command is abandoned with
// the out-of-memory box, and the window goes on working.
TEST_F(App, AFailingCommandShowsTheOutOfMemoryBoxAndTheWindowGoesOn)
{
    Start();
    MainForm::SetOpenDialogHook([](OPENFILENAMEA &) -> BOOL { throw std::bad_alloc(); });
    Click(Item(IDC_BROWSEBTN));
    MainForm::SetOpenDialogHook(nullptr);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("メモリが不足しています.", boxes_[0].text);
    EXPECT_EQ("Lexprobe", boxes_[0].caption);
    EXPECT_EQ(UINT(MB_ICONSTOP), boxes_[0].type & MB_ICONMASK);

    SetFileName(Write("after.bin", std::string("\0still working\0", 15)));
    Click(Item(IDC_STARTBTN));
    ASSERT_EQ(1u, form_->list().rows().Count());
    EXPECT_TRUE(IsWindowVisible(form_->list().hwnd()));
    EXPECT_EQ(1u, boxes_.size());
}

// Memory running out inside a scan (here at a message pump) ends the scan
// with the out-of-memory box; the window is back in the stopped state and
// the next start press scans again.
TEST_F(App, AScanThatRunsOutOfMemoryLeavesTheWindowUsable)
{
    Start();
    SetFileName(Write("big.bin", ManyStrings(20000)));
    form_->SetPumpHook([] { throw std::bad_alloc(); });
    Click(Item(IDC_STARTBTN));
    form_->SetPumpHook(nullptr);
    ASSERT_EQ(1u, boxes_.size());
    EXPECT_EQ("メモリが不足しています.", boxes_[0].text);
    EXPECT_FALSE(form_->Scanning());
    EXPECT_EQ("検索開始(&I)", Text(Item(IDC_STARTBTN)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_FILENAME)));
    EXPECT_FALSE(IsWindowVisible(Item(IDC_PROGRESSBAR)));

    Click(Item(IDC_STARTBTN));
    EXPECT_EQ(20000u, form_->list().rows().Count());
    EXPECT_TRUE(IsWindowVisible(form_->list().hwnd()));
    EXPECT_EQ(1u, boxes_.size());
}

TEST_F(App, HeightPinnedWhileListHidden)
{
    Start();
    RECT w;
    GetWindowRect(Main(), &w);
    SetWindowPos(Main(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(100, HeightAboveStatus(Main()));
    GetWindowRect(Main(), &w);
    EXPECT_EQ(700, w.right - w.left);

    MINMAXINFO mm = {};
    SendMessageA(Main(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mm));
    EXPECT_EQ(450, mm.ptMinTrackSize.x);
}

TEST_F(App, PanelResizeMovesTheFileBoxFromFourHundredPixelsOn)
{
    Start();
    HWND browse = Item(IDC_BROWSEBTN), file = Item(IDC_FILENAME);
    const RECT b = ChildRect(Main(), browse);
    const int browseWidth = b.right - b.left;
    const RECT s = ChildRect(Main(), Item(IDC_STARTBTN));
    const int buttonWidth = s.right - s.left;
    form_->PanelResize(600);
    RECT b600 = ChildRect(Main(), browse), f600 = ChildRect(Main(), file);
    EXPECT_EQ(600 - browseWidth - 140, b600.left);
    EXPECT_EQ(b600.left - 4, f600.right);

    form_->PanelResize(399);
    for (int id : {IDC_STARTBTN, IDC_OPTBTN, IDC_CLOSEBTN})
        EXPECT_EQ(399 - buttonWidth - 6, ChildRect(Main(), Item(id)).left) << id;
    EXPECT_EQ(b600.left, ChildRect(Main(), browse).left);
    EXPECT_EQ(f600.right, ChildRect(Main(), file).right);

    form_->PanelResize(400);
    EXPECT_EQ(400 - browseWidth - 140, ChildRect(Main(), browse).left);
    EXPECT_EQ(400 - browseWidth - 140 - 4, ChildRect(Main(), file).right);
    EXPECT_EQ(400 - buttonWidth - 6, ChildRect(Main(), Item(IDC_CLOSEBTN)).left);
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
        EXPECT_EQ(100, HeightAboveStatus(Main()));
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

TEST_F(App, ListShortcutsAndTheEditMenusDeleteEntry)
{
    std::string file = Write("three.bin", std::string("\0first string\0second string\0third string\0", 42));
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
        EXPECT_EQ("ファイルが開けません。調査を中断します。", FirstLine(boxes_[0].text));
        EXPECT_EQ("エラー", boxes_[0].caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), boxes_[0].type & MB_ICONMASK);
        EXPECT_EQ("検索開始(&I)", Text(Item(IDC_STARTBTN)));
        EXPECT_FALSE(IsWindowVisible(form_->list().hwnd()));
        EXPECT_FALSE(IsWindowVisible(Item(IDC_PROGRESSBAR)));
        EXPECT_EQ(2u, MenuBarCaptions(Main()).size());
        EXPECT_FALSE(SaveItemEnabled(Main()));
        EXPECT_TRUE(IsWindowEnabled(Item(IDC_FILENAME)));
        EXPECT_EQ(100, HeightAboveStatus(Main()));
    }
}

TEST_F(App, StopWhileTheFileIsReadKeepsTheRowsOfWhatWasRead)
{
    std::string file = Write("read.bin", ManyStrings(400000));  // ~6 MB: several pieces
    Start();
    int pumps = 0;
    SetFileName(file);
    form_->SetPumpHook([&] {
        // Pump 1 clears the rows, pump 2 follows the first checkpoint of
        // the first piece read.
        if (++pumps == 2)
            Click(Item(IDC_STARTBTN));
    });
    Click(Item(IDC_STARTBTN));
    EXPECT_EQ(2, pumps);
    EXPECT_TRUE(boxes_.empty());
    // The file is scanned as it is read: the rows of the part read before
    // the stop stay, in order, and the rest of the file is never read.
    const lex::RowStore &rows = form_->list().rows();
    EXPECT_GT(rows.Count(), 0u);
    EXPECT_LT(rows.Count(), 400000u / 4);
    for (size_t i = 0; i < rows.Count(); ++i)
        ASSERT_EQ("string" + std::to_string(100000 + i),
                  std::string(rows.Text(i), rows.TextLength(i)));
    EXPECT_TRUE(IsWindowVisible(form_->list().hwnd()));
    EXPECT_EQ("検索開始(&I)", Text(Item(IDC_STARTBTN)));
}

TEST_F(App, StopDuringScanRestoresAtOnceAndShowsTheRowsFound)
{
    std::string file = Write("many.bin", ManyStrings(200000));  // ~3.6 MB
    Start();
    // A completed scan first: its rows must give way to the new ones.
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
    EXPECT_TRUE(IsWindowVisible(form_->list().hwnd()));
    // The rows found so far are listed.
    EXPECT_EQ(static_cast<LRESULT>(form_->list().rows().Count()),
              SendMessageA(form_->list().hwnd(), LVM_GETITEMCOUNT, 0, 0));
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
    EXPECT_LT(form_->list().rows().Count(), 100000u);
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
    EXPECT_EQ(17u + 7u, Registry::ValueCount());  // the settings and the window's layout
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
    EXPECT_EQ("Lexprobe (デバッグ) - hit.bin", Text(Main()));

    CloseMain();
    // Debug is read but never written.
    EXPECT_EQ("1", Registry::Get("Debug"));
}

// ---- Registry ------------------------------------------------------------

TEST_F(App, FirstStartWritesSeventeenSettingsWithoutDebugAndTheLayout)
{
    Start();
    EXPECT_FALSE(form_->settings().SearchWideJapanese);
    CloseMain();
    // Seven values of the window's layout: the height of a window that
    // never showed its list is not one.
    EXPECT_EQ(17u + 7u, Registry::ValueCount());
    EXPECT_EQ("<missing>", Registry::Get("WindowHeight"));
    EXPECT_EQ("<missing>", Registry::Get("Debug"));
    const std::pair<const char *, const char *> expected[] = {
        {"SearchKanji", "0"},     {"CheckKanjiNoise", "1"}, {"SearchWideJapanese", "0"},
        {"SearchUtf8", "0"},      {"CheckHalfKana", "1"},   {"CheckRecurrence", "1"},
        {"CheckEnglish", "1"},    {"CheckInitial", "0"},   {"CheckSeparator", "1"},
        {"SaveOption", "0"},      {"RecurrenceTime", "4"}, {"MinExtractStr", "5"},
        {"MinJapaneseStr", "3"},  {"SearchResources", "0"}, {"SearchEucJp", "0"},
        {"SearchIso2022Jp", "0"}, {"SearchUtf16Be", "0"},
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
        {"CheckKanjiNoise", REG_SZ, "0", 0, "0"},
        {"SearchWideJapanese", REG_SZ, "x1F", 0, "1"},
        {"SearchResources", REG_SZ, "3", 0, "1"},
        {"CheckHalfKana", REG_SZ, "0", 0, "0"},
        {"CheckRecurrence", REG_SZ, "abc", 0, "1"},       // unparseable: default
        {"CheckEnglish", REG_DWORD, "", 0, "1"},          // not a string: default
        {"CheckInitial", REG_EXPAND_SZ, "1", 0, "1"},     // read like REG_SZ
        {"CheckSeparator", REG_SZ, "  -1", 0, "1"},
        {"SaveOption", REG_SZ, "$1", 0, "1"},             // hexadecimal
        {"RecurrenceTime", REG_SZ, "x10", 0, "16"},
        {"MinExtractStr", REG_SZ, "0", 0, "5"},           // below its range: the default
    };
    for (const Case &c : cases) {
        if (c.type == REG_DWORD)
            Registry::Put(c.name, REG_DWORD, &c.dword, sizeof c.dword);
        else
            Registry::PutString(c.name, c.stored, c.type);
    }
    Start();
    EXPECT_EQ("5", Text(Item(IDC_ASCII)));
    EXPECT_TRUE(form_->settings().SearchKanji);
    EXPECT_TRUE(form_->settings().SearchWideJapanese);
    EXPECT_TRUE(form_->settings().SearchResources);
    EXPECT_FALSE(form_->settings().CheckKanjiNoise);
    EXPECT_EQ(16, form_->settings().RecurrenceTime);
    CloseMain();
    for (const Case &c : cases)
        EXPECT_EQ(c.written, Registry::Get(c.name)) << c.name;
}

// Integers typed into the registry outside their ranges are brought into
// them as they are read (below them, the default): used so, and written
// back so.
TEST_F(App, IntegersOutsideTheirRangesAreClampedWhenRead)
{
    Registry::PutString("MinExtractStr", "5000");
    Registry::PutString("RecurrenceTime", "-7");
    Start();
    EXPECT_EQ("1000", Text(Item(IDC_ASCII)));
    EXPECT_EQ(4, form_->settings().RecurrenceTime);
    CloseMain();
    EXPECT_EQ("1000", Registry::Get("MinExtractStr"));
    EXPECT_EQ("4", Registry::Get("RecurrenceTime"));
}

TEST_F(App, AsciiBoxTextIsBroughtIntoRangeOnLeavingIt)
{
    Start();
    HWND ascii = Item(IDC_ASCII);
    const std::pair<const char *, const char *> cases[] = {
        // Letters (pasted) give the value the box held before back.
        {"0", "1"}, {"5000", "1000"}, {"abc", "1000"}, {"  42", "42"}, {"$20", "32"}, {"", "32"}, {"7", "7"},
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

} // namespace
