// The settings dialog, opened from a real main window in this process.
#include "mainwindow_fixture.h"

namespace {

using namespace apptest;

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
        EXPECT_EQ(294, c.bottom);
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
            {IDC_CHKSEARCHWIDE, "UTF-16 の日本語も抽出する (Unicode)"},
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
            EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= 327 && r.bottom <= 294) << c.first;
        }
        // No two of them overlap.
        for (size_t i = 0; i < sizeof captions / sizeof captions[0]; i++) {
            for (size_t j = i + 1; j < sizeof captions / sizeof captions[0]; j++) {
                RECT a = ChildRect(dlg, GetDlgItem(dlg, captions[i].first));
                RECT b = ChildRect(dlg, GetDlgItem(dlg, captions[j].first));
                RECT both;
                EXPECT_FALSE(IntersectRect(&both, &a, &b))
                    << captions[i].first << " and " << captions[j].first;
            }
        }

        EXPECT_FALSE(Checked(dlg, IDC_CHKSEARCHKANJI));
        EXPECT_FALSE(Checked(dlg, IDC_CHKSEARCHWIDE));
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
        const int order[] = {IDC_CHKSEARCHKANJI, IDC_CHKSEARCHWIDE, IDC_CHKHALFKANA,
                             IDC_CHKRECURRENCE,  IDC_SPNRECURRENCE, IDC_CHKENGLISH,
                             IDC_CHKSEPARATOR,   IDC_CHKINITIAL,    IDC_CHKSAVEOPTION,
                             IDOK,               IDCANCEL};
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
        for (int id : {IDC_CHKSEARCHKANJI, IDC_CHKSEARCHWIDE, IDC_CHKHALFKANA, IDC_CHKINITIAL,
                       IDC_CHKSEPARATOR, IDC_CHKSAVEOPTION})
            Click(GetDlgItem(dlg, id));
        SetWindowTextA(GetDlgItem(dlg, IDC_SPNRECURRENCE), "7");
        Click(GetDlgItem(dlg, IDOK));
    });
    const lex::ExtractionSettings &s = form_->settings();
    EXPECT_TRUE(s.SearchKanji);
    EXPECT_TRUE(s.SearchWideJapanese);
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
    EXPECT_EQ("1", Registry::Get("SearchWideJapanese"));
    EXPECT_EQ("0", Registry::Get("CheckHalfKana"));
    EXPECT_EQ("1", Registry::Get("CheckInitial"));
    EXPECT_EQ("0", Registry::Get("CheckSeparator"));
    EXPECT_EQ("1", Registry::Get("SaveOption"));
    EXPECT_EQ("7", Registry::Get("RecurrenceTime"));
}

TEST_F(OptDialog, StoredWideJapaneseShowsOnItsOwnBoxAndOkClearsIt)
{
    Registry::PutString("SearchWideJapanese", "1");
    Start();
    WithDialog([&](HWND dlg) {
        EXPECT_TRUE(Checked(dlg, IDC_CHKSEARCHWIDE));
        EXPECT_FALSE(Checked(dlg, IDC_CHKSEARCHKANJI));
        Click(GetDlgItem(dlg, IDC_CHKSEARCHWIDE));
        Click(GetDlgItem(dlg, IDOK));
    });
    EXPECT_FALSE(form_->settings().SearchWideJapanese);
    EXPECT_FALSE(form_->settings().SearchKanji);
    CloseMain();
    EXPECT_EQ("0", Registry::Get("SearchWideJapanese"));
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
            for (int id : {IDC_CHKSEARCHKANJI, IDC_CHKSEARCHWIDE, IDC_CHKHALFKANA, IDC_CHKENGLISH,
                           IDC_CHKSAVEOPTION})
                Click(GetDlgItem(dlg, id));
            SetWindowTextA(GetDlgItem(dlg, IDC_SPNRECURRENCE), "99");
            way(dlg);
        });
        // The next showing presents the unchanged settings.
        WithDialog([&](HWND dlg) {
            EXPECT_FALSE(Checked(dlg, IDC_CHKSEARCHKANJI));
            EXPECT_FALSE(Checked(dlg, IDC_CHKSEARCHWIDE));
            EXPECT_TRUE(Checked(dlg, IDC_CHKHALFKANA));
            EXPECT_TRUE(Checked(dlg, IDC_CHKENGLISH));
            EXPECT_FALSE(Checked(dlg, IDC_CHKSAVEOPTION));
            EXPECT_EQ("4", Text(GetDlgItem(dlg, IDC_SPNRECURRENCE)));
            Click(GetDlgItem(dlg, IDCANCEL));
        });
    }
    const lex::ExtractionSettings &after = form_->settings();
    EXPECT_EQ(before.SearchKanji, after.SearchKanji);
    EXPECT_EQ(before.SearchWideJapanese, after.SearchWideJapanese);
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

} // namespace
