// Calls the platform exports in a process of its own, so that the test can
// make Wine report another Windows version to just this program, and
// writes what they answered to the file named first, one value a line:
//
//   sysinfo_probe OUTPUT          platform, major, minor, IsValidOSEx(0..2,
//                                 quiet), IsAdminRunning, OSName
//   sysinfo_probe OUTPUT box N    IsValidOSEx(N, show): the result, then the
//                                 caption and text of the box it showed
//   sysinfo_probe OUTPUT os N     the same through IsValidOS(N)
//
// A watcher thread answers the error box the way a user would, after
// reading it.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sysinfo/loomsys.h"

namespace {

struct Watch {
    DWORD thread = 0;
    std::atomic<bool> done{false};
    std::string caption, text;
};

BOOL CALLBACK FindBox(HWND window, LPARAM context)
{
    char kind[32] = "";
    GetClassNameA(window, kind, sizeof kind);
    if (std::strcmp(kind, "#32770") != 0)
        return TRUE;
    *reinterpret_cast<HWND *>(context) = window;
    return FALSE;
}

DWORD WINAPI AnswerBox(LPVOID context)
{
    Watch &watch = *static_cast<Watch *>(context);
    // Long enough for any loaded machine; the probe ends as soon as the
    // call under test returns.
    for (int i = 0; i < 6000 && !watch.done; ++i) {
        HWND box = nullptr;
        EnumThreadWindows(watch.thread, FindBox, reinterpret_cast<LPARAM>(&box));
        if (box && IsWindowVisible(box)) {
            char caption[256] = "", text[1024] = "";
            GetWindowTextA(box, caption, sizeof caption);
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            watch.caption = caption;
            watch.text = text;
            PostMessageA(box, WM_COMMAND, IDOK, 0);
            return 0;
        }
        Sleep(10);
    }
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out)
        return 3;
    if (argc == 4) {
        const int level = std::atoi(argv[3]);
        const bool viaIsValidOS = std::strcmp(argv[2], "os") == 0;
        Watch watch;
        watch.thread = GetCurrentThreadId();
        HANDLE watcher = CreateThread(nullptr, 0, AnswerBox, &watch, 0, nullptr);
        const int result = viaIsValidOS ? IsValidOS(level) : IsValidOSEx(level, 1);
        watch.done = true;
        WaitForSingleObject(watcher, INFINITE);
        CloseHandle(watcher);
        std::fprintf(out, "%d\n%s\n%s\n", result, watch.caption.c_str(), watch.text.c_str());
    } else {
        OSVERSIONINFOA os = {};
        os.dwOSVersionInfoSize = sizeof os;
        GetVersionExA(&os);
        std::fprintf(out, "%lu\n%lu\n%lu\n", os.dwPlatformId, os.dwMajorVersion,
                     os.dwMinorVersion);
        for (int level = 0; level <= 2; ++level)
            std::fprintf(out, "%d\n", IsValidOSEx(level, 0));
        std::fprintf(out, "%d\n%s\n", IsAdminRunning(), OSName(&os));
    }
    return std::fclose(out) == 0 ? 0 : 4;
}
