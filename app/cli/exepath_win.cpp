// ExecutableDir on Windows: the module file name of the process.
#include "cli/exepath.h"

#include <windows.h>

namespace lexcli {

std::string ExecutableDir()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH)
        return std::string();
    // The path is in the ANSI code page: the second byte of a double-byte
    // character may be 0x5C and is never a separator.
    size_t end = 0;
    for (DWORD k = 0; k < n; ++k) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[k])) && k + 1 < n) {
            ++k;
            continue;
        }
        if (path[k] == '\\' || path[k] == '/' || path[k] == ':')
            end = k + 1;
    }
    return std::string(path, end);
}

} // namespace lexcli
