// SeekFileInPossibleDir: which of the usual places holds a program file,
// told by the executable test.
#include <windows.h>

#include "util/loomutil.h"
#include "version/exeinfo.h"

#include <cstring>

namespace {

// The longest directory that `out` (at least 260 bytes) can hold.
constexpr std::size_t kMaxDir = MAX_PATH - 1;

// True when dir joined with fileName names an executable file.
bool HoldsExecutable(const char *dir, const char *fileName)
{
    char path[2 * MAX_PATH + 2];
    if (std::strlen(dir) > kMaxDir || std::strlen(fileName) > MAX_PATH)
        return false;
    std::strcpy(path, dir);
    strCatPath(path, fileName);
    return IsFileExecutable(path) != 0;
}

} // namespace

extern "C" {

char *__cdecl SeekFileInPossibleDir(const char *fileName, const char *firstDir, char *out)
{
    if (!out)
        return out;
    out[0] = '\0';
    if (!fileName)
        return out;
    char system[256] = {};
    char windows[256] = {};
    UINT n = GetSystemDirectoryA(system, sizeof system);
    if (n == 0 || n >= sizeof system)
        system[0] = '\0';
    n = GetWindowsDirectoryA(windows, sizeof windows);
    if (n == 0 || n >= sizeof windows)
        windows[0] = '\0';
    const char *candidates[] = {firstDir, system, windows};
    for (const char *dir : candidates) {
        if (dir && dir[0] != '\0' && HoldsExecutable(dir, fileName)) {
            std::strcpy(out, dir);
            break;
        }
    }
    return out;
}

} // extern "C"
