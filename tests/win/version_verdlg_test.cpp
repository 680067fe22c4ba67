// LoomVerInfo under Wine: the dialog runs modally on the test's thread while
// a driver thread looks at it as a user would (texts, place, the painted
// bitmap), presses its buttons and closes it.  The support mail goes to a
// stand-in mail program that records the link it was given.
// Japanese literals are Shift-JIS here, as the dialog shows them.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "loom_version.h"
#include "mail_catcher_win.h"
#include "util/loomutil.h"
#include "verdlg/loomverinfo.h"
#include "win_test_util.h"

namespace {

using testsupport::LibMessage;

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Loomkit";

std::string Title(const std::string &product)
{
    char title[256];
    wsprintfA(title, LibMessage(1).c_str(), product.c_str());
    return title;
}

std::string ItemText(HWND dialog, int id)
{
    std::string text(70000, '\0');
    int n = GetDlgItemTextA(dialog, id, &text[0], static_cast<int>(text.size()));
    text.resize(n > 0 ? n : 0);
    return text;
}

std::string WindowText(HWND window)
{
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// A shown dialog window of this process with the given title, waited for
// up to 20 s.  (Wine's FindWindow misses titles of a hundred characters,
// so the windows are looked at one by one.)
struct DialogSearch {
    const std::string *title;
    HWND found;
};

BOOL CALLBACK MatchDialog(HWND window, LPARAM context)
{
    auto search = reinterpret_cast<DialogSearch *>(context);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char kind[16] = "";
    GetClassNameA(window, kind, sizeof kind);
    if (pid == GetCurrentProcessId() && IsWindowVisible(window) &&
        std::strcmp(kind, "#32770") == 0 && WindowText(window) == *search->title) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForDialog(const std::string &title)
{
    DialogSearch search = {&title, nullptr};
    for (int i = 0; i < 400 && !search.found; ++i) {
        EnumWindows(MatchDialog, reinterpret_cast<LPARAM>(&search));
        if (!search.found)
            Sleep(50);
    }
    return search.found;
}

// What the driver saw of the dialog.
struct Seen {
    bool found = false;
    std::string title, productLine, copyright, productName, text;
    RECT window = {}, desktop = {};
    RECT picture = {};
    COLORREF centre = 0, aboveTop = 0, belowTop = 0, leftOfLeft = 0, rightOfLeft = 0;
};

class VersionDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::memset(&param_, 0, sizeof param_);
        std::strcpy(param_.ProductName, "Lexprobe");
        std::strcpy(param_.VersionText, "1.2.3");
        std::strcpy(param_.CopyrightText, "Copyright (C) 2026 Halvek");
        param_.ExtraText = "\r\nextra text at the end";
    }
    void TearDown() override
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
        if (bitmap_)
            DeleteObject(bitmap_);
    }

    // A red bitmap of 40 x 60 pixels.
    HBITMAP RedBitmap()
    {
        HDC screen = GetDC(nullptr);
        bitmap_ = CreateCompatibleBitmap(screen, 40, 60);
        HDC memory = CreateCompatibleDC(screen);
        HGDIOBJ old = SelectObject(memory, bitmap_);
        RECT all = {0, 0, 40, 60};
        HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
        FillRect(memory, &all, red);
        DeleteObject(red);
        SelectObject(memory, old);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return bitmap_;
    }

    // Runs the dialog; `drive` gets its window once it is shown and must
    // close it.  Returns LoomVerInfo's result.
    INT_PTR Run(const std::function<void(HWND)> &drive)
    {
        // The library's "version of" message for the product name as the
        // dialog reads it: at most 99 bytes.
        const std::string title = Title(std::string(param_.ProductName, strnlen(param_.ProductName, 99)));
        std::thread driver([&] {
            HWND dialog = WaitForDialog(title);
            seen_.found = dialog != nullptr;
            if (dialog)
                drive(dialog);
        });
        INT_PTR result = LoomVerInfo(nullptr, &param_);
        driver.join();
        return result;
    }

    // Reads what a user would see, then closes the dialog with `button`.
    std::function<void(HWND)> LookAndPress(int button)
    {
        return [this, button](HWND dialog) {
            UpdateWindow(dialog);
            Sleep(300);
            seen_.title = WindowText(dialog);
            seen_.productLine = ItemText(dialog, 200);
            seen_.copyright = ItemText(dialog, 400);
            seen_.productName = ItemText(dialog, 500);
            seen_.text = ItemText(dialog, 1000);
            GetWindowRect(dialog, &seen_.window);
            GetWindowRect(GetDesktopWindow(), &seen_.desktop);
            GetWindowRect(GetDlgItem(dialog, 100), &seen_.picture);
            MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&seen_.picture), 2);
            const RECT &p = seen_.picture;
            const int top = p.top + ((p.bottom - p.top) - 60) / 2;
            const int left = p.left + ((p.right - p.left) - 40) / 2;
            HDC dc = GetDC(dialog);
            seen_.centre = GetPixel(dc, left + 20, top + 30);
            seen_.aboveTop = GetPixel(dc, left + 20, top - 1);
            seen_.belowTop = GetPixel(dc, left + 20, top);
            seen_.leftOfLeft = GetPixel(dc, left - 1, top + 30);
            seen_.rightOfLeft = GetPixel(dc, left, top + 30);
            ReleaseDC(dialog, dc);
            PostMessageA(dialog, WM_COMMAND, button, 0);
        };
    }

    VerInfoParam param_;
    Seen seen_;
    HBITMAP bitmap_ = nullptr;
};

TEST_F(VersionDialog, TextsPlaceAndPicture)
{
    ASSERT_EQ(1, RegWriteString(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Loomkit 試用版"));
    param_.Bitmap = RedBitmap();
    EXPECT_EQ(IDOK, Run(LookAndPress(IDOK)));
    ASSERT_TRUE(seen_.found);
    EXPECT_EQ(Title("Lexprobe"), seen_.title);
    EXPECT_EQ("Loomkit\nLexprobe  Version 1.2.3", seen_.productLine);
    EXPECT_EQ("Copyright (C) 2026 Halvek", seen_.copyright);
    EXPECT_EQ("Lexprobe", seen_.productName);
    // The component list, the report, then ExtraText.
    const std::string head = "Loomkit 試用版\r\n" + LibMessage(3) + "loomlib.dll  \t" LOOM_VER_STRING "\r\n";
    EXPECT_EQ(0u, seen_.text.find(head)) << seen_.text.substr(0, 200);
    for (const char *component : {"\r\ncomctl32.dll \t", "\r\nshell32.dll  \t", "\r\nurlmon.dll   \t"})
        EXPECT_NE(std::string::npos, seen_.text.find(component)) << component;
    EXPECT_NE(std::string::npos, seen_.text.find("\r\n\r\n" + LibMessage(4))) << "report after the list";
    const std::string extra = param_.ExtraText;
    ASSERT_GT(seen_.text.size(), extra.size());
    EXPECT_EQ(extra, seen_.text.substr(seen_.text.size() - extra.size()));
    // Centred on the desktop.
    const int width = seen_.window.right - seen_.window.left;
    const int height = seen_.window.bottom - seen_.window.top;
    EXPECT_EQ((seen_.desktop.right - seen_.desktop.left - width) / 2, seen_.window.left);
    EXPECT_EQ((seen_.desktop.bottom - seen_.desktop.top - height) / 2, seen_.window.top);
    // The bitmap at its size, centred on the hidden picture item.
    EXPECT_EQ(RGB(255, 0, 0), seen_.centre);
    EXPECT_EQ(RGB(255, 0, 0), seen_.belowTop);
    EXPECT_EQ(RGB(255, 0, 0), seen_.rightOfLeft);
    EXPECT_NE(RGB(255, 0, 0), seen_.aboveTop);
    EXPECT_NE(RGB(255, 0, 0), seen_.leftOfLeft);
}

TEST_F(VersionDialog, LongProductNameWithoutTerminatorAndNoExtraText)
{
    // 100 bytes and no terminator: read as its first 99.
    std::memset(param_.ProductName, 'P', sizeof param_.ProductName);
    std::memset(param_.VersionText, 'V', sizeof param_.VersionText);
    param_.ExtraText = nullptr;
    const std::string product(99, 'P');
    EXPECT_EQ(IDCANCEL, Run([&](HWND dialog) {
        seen_.title = WindowText(dialog);
        seen_.productLine = ItemText(dialog, 200);
        seen_.text = ItemText(dialog, 1000);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }));
    ASSERT_TRUE(seen_.found);
    EXPECT_EQ(Title(product), seen_.title);
    EXPECT_EQ("Loomkit\n" + product + "  Version " + std::string(49, 'V'), seen_.productLine);
    // No uninstall key: an empty first line, then the component header.
    EXPECT_EQ(0u, seen_.text.find("\r\n" + LibMessage(3))) << seen_.text.substr(0, 100);
}

TEST_F(VersionDialog, MailLinkGoesToTheMailProgram)
{
    std::strcpy(param_.ProductName, std::string(99, 'Q').c_str());
    const testsupport::MailCatcher mail;
    std::string link;
    EXPECT_EQ(IDOK, Run([&](HWND dialog) {
        seen_.text = ItemText(dialog, 1000);
        PostMessageA(dialog, WM_COMMAND, 10, 0);
        link = mail.Link();
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    }));
    ASSERT_FALSE(link.empty()) << "the mail program was not started";
    const std::string start = "mailto:support@loomkit.example?subject=" + std::string(99, 'Q') + "の質問&body=";
    EXPECT_EQ(0u, link.find(start)) << link.substr(0, 200);
    // The dialog's text follows, URL-encoded: line breaks as %0D%0A.
    EXPECT_NE(std::string::npos, link.find("loomlib.dll  %09" LOOM_VER_STRING "%0D%0A")) << link.substr(0, 400);
    EXPECT_EQ(std::string::npos, link.find('\r'));
    // Cut to what Wine's shell takes.
    EXPECT_LE(link.size(), 900u);
    EXPECT_GT(link.size(), 850u);
}

TEST_F(VersionDialog, MailProgramThatCannotStartIsReported)
{
    const testsupport::MailCatcher mail("\"C:\\no such folder\\mailer.exe\" \"%1\"");
    std::string boxText, boxTitle;
    EXPECT_EQ(IDCANCEL, Run([&](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, 10, 0);
        HWND box = WaitForDialog("Lexprobe");
        if (box) {
            boxTitle = WindowText(box);
            boxText = ItemText(box, 0xFFFF);
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
        // The version dialog is still there after the message.
        for (int i = 0; i < 100 && IsWindowVisible(box); ++i)
            Sleep(50);
        if (IsWindow(dialog))
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    }));
    EXPECT_EQ("Lexprobe", boxTitle);
    EXPECT_EQ(LibMessage(2), boxText);
}

TEST(LoomVerInfo, NoRecordNoDialog)
{
    EXPECT_EQ(-1, LoomVerInfo(nullptr, nullptr));
}

} // namespace
