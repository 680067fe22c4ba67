// The version dialog and the Help menu, reached from a real main window in
// this process.  The shell is watched through the program's shell hook, so
// no browser or mail program starts (one test hands its mail to a stand-in
// mail program); the library is the real loomlib.dll beside the test.
#include "mainwindow_fixture.h"

#include <cctype>
#include <cstdlib>

#include "about/about_ids.h"
#include "about/about_win.h"
#include "loom_version.h"
#include "sysinfo/loomsys.h"
#include "ui/shell_win.h"
#include "mail_catcher_win.h"
#include "util/mail_link_win.h"
#include "win_test_util.h"

namespace {

using namespace apptest;
using testsupport::CrLfLines;


std::string LongText(HWND control)
{
    std::string text(static_cast<std::size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(control, &text[0], int(text.size()))));
    return text;
}

// Undoes the %XX escapes of a mail link.
std::string Unescape(const std::string &text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

class AboutDialog : public App {
protected:
    void SetUp() override
    {
        App::SetUp();
        lex::SetShellOpenHook([this](const lex::ShellRequest &r) {
            requests_.push_back({r.owner, r.file, r.parameters ? r.parameters : "<null>",
                                 r.directory ? r.directory : "<null>", r.show});
            return shellResult_;
        });
    }
    void TearDown() override
    {
        lex::AboutDlg::SetShowHook(nullptr);
        lex::SetShellOpenHook(nullptr);
        App::TearDown();
    }

    // Chooses "バージョン情報(&A)..." and runs `body` with the dialog on
    // screen; the body closes it, or OK is pressed after it.
    void WithDialog(const std::function<void(HWND)> &body)
    {
        bool ran = false;
        lex::AboutDlg::SetShowHook([&](HWND dlg) {
            ran = true;
            EXPECT_FALSE(IsWindowEnabled(Main())) << "modal";
            body(dlg);
            if (IsWindowVisible(dlg))
                Click(GetDlgItem(dlg, IDOK));
        });
        SendMessageA(Main(), WM_COMMAND, IDM_VERSION, 0);
        EXPECT_TRUE(ran);
        EXPECT_FALSE(IsWindowVisible(form_->aboutDlg().hwnd()));
        EXPECT_TRUE(IsWindowEnabled(Main()));
    }

    std::string SysInfo(HWND dlg) { return LongText(GetDlgItem(dlg, IDC_SYSINFO)); }

    struct Request {
        HWND owner;
        std::string file, parameters, directory;
        int show;
    };
    std::vector<Request> requests_;
    INT_PTR shellResult_ = 33;
};

TEST_F(AboutDialog, ShowsVersionsAndTheReport)
{
    Start();
    WithDialog([&](HWND dlg) {
        // A caption that names the program; a layout that fits in the
        // program's Japanese font; centred on the screen.
        EXPECT_EQ(0u, Text(dlg).find("Lexprobe ")) << Text(dlg);
        EXPECT_EQ(std::vector<std::string>{}, testsupport::LayoutFaults(dlg, true));
        RECT w;
        GetWindowRect(dlg, &w);
        EXPECT_EQ((GetSystemMetrics(SM_CXSCREEN) - (w.right - w.left)) / 2, w.left);
        EXPECT_EQ((GetSystemMetrics(SM_CYSCREEN) - (w.bottom - w.top)) / 2, w.top);
        LONG style = GetWindowLongA(dlg, GWL_STYLE);
        EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
        EXPECT_TRUE(style & WS_SYSMENU);
        const LOGFONTA font = FontOf(GetDlgItem(dlg, IDC_VERSION));
        const LOGFONTA title = FontOf(GetDlgItem(dlg, IDC_LABEL1));
        EXPECT_EQ(SHIFTJIS_CHARSET, font.lfCharSet);
        EXPECT_GT(std::abs(title.lfHeight), std::abs(font.lfHeight)) << "the title stands out";
        EXPECT_EQ(FW_BOLD, title.lfWeight);

        // The running executable's own version resource.
        EXPECT_EQ(std::string("Version ") + LOOM_VER_STRING, Text(GetDlgItem(dlg, IDC_VERSION)));
        EXPECT_EQ(LOOM_COPYRIGHT, Text(GetDlgItem(dlg, IDC_COPYRIGHT)));
        EXPECT_EQ(GetDlgItem(dlg, IDOK), GetFocus());

        const std::vector<std::string> lines = CrLfLines(SysInfo(dlg));
        ASSERT_GT(lines.size(), 10u);
        // The library's headings, without their line ends.
        const auto heading = [](unsigned id) { return CrLfLines(testsupport::LibMessage(id))[0]; };
        EXPECT_EQ(heading(3), lines[0]);
        EXPECT_EQ(std::string("Lexprobe.exe  \t") + LOOM_VER_STRING, lines[1]);
        EXPECT_EQ(std::string("loomlib.dll\t") + LOOM_VER_STRING, lines[2]);
        EXPECT_EQ("", lines[3]);
        EXPECT_EQ(heading(4), lines[4]);
        OSVERSIONINFOA os = {};
        os.dwOSVersionInfoSize = sizeof os;
        GetVersionExA(&os);
        EXPECT_EQ(OSName(&os), lines[5]);
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), heading(8)));

        HWND sysInfo = GetDlgItem(dlg, IDC_SYSINFO);
        LONG edit = GetWindowLongA(sysInfo, GWL_STYLE);
        EXPECT_TRUE(edit & ES_MULTILINE);
        EXPECT_TRUE(edit & ES_READONLY);
        EXPECT_TRUE(edit & WS_VSCROLL);
        EXPECT_FALSE(edit & WS_TABSTOP) << "the Tab key skips SysInfo";
        EXPECT_FALSE(edit & WS_HSCROLL);
        HDC dc = CreateCompatibleDC(nullptr);
        LRESULT brush = SendMessageA(dlg, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(sysInfo));
        DeleteDC(dc);
        LOGBRUSH lb = {};
        ASSERT_NE(0, brush);
        GetObjectA(reinterpret_cast<HBRUSH>(brush), sizeof lb, &lb);
        EXPECT_EQ(GetSysColor(COLOR_BTNFACE), lb.lbColor);
        EXPECT_TRUE(GetWindowLongA(GetDlgItem(dlg, IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
    });
    EXPECT_TRUE(requests_.empty());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(AboutDialog, OpeningTwiceRebuildsTheSameLines)
{
    Start();
    std::vector<std::string> first, second;
    WithDialog([&](HWND dlg) { first = CrLfLines(SysInfo(dlg)); });
    // Esc closes it too.
    lex::AboutDlg::SetShowHook([&](HWND dlg) {
        second = CrLfLines(SysInfo(dlg));
        SendMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
    });
    EXPECT_EQ(IDCANCEL, form_->aboutDlg().ShowModal());
    EXPECT_FALSE(IsWindowVisible(form_->aboutDlg().hwnd()));
    ASSERT_EQ(first.size(), second.size()) << "rebuilt, not appended to";
    // Free memory, free space and the measured clock move between two
    // reports; every line up to the processor's name stays.
    for (std::size_t i = 0; i < 9; ++i)
        EXPECT_EQ(first[i], second[i]) << i;
    EXPECT_EQ(1, std::count(second.begin(), second.end(), "構成ファイル情報:"));
}

TEST_F(AboutDialog, MailLinkCarriesTheDialogText)
{
    Start();
    std::string text;
    WithDialog([&](HWND dlg) {
        text = SysInfo(dlg);
        Click(GetDlgItem(dlg, IDC_BTNMAIL));
        EXPECT_TRUE(IsWindowVisible(dlg)) << "the dialog stays open";
    });
    ASSERT_EQ(1u, requests_.size());
    const Request &r = requests_[0];
    EXPECT_EQ(nullptr, r.owner);
    EXPECT_EQ("<null>", r.parameters);
    EXPECT_EQ("<null>", r.directory);
    EXPECT_EQ(SW_SHOWNORMAL, r.show);

    const std::string head = "mailto:support@loomkit.example?subject=Lexprobeの質問&body=";
    ASSERT_EQ(0u, r.file.find(head)) << r.file.substr(0, 200);
    // The TABs of lines 2 and 3 go as %09, the line breaks as %0D%0A.
    EXPECT_NE(std::string::npos, r.file.find("Lexprobe.exe  %09"));
    EXPECT_NE(std::string::npos, r.file.find("%0D%0Aloomlib.dll%09"));
    const std::vector<std::string> body = CrLfLines(Unescape(r.file.substr(head.size())));
    ASSERT_GT(body.size(), 6u);
    EXPECT_EQ("(ここに本文を記述します)", body[0]);
    EXPECT_EQ("", body[1]);
    EXPECT_EQ("", body[2]);
    EXPECT_EQ("システム情報:", body[3]);
    EXPECT_EQ(std::string(48, '='), body[4]);
    EXPECT_EQ(CrLfLines(text), std::vector<std::string>(body.begin() + 5, body.end()));
    EXPECT_TRUE(boxes_.empty());
}

// The escapes are the library's URL encoding; a text of 60,000 bytes grows
// to 180,000 when every byte is escaped, and the mail takes all of it.
TEST_F(AboutDialog, MailFitsAnyText)
{
    Start();
    std::string text;
    for (int i = 0; i < 30000; ++i)
        text += "\r\n";
    text += "end";
    WithDialog([&](HWND dlg) {
        SetDlgItemTextA(dlg, IDC_SYSINFO, text.c_str());
        ASSERT_EQ(text.size(), SysInfo(dlg).size());
        Click(GetDlgItem(dlg, IDC_BTNMAIL));
        ASSERT_EQ(1u, requests_.size());
        const std::string &link = requests_[0].file;
        // The text follows the template's last (lower-case) line break.
        EXPECT_EQ(text, Unescape(link.substr(link.rfind("%0d%0a") + 6))) << link.substr(0, 200);
    });
}

TEST_F(AboutDialog, LongMailGoesToTheMailProgramAsWineTakesIt)
{
    // Wine's shell dies on mail links past about 950 bytes; the real shell
    // gets the longest start of the link that it survives, cut between
    // whole escapes and characters.
    Start();
    std::string full, got;
    {
        const testsupport::MailCatcher mail;
        WithDialog([&](HWND dlg) {
            std::string text;
            for (int i = 0; i < 400; ++i)
                text += "項目 " + std::to_string(i) + "%\r\n";
            SetDlgItemTextA(dlg, IDC_SYSINFO, text.c_str());
            Click(GetDlgItem(dlg, IDC_BTNMAIL));
            ASSERT_EQ(1u, requests_.size());
            full = requests_[0].file;
            lex::SetShellOpenHook(nullptr);
            Click(GetDlgItem(dlg, IDC_BTNMAIL));
            got = mail.Link();
        });
    }
    ASSERT_GT(full.size(), 5000u);
    ASSERT_FALSE(got.empty()) << "the mail program was not started";
    EXPECT_LE(got.size(), loom::kWineMailLinkLimit);
    EXPECT_EQ(0, full.compare(0, got.size(), got)) << got;
    // The body ends with a whole line, and the next line would not fit.
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ("%0A", got.substr(got.size() - 3)) << got;
    EXPECT_GT(full.find("%0A", got.size()) + 3, loom::kWineMailLinkLimit);
    EXPECT_TRUE(boxes_.empty());
}

TEST(ShellSafeLink, OnlyLongMailLinksUnderWineAreCut)
{
    EXPECT_TRUE(loom::RunningOnWine()) << "the window tests run under Wine";
    const std::string escapes = "mailto:a?body=" + [] {
        std::string t;
        for (int i = 0; i < 400; ++i)
            t += "%0D\x82\xa0";
        return t;
    }();
    const std::string page = "https://example.com/" + std::string(2000, 'x');
    std::string lines = "mailto:a?body=", words = lines;
    for (int i = 0; i < 100; ++i)
        lines += "line%20\x8d\x80%0D%0A";
    for (int i = 0; i < 200; ++i)
        words += "%20abcde";
    struct Case {
        std::string link;
        bool onWine;
        std::size_t length;
    } cases[] = {
        {escapes, false, escapes.size()},
        {page, true, page.size()},
        {"mailto:" + std::string(900 - 7, 'a'), true, 900},
        {"mailto:" + std::string(901 - 7, 'a'), true, 900},
        {"MailTo:" + std::string(2000, 'a'), true, 900},
        // 14 bytes of head, then units of 3 and 2 bytes: 177 pairs take 885.
        {escapes, true, 14 + 177 * 5 + 0},
        // Lines of 15 bytes after the head: 59 whole ones fit.
        {lines, true, 14 + 59 * 15},
        // Words of 8 bytes: the link ends before the space that begins the
        // 111th, and never inside the query's head.
        {words, true, 14 + 110 * 8},
        {"mailto:" + std::string(500, 'a') + "%20?body=" + std::string(1000, 'b'), true, 900},
    };
    for (const Case &c : cases) {
        const std::string safe = loom::ShellSafeLink(c.link, c.onWine);
        EXPECT_EQ(c.length, safe.size()) << c.link.substr(0, 20) << " " << c.onWine;
        EXPECT_EQ(0, c.link.compare(0, safe.size(), safe));
    }
}

TEST_F(AboutDialog, MailProgramThatCannotStart)
{
    Start();
    struct Case {
        INT_PTR shell;
        bool error;
    } cases[] = {{31, true}, {32, true}, {0, true}, {33, false}};
    WithDialog([&](HWND dlg) {
        for (const auto &c : cases) {
            boxes_.clear();
            shellResult_ = c.shell;
            Click(GetDlgItem(dlg, IDC_BTNMAIL));
            EXPECT_TRUE(IsWindowVisible(dlg)) << c.shell;
            if (c.error) {
                ASSERT_EQ(1u, boxes_.size()) << c.shell;
                EXPECT_EQ(testsupport::LibMessage(2), boxes_[0].text);
                EXPECT_EQ(testsupport::LibMessage(33), boxes_[0].caption);
                EXPECT_EQ(static_cast<UINT>(MB_OK | MB_ICONERROR), boxes_[0].type);
            } else {
                EXPECT_TRUE(boxes_.empty()) << c.shell;
            }
        }
    });
}

TEST_F(AboutDialog, ReadMeOpensTheDocumentBesideTheProgramOrSaysItCannot)
{
    Start();
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder(exe);
    folder.resize(folder.rfind('\\'));
    for (INT_PTR shell : {INT_PTR(42), INT_PTR(2)}) {
        requests_.clear();
        boxes_.clear();
        shellResult_ = shell;
        SendMessageA(Main(), WM_COMMAND, IDM_README, 0);
        ASSERT_EQ(1u, requests_.size());
        EXPECT_EQ(Main(), requests_[0].owner);
        EXPECT_EQ(folder + "\\readme.htm", requests_[0].file);
        EXPECT_EQ("", requests_[0].parameters);
        EXPECT_EQ("", requests_[0].directory);
        EXPECT_NE(SW_HIDE, requests_[0].show);
        // A document the shell cannot open is reported, with its name.
        ASSERT_EQ(shell <= 32 ? 1u : 0u, boxes_.size()) << shell;
        if (!boxes_.empty()) {
            EXPECT_NE(std::string::npos, boxes_[0].text.find(requests_[0].file));
        }
    }
    EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((folder + "\\readme.htm").c_str()));
}

} // namespace
