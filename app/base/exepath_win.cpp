// The executable on Windows: the module file name of the process; its folder
// ends at the last backslash, found by whole characters of the ANSI code page.
#include "base/exepath.h"

#include <windows.h>

#include <vector>

#include "util/mbcs.h"
#include "util/path.h"

namespace lex {

std::string ExecutablePath()
{
    // The name may be longer than MAX_PATH bytes: a double-byte character
    // takes two.  A buffer that is too small comes back filled to its end.
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::vector<char> path(size);
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
        if (n == 0)
            return std::string();
        if (n < size - 1)
            return std::string(path.data(), n);
        if (size >= 65536)
            return std::string();
    }
}

std::string ExecutableDir()
{
    const std::string path = ExecutablePath();
    const char *name = loom::ExtractFileName(path.c_str(), loom::SystemLeadByte);
    return path.substr(0, static_cast<size_t>(name - path.c_str()));
}

} // namespace lex
