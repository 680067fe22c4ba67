// ExecutableDir on Linux: the link /proc/self/exe.
#include "Check/exepath.h"

#include <climits>
#include <unistd.h>

namespace lex {

std::string ExecutableDir()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return std::string();
    std::string p(path, static_cast<size_t>(n));
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

} // namespace lex
