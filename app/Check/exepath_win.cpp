// ExecutableDir on Windows: the module file name of the process, cut after
// its last backslash, found by whole characters of the ANSI code page.
#include "Check/exepath.h"

#include <windows.h>

#include <vector>

#include "util/mbcs.h"
#include "util/path.h"

namespace lex {

std::string ExecutableDir()
{
    // The name may be longer than MAX_PATH bytes: a double-byte character
    // takes two.  A buffer that is too small comes back filled to its end.
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::vector<char> path(size);
        const DWORD n = GetModuleFileNameA(nullptr, path.data(), size);
        if (n == 0)
            return std::string();
        if (n < size - 1) {
            const char *name = loom::ExtractFileName(path.data(), loom::SystemLeadByte);
            return std::string(path.data(), static_cast<size_t>(name - path.data()));
        }
        if (size >= 65536)
            return std::string();
    }
}

} // namespace lex
