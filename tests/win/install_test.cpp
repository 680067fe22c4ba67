// The installation: the archive unpacked into an empty folder (whose name
// has a blank and Japanese, "表" ending in the byte of "\"), and the program
// started from there as a user starts it, with a file on its command line
// and another folder as the current one.  It must find its library and its
// word list beside itself and scan the file at once.
//
// LEX_INSTALL_DIR names the unpacked folder (install_test.sh sets it).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "mainwindow/commands.h"
#include "util/handles_win.h"

namespace {

std::string InstallDir()
{
    const char *dir = std::getenv("LEX_INSTALL_DIR");
    return dir ? dir : "";
}

std::set<std::string> FilesIn(const std::string &dir)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    loom::FindHandle find(FindFirstFileA((dir + "\\*").c_str(), &found));
    if (!find.valid())
        return names;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(found.cFileName);
    } while (FindNextFileA(find.get(), &found));
    return names;
}

std::string Temp(const std::string &name)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + name;
}

// A started program: its process and, once it is on screen, its main window.
class Started {
public:
    Started(const std::string &exe, const std::string &file, const std::string &currentDir)
    {
        std::string line = "\"" + exe + "\" \"" + file + "\"";
        std::vector<char> buffer(line.begin(), line.end());
        buffer.push_back('\0');
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (CreateProcessA(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           currentDir.c_str(), &si, &pi)) {
            process_.reset(pi.hProcess);
            CloseHandle(pi.hThread);
            pid_ = pi.dwProcessId;
        }
    }
    ~Started()
    {
        if (process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.get(), 99);
    }
    bool running() const { return process_.valid(); }

    // The first visible top-level window of the process with class `cls`
    // (the program keeps its settings dialog, a hidden "#32770", all along).
    HWND Find(const char *cls) const
    {
        Search search = {pid_, cls, nullptr};
        EnumWindows(Match, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }

    // Waits (at most `seconds`) until `ready` holds or the process ends.
    template <class Ready>
    bool WaitUntil(Ready ready, int seconds) const
    {
        for (int i = 0; i < seconds * 20; i++) {
            if (ready())
                return true;
            if (WaitForSingleObject(process_.get(), 50) == WAIT_OBJECT_0)
                return ready();
        }
        return false;
    }

    // The exit code once the process has ended, or STILL_ACTIVE.
    DWORD ExitCode(int seconds) const
    {
        WaitForSingleObject(process_.get(), static_cast<DWORD>(seconds) * 1000);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(process_.get(), &code);
        return code;
    }

private:
    struct Search {
        DWORD pid;
        const char *cls;
        HWND found;
    };
    static BOOL CALLBACK Match(HWND wnd, LPARAM param)
    {
        auto *s = reinterpret_cast<Search *>(param);
        DWORD pid = 0;
        GetWindowThreadProcessId(wnd, &pid);
        char name[64] = "";
        GetClassNameA(wnd, name, sizeof name);
        if (pid == s->pid && std::string(name) == s->cls && IsWindowVisible(wnd)) {
            s->found = wnd;
            return FALSE;
        }
        return TRUE;
    }

    loom::KernelObject process_;
    DWORD pid_ = 0;
};

std::string TextOf(HWND wnd)
{
    char text[1024] = "";
    DWORD_PTR ignored;
    SendMessageTimeoutA(wnd, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, 5000, &ignored);
    return text;
}

// A message box of the program: what it says, for the failure message.
std::string BoxText(HWND box)
{
    HWND text = FindWindowExA(box, nullptr, "Static", nullptr);
    std::string all;
    for (; text; text = FindWindowExA(box, text, "Static", nullptr))
        all += TextOf(text);
    return all;
}

// Three strings; "Hello World" and "zebra crossing" hold dictionary words.
const std::string kSample("\0\0Hello World\0\0\0qxqxqxqx\0\0zebra crossing\0", 42);

TEST(Installation, ArchiveHoldsTheProgramItsLibraryWordListLicenceAndReadMe)
{
    ASSERT_FALSE(InstallDir().empty()) << "LEX_INSTALL_DIR is not set";
    EXPECT_EQ((std::set<std::string>{"English.dic", "English.dic.txt", "Lexprobe.exe",
                                     "loomlib.dll", "readme.htm"}),
              FilesIn(InstallDir()));
    EXPECT_EQ((std::set<std::string>{"English.dic", "lexprobe.exe"}),
              FilesIn(InstallDir() + "\\cli"));
}

// The console program in its folder, started from another one, finds the
// word list beside it: the rows holding English words are checked.
TEST(Installation, ConsoleProgramFromThereMarksWithTheWordListBesideIt)
{
    const std::string file = Temp("サンプル 表.bin"), out = Temp("lexprobe rows.txt");
    std::ofstream(file, std::ios::binary) << kSample;
    DeleteFileA(out.c_str());
    std::string line = "\"" + InstallDir() + "\\cli\\lexprobe.exe\" -c -t -o \"" + out +
                       "\" \"" + file + "\"";
    std::vector<char> buffer(line.begin(), line.end());
    buffer.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    ASSERT_TRUE(CreateProcessA(nullptr, buffer.data(), nullptr, nullptr, FALSE,
                               CREATE_NO_WINDOW, nullptr, Temp("").c_str(), &si, &pi));
    loom::KernelObject process(pi.hProcess);
    CloseHandle(pi.hThread);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.get(), 60000));
    DWORD code = 99;
    GetExitCodeProcess(process.get(), &code);
    EXPECT_EQ(0u, code);
    std::ifstream in(out, std::ios::binary);
    const std::string rows((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ("1\tHello World\r\n0\tqxqxqxqx\r\n1\tzebra crossing\r\n", rows);
    in.close();
    DeleteFileA(out.c_str());
    DeleteFileA(file.c_str());
}

TEST(Installation, ProgramStartedFromThereScansTheFileOnItsCommandLine)
{
    std::string file = Temp("サンプル 表.bin");
    std::ofstream(file, std::ios::binary) << kSample;
    Started program(InstallDir() + "\\Lexprobe.exe", file, Temp(""));
    ASSERT_TRUE(program.running());

    HWND main = nullptr, box = nullptr;
    program.WaitUntil(
        [&] {
            main = program.Find("TMainForm");
            box = program.Find("#32770");
            return box || main;
        },
        60);
    ASSERT_EQ(nullptr, box) << "the program reported: " << BoxText(box);
    ASSERT_NE(nullptr, main) << "no main window";

    // The program's windows hang from its application window.
    HWND app = GetWindow(main, GW_OWNER);
    char cls[64] = "";
    GetClassNameA(app, cls, sizeof cls);
    EXPECT_STREQ("TApplication", cls);
    EXPECT_EQ("Lexprobe", TextOf(app));

    HWND list = GetDlgItem(main, IDC_LISTVIEW);
    HWND start = GetDlgItem(main, IDC_STARTBTN);
    ASSERT_TRUE(program.WaitUntil(
        [&] { return IsWindowVisible(list) && TextOf(start) == "検索開始(&I)"; }, 120))
        << "the scan did not complete";
    EXPECT_EQ(file, TextOf(GetDlgItem(main, IDC_FILENAME)));
    DWORD_PTR rows = 0;
    SendMessageTimeoutA(list, LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000, &rows);
    ASSERT_EQ(3u, rows);
    // Checked rows: the word list beside the program was read.
    int checked = 0;
    for (WPARAM i = 0; i < rows; i++) {
        DWORD_PTR state = 0;
        SendMessageTimeoutA(list, LVM_GETITEMSTATE, i, LVIS_STATEIMAGEMASK, SMTO_NORMAL, 5000,
                            &state);
        checked += (state & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    }
    EXPECT_EQ(2, checked);

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(0u, program.ExitCode(30));
    DeleteFileA(file.c_str());
}

// Without its library beside it the program cannot start at all: the
// library is bound to it when it is loaded.
TEST(Installation, WithoutTheLibraryTheProgramDoesNotStart)
{
    std::string dir = Temp("lexprobe no library");
    CreateDirectoryA(dir.c_str(), nullptr);
    for (const char *name : {"Lexprobe.exe", "English.dic"})
        ASSERT_TRUE(CopyFileA((InstallDir() + "\\" + name).c_str(), (dir + "\\" + name).c_str(),
                              FALSE));
    DeleteFileA((dir + "\\loomlib.dll").c_str());
    Started program(dir + "\\Lexprobe.exe", dir + "\\English.dic", dir);
    ASSERT_TRUE(program.running());
    DWORD code = program.ExitCode(60);
    EXPECT_NE(STILL_ACTIVE, code);
    EXPECT_NE(0u, code);
    EXPECT_EQ(nullptr, program.Find("TMainForm"));
}

} // namespace
