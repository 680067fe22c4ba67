// The window, shell and file-search exports under Wine: one message of the
// queue, the visual-style functions, the shell's properties window, the
// search through the usual places and the tree-view helper.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>

#include "util/loomshell.h"
#include "util/loomutil.h"
#include "version/exeinfo.h"
#include "win_test_util.h"

namespace {

using testsupport::TempDir;
using testsupport::WriteAll;

// The text in upper or lower case, by the system's own rule.
std::string Cased(std::string text, LPSTR (WINAPI *change)(LPSTR))
{
    change(&text[0]);
    return text;
}

// A window that counts the messages it receives.
struct CountingWindow {
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
    {
        if (msg == WM_APP)
            ++received;
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    static int received;
    HWND hwnd = nullptr;

    CountingWindow()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "LoomCountingWindow";
        RegisterClassA(&wc);
        hwnd = CreateWindowA("LoomCountingWindow", "counting", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                             nullptr, nullptr, wc.hInstance, nullptr);
        // Let creation's own messages pass.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        received = 0;
    }
    ~CountingWindow() { DestroyWindow(hwnd); }
};
int CountingWindow::received;

TEST(ProcessSingleMessage, OneMessageAtATimeAndNeverTheQuitRequest)
{
    CountingWindow w;
    EXPECT_EQ(0, ProcessSingleMessage());
    PostMessageA(w.hwnd, WM_APP, 0, 0);
    PostMessageA(w.hwnd, WM_APP, 0, 0);
    EXPECT_EQ(1, ProcessSingleMessage());
    EXPECT_EQ(1, CountingWindow::received);
    EXPECT_EQ(1, ProcessSingleMessage());
    EXPECT_EQ(2, CountingWindow::received);
    EXPECT_EQ(0, ProcessSingleMessage());
    // A quit request is left for the caller.
    PostQuitMessage(7);
    EXPECT_EQ(0, ProcessSingleMessage());
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(7u, msg.wParam);
}

// Runs the probe program, which reports the theme exports' results through
// its exit code: 1 SetWindowTheme gave -1, 2 EnableThemeDialogTexture gave
// -1, 4 uxtheme.dll was loaded, 8 the results matched uxtheme's own.
long RunThemeProbe()
{
    return testsupport::RunProgram("\"" + testsupport::InBin("theme_probe.exe") + "\"");
}

// With uxtheme.dll loaded the system answers; on version 5.0 both give -1.
TEST(ThemeExports, AsTheWindowsVersionAllows)
{
    for (const char *version : {"", "win2k"}) {
        ASSERT_TRUE(!*version || testsupport::SetProgramWindowsVersion("theme_probe.exe", version));
        EXPECT_EQ(*version ? 1 | 2 | 4 : 4 | 8, RunThemeProbe()) << version;
    }
    testsupport::SetProgramWindowsVersion("theme_probe.exe", "");
}

// Closes the first properties window that appears while a call runs.
class PropertyWindowCloser {
public:
    PropertyWindowCloser() : thread_([this] { Run(); }) {}
    ~PropertyWindowCloser()
    {
        stop_ = true;
        thread_.join();
    }
    bool Closed() const { return closed_; }
    std::string Title() const { return title_; }

private:
    static BOOL CALLBACK Look(HWND hwnd, LPARAM self)
    {
        auto closer = reinterpret_cast<PropertyWindowCloser *>(self);
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        char title[256] = {};
        GetWindowTextA(hwnd, title, sizeof title);
        if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd) && title[0] != '\0') {
            closer->title_ = title;
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
            closer->closed_ = true;
            return FALSE;
        }
        return TRUE;
    }
    void Run()
    {
        for (int i = 0; i < 300 && !closed_; ++i) {
            EnumWindows(Look, reinterpret_cast<LPARAM>(this));
            if (stop_ && i > 20)
                break;
            Sleep(50);
        }
    }
    std::atomic<bool> stop_{false}, closed_{false};
    std::string title_;
    std::thread thread_;
};

TEST(InvokeFileProperty, FindsAFileWhateverItsCase)
{
    std::string dir = TempDir() + "LoomProp";
    CreateDirectoryA(dir.c_str(), nullptr);
    std::string file = dir + "\\MixedCase.Txt";
    ASSERT_TRUE(WriteAll(file, "properties"));
    std::string path = Cased(file, CharUpperA);
    int result;
    PropertyWindowCloser closer;
    result = InvokeFileProperty(nullptr, &path[0]);
    // Pump until the window is gone, for a shell that shows it modeless.
    for (int i = 0; i < 100 && !closer.Closed(); ++i) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        Sleep(20);
    }
    EXPECT_GE(result, 0);
    EXPECT_EQ(Cased(file, CharLowerA), path);
    EXPECT_TRUE(closer.Closed()) << "no properties window appeared";
    // The shell names the window after the file, in its own letter case.
    EXPECT_NE(std::string::npos, closer.Title().find("MixedCase.Txt")) << closer.Title();
}

TEST(InvokeFileProperty, MissingItemsGiveMinusOne)
{
    struct Case {
        const char *what;
        std::string path;
    } cases[] = {
        {"no such drive", "Q:\\nothing\\here.txt"},
        {"no such file", TempDir() + "LoomProp\\absent.txt"},
        {"empty", ""},
    };
    for (Case &c : cases)
        EXPECT_EQ(-1, InvokeFileProperty(nullptr, &c.path[0])) << c.what;
}

class SeekFile : public ::testing::Test {
protected:
    void SetUp() override
    {
        first_ = TempDir() + "LoomSeek";
        CreateDirectoryA(first_.c_str(), nullptr);
        char dir[MAX_PATH];
        GetSystemDirectoryA(dir, MAX_PATH);
        system_ = dir;
        GetWindowsDirectoryA(dir, MAX_PATH);
        windows_ = dir;
    }
    void TearDown() override
    {
        DeleteFileA((first_ + "\\kernel32.dll").c_str());
        DeleteFileA((first_ + "\\loomseek.exe").c_str());
        DeleteFileA((windows_ + "\\loomseek_win.exe").c_str());
        RemoveDirectoryA(first_.c_str());
    }
    std::string Seek(const char *name, const std::string &first)
    {
        char out[260];
        std::memset(out, 'x', sizeof out);
        char *result = SeekFileInPossibleDir(name, first.c_str(), out);
        EXPECT_EQ(out, result);
        return out;
    }
    std::string first_, system_, windows_;
};

TEST_F(SeekFile, UsualPlacesInOrder)
{
    ASSERT_TRUE(WriteAll(first_ + "\\loomseek.exe", "MZ program"));
    ASSERT_TRUE(WriteAll(windows_ + "\\loomseek_win.exe", "MZ program"));
    EXPECT_EQ(first_, Seek("loomseek.exe", first_));
    EXPECT_EQ(first_ + "\\", Seek("loomseek.exe", first_ + "\\"));
    // Only in the Windows directory.
    EXPECT_EQ(windows_, Seek("loomseek_win.exe", first_));
    // In the system directory.
    EXPECT_EQ(system_, Seek("kernel32.dll", first_));
    // A text file of that name in the first directory does not count.
    ASSERT_TRUE(WriteAll(first_ + "\\kernel32.dll", "not a program"));
    EXPECT_EQ(system_, Seek("kernel32.dll", first_));
    EXPECT_EQ("", Seek("no_such_file.dll", first_));
    EXPECT_EQ("", Seek("loomseek.exe", std::string(300, 'd')));
}

TEST(TreeViewAddItem, LabelsImagesAndOrder)
{
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    HWND tree = CreateWindowExA(0, WC_TREEVIEWA, "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 200, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, tree);
    HTREEITEM root = TreeView_AddItem(TVI_ROOT, "Root", TVI_LAST, 3, tree);
    ASSERT_NE(nullptr, root);
    HTREEITEM second = TreeView_AddItem(root, "Second", TVI_LAST, 1, tree);
    HTREEITEM first = TreeView_AddItem(root, "", TVI_FIRST, 0, tree);
    ASSERT_NE(nullptr, second);
    ASSERT_NE(nullptr, first);

    struct Case {
        HTREEITEM item;
        const char *label;
        int image;
    } cases[] = {{root, "Root", 3}, {second, "Second", 1}, {first, "", 0}};
    for (const Case &c : cases) {
        char text[64] = "unchanged";
        TVITEMA item = {};
        item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
        item.hItem = c.item;
        item.pszText = text;
        item.cchTextMax = sizeof text;
        ASSERT_TRUE(SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)));
        EXPECT_STREQ(c.label, item.pszText);
        EXPECT_EQ(c.image, item.iImage) << c.label;
        EXPECT_EQ(c.image, item.iSelectedImage) << c.label;
    }
    HTREEITEM child = reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(root)));
    EXPECT_EQ(first, child);
    EXPECT_EQ(nullptr, TreeView_AddItem(TVI_ROOT, "lost", TVI_LAST, 0, nullptr));
    DestroyWindow(tree);
}

} // namespace
