// The executable on Linux: the link /proc/self/exe.
#include "base/exepath.h"

#include <climits>
#include <unistd.h>

namespace lex {

std::string ExecutablePath()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n <= 0 ? std::string() : std::string(path, static_cast<size_t>(n));
}

std::string ExecutableDir()
{
    const std::string p = ExecutablePath();
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? std::string() : p.substr(0, slash + 1);
}

} // namespace lex
