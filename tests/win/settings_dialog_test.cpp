// The settings dialog, opened from a real main window in this process.
#include "mainwindow_fixture.h"

#include <cctype>
#include <set>

namespace {

using namespace apptest;

// The dialog's check boxes, the judge's after the kanji box, the others top
// to bottom, and the number box beside them.
const int kBoxes[] = {IDC_CHKSEARCHKANJI, IDC_CHKKANJINOISE,      IDC_CHKSEARCHWIDE,
                      IDC_CHKSEARCHUTF8,  IDC_CHKSEARCHRESOURCES, IDC_CHKHALFKANA,
                      IDC_CHKRECURRENCE,  IDC_CHKENGLISH,         IDC_CHKSEPARATOR,
                      IDC_CHKINITIAL,     IDC_CHKSAVEOPTION};

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
    // The check boxes in order as one text, "x" checked and "-" clear ("X"
    // and "=" when greyed), then the number box, with "*" when greyed.
    static std::string Boxes(HWND dlg)
    {
        std::string text;
        for (int id : kBoxes) {
            const char mark = IsDlgButtonChecked(dlg, id) == BST_CHECKED ? 'x' : '-';
            text += IsWindowEnabled(GetDlgItem(dlg, id)) ? mark : char(mark == 'x' ? 'X' : '=');
        }
        HWND number = GetDlgItem(dlg, IDC_SPNRECURRENCE);
        return text + " " + Text(number) + (IsWindowEnabled(number) ? "" : "*");
    }
    static void Press(HWND dlg, std::initializer_list<int> ids)
    {
        for (int id : ids)
            Click(GetDlgItem(dlg, id));
    }
};

TEST_F(OptDialog, FirstShowingLayoutAndPlacement)
{
    Start();
    WithDialog([&](HWND dlg) {
        EXPECT_FALSE(IsWindowEnabled(Main()));  // modal
        // Inside the client area, no overlaps, captions that fit, and the
        // tab order row by row.
        EXPECT_EQ(std::vector<std::string>{}, testsupport::LayoutFaults(dlg, true));
        RECT d, m;
        GetWindowRect(dlg, &d);
        GetWindowRect(Main(), &m);
        EXPECT_EQ(m.left + 40, d.left);
        EXPECT_EQ(m.top + 40, d.top);
        LONG style = GetWindowLongA(dlg, GWL_STYLE);
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
        EXPECT_TRUE(style & WS_SYSMENU);
        // Japanese captions need a font of the Shift-JIS character set.
        EXPECT_EQ(SHIFTJIS_CHARSET, FontOf(GetDlgItem(dlg, IDC_CHKENGLISH)).lfCharSet);

        EXPECT_EQ("-X---xxxx-- 4", Boxes(dlg));
        EXPECT_EQ(GetDlgItem(dlg, IDC_CHKSEARCHKANJI), GetFocus());
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
        // Every control that takes input is a tab stop.
        for (int id : kBoxes)
            EXPECT_TRUE(GetWindowLongA(GetDlgItem(dlg, id), GWL_STYLE) & WS_TABSTOP) << id;
        for (int id : {IDC_SPNRECURRENCE, IDOK, IDCANCEL})
            EXPECT_TRUE(GetWindowLongA(GetDlgItem(dlg, id), GWL_STYLE) & WS_TABSTOP) << id;
        Click(GetDlgItem(dlg, IDCANCEL));
    });
}

TEST_F(OptDialog, KanjiEnglishAndRepetitionRules)
{
    Start();
    WithDialog([&](HWND dlg) {
        HWND spn = GetDlgItem(dlg, IDC_SPNRECURRENCE);
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), BackgroundOf(dlg, spn));
        // The kanji box enables the noise filter's box, whose mark stays.
        Press(dlg, {IDC_CHKSEARCHKANJI, IDC_CHKKANJINOISE});
        EXPECT_EQ("x----xxxx-- 4", Boxes(dlg));
        Press(dlg, {IDC_CHKSEARCHKANJI});
        EXPECT_EQ("-=---xxxx-- 4", Boxes(dlg));
        Press(dlg, {IDC_CHKSEARCHKANJI, IDC_CHKKANJINOISE, IDC_CHKSEARCHKANJI});
        // Any Japanese setting enables the judge's box and the Japanese
        // minimum length.
        Press(dlg, {IDC_CHKSEARCHUTF8});
        EXPECT_EQ("-x-x-xxxx-- 4", Boxes(dlg));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dlg, IDC_SPNMINJAPANESE)));
        Press(dlg, {IDC_CHKSEARCHUTF8});
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dlg, IDC_SPNMINJAPANESE)));
        // The English rule greys the dependants and keeps their marks.
        Press(dlg, {IDC_CHKINITIAL, IDC_CHKENGLISH});
        EXPECT_EQ("-X---xx-XX- 4", Boxes(dlg));
        Press(dlg, {IDC_CHKENGLISH});
        EXPECT_EQ("-X---xxxxx- 4", Boxes(dlg));
        // The repetition rule greys the number box, with the button face.
        Press(dlg, {IDC_CHKRECURRENCE});
        EXPECT_EQ("-X---x-xxx- 4*", Boxes(dlg));
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), BackgroundOf(dlg, spn));
        Press(dlg, {IDC_CHKRECURRENCE});
        EXPECT_EQ(GetSysColor(COLOR_WINDOW), BackgroundOf(dlg, spn));
        Click(GetDlgItem(dlg, IDCANCEL));
    });
    // A dialog opened on settings with kanji on and English and repetition
    // off starts with the noise box usable and the other dependants greyed.
    WithDialog([&](HWND dlg) {
        Press(dlg, {IDC_CHKSEARCHKANJI, IDC_CHKENGLISH, IDC_CHKRECURRENCE, IDOK});
    });
    WithDialog([&](HWND dlg) {
        EXPECT_EQ("xx---x--X=- 4*", Boxes(dlg));
        Click(GetDlgItem(dlg, IDCANCEL));
    });
}

TEST_F(OptDialog, OkCopiesEverySettingAndTheyReachTheRegistry)
{
    Start();
    WithDialog([&](HWND dlg) {
        Press(dlg, {IDC_CHKSEARCHKANJI, IDC_CHKKANJINOISE, IDC_CHKSEARCHWIDE, IDC_CHKSEARCHUTF8,
                    IDC_CHKSEARCHRESOURCES, IDC_CHKSEARCHEUCJP, IDC_CHKSEARCHISO2022JP,
                    IDC_CHKSEARCHUTF16BE, IDC_CHKHALFKANA, IDC_CHKINITIAL, IDC_CHKSEPARATOR,
                    IDC_CHKSAVEOPTION});
        SetWindowTextA(GetDlgItem(dlg, IDC_SPNRECURRENCE), "7");
        SetWindowTextA(GetDlgItem(dlg, IDC_SPNMINJAPANESE), "3");
        Click(GetDlgItem(dlg, IDOK));
    });
    const lex::ExtractionSettings &s = form_->settings();
    EXPECT_EQ("x-xxxxxx-xx-xx 7", std::string() + "-x"[s.SearchKanji] + "-x"[s.CheckKanjiNoise] +
                                "-x"[s.SearchWideJapanese] + "-x"[s.SearchUtf8] +
                                "-x"[s.SearchResources] + "-x"[s.SearchEucJp] +
                                "-x"[s.SearchIso2022Jp] + "-x"[s.SearchUtf16Be] +
                                "-x"[s.CheckHalfKana] + "-x"[s.CheckRecurrence] +
                                "-x"[s.CheckEnglish] + "-x"[s.CheckSeparator] +
                                "-x"[s.CheckInitial] + "-x"[s.SaveOption] + " " +
                                std::to_string(s.RecurrenceTime));
    // Nothing reaches the registry before the window closes.
    EXPECT_EQ(0u, Registry::ValueCount());
    CloseMain();
    const std::pair<const char *, const char *> stored[] = {
        {"SearchKanji", "1"},  {"CheckKanjiNoise", "0"}, {"SearchWideJapanese", "1"},
        {"SearchUtf8", "1"},   {"SearchResources", "1"},  {"CheckHalfKana", "0"},
        {"SearchEucJp", "1"},  {"SearchIso2022Jp", "1"},  {"SearchUtf16Be", "1"},
        {"CheckInitial", "1"}, {"CheckSeparator", "0"},     {"SaveOption", "1"},
        {"RecurrenceTime", "7"}, {"MinJapaneseStr", "3"},
    };
    for (const auto &value : stored)
        EXPECT_EQ(value.second, Registry::Get(value.first)) << value.first;
}

TEST_F(OptDialog, StoredWideJapaneseShowsOnItsOwnBoxAndOkClearsIt)
{
    Registry::PutString("SearchWideJapanese", "1");
    Start();
    WithDialog([&](HWND dlg) {
        EXPECT_EQ("-xx--xxxx-- 4", Boxes(dlg));
        Press(dlg, {IDC_CHKSEARCHWIDE, IDOK});
    });
    EXPECT_FALSE(form_->settings().SearchWideJapanese);
    EXPECT_FALSE(form_->settings().SearchKanji);
    CloseMain();
    EXPECT_EQ("0", Registry::Get("SearchWideJapanese"));
}

TEST_F(OptDialog, CancelEscapeAndCloseBoxKeepTheSettings)
{
    Start();
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
            Press(dlg, {IDC_CHKSEARCHKANJI, IDC_CHKSEARCHWIDE, IDC_CHKHALFKANA, IDC_CHKENGLISH,
                        IDC_CHKSAVEOPTION});
            SetWindowTextA(GetDlgItem(dlg, IDC_SPNRECURRENCE), "99");
            way(dlg);
        });
        // The next showing presents the unchanged settings.
        WithDialog([&](HWND dlg) {
            EXPECT_EQ("-X---xxxx-- 4", Boxes(dlg));
            Click(GetDlgItem(dlg, IDCANCEL));
        });
    }
    CloseMain();
    for (const char *name : {"SearchKanji", "SearchWideJapanese", "SaveOption"})
        EXPECT_EQ("0", Registry::Get(name)) << name;
    for (const char *name : {"CheckHalfKana", "CheckEnglish"})
        EXPECT_EQ("1", Registry::Get(name)) << name;
    EXPECT_EQ("4", Registry::Get("RecurrenceTime"));
}

TEST_F(OptDialog, RecurrenceNumberIsKeptInRange)
{
    Registry::PutString("RecurrenceTime", "0");
    Start();
    WithDialog([&](HWND dlg) {
        HWND spn = GetDlgItem(dlg, IDC_SPNRECURRENCE);
        EXPECT_EQ("4", Text(spn));  // a stored 0 is read as the default
        SetWindowTextA(spn, "5000");
        SendMessageA(dlg, WM_COMMAND, MAKEWPARAM(IDC_SPNRECURRENCE, EN_KILLFOCUS),
                     reinterpret_cast<LPARAM>(spn));
        EXPECT_EQ("1000", Text(spn));
        SetWindowTextA(spn, "junk");  // pasted letters: the value the box held stays
        Click(GetDlgItem(dlg, IDOK));
    });
    EXPECT_EQ(1000, form_->settings().RecurrenceTime);
}

// The access key in a caption ("&" and the character after it, in capitals);
// 0 without one.
char AccessKey(HWND control)
{
    const std::string text = Text(control);
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == '&' && text[i + 1] != '&')
            return static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + 1])));
        if (text[i] == '&')
            ++i;
    }
    return 0;
}

// Alt and its key lead to every check box, boxes added later included: its
// own caption's key, or for a box without a caption the key of the text
// before it; no two controls share a key.
TEST_F(OptDialog, EveryCheckBoxIsReachedByAnAccessKeyOfItsOwn)
{
    Registry::PutString("SearchKanji", "1");  // every box usable
    Start();
    WithDialog([&](HWND dlg) {
        std::set<char> keys;
        char before = 0;  // the key of the static text just before
        for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
            const char key = AccessKey(c);
            if (key) {
                EXPECT_TRUE(keys.insert(key).second) << "two controls take " << key;
            }
            char cls[16] = "";
            GetClassNameA(c, cls, sizeof cls);
            const bool box = _stricmp(cls, "Button") == 0 &&
                             (GetWindowLongA(c, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
            if (box) {
                const char reach = key ? key : before;
                SCOPED_TRACE(GetDlgCtrlID(c));
                ASSERT_NE(0, reach);
                SetFocus(GetDlgItem(dlg, IDCANCEL));
                const UINT state = IsDlgButtonChecked(dlg, GetDlgCtrlID(c));
                MSG m = {GetFocus(), WM_SYSCHAR, static_cast<WPARAM>(reach), 1 << 29, 0, {0, 0}};
                EXPECT_TRUE(IsDialogMessageA(dlg, &m));
                EXPECT_EQ(c, GetFocus());
                // A box's own key ticks it too: put back, so that its
                // dependants stay usable.
                if (IsDlgButtonChecked(dlg, GetDlgCtrlID(c)) != state)
                    Click(c);
            }
            before = _stricmp(cls, "Static") == 0 ? key : 0;
        }
        Click(GetDlgItem(dlg, IDCANCEL));
    });
}

} // namespace
