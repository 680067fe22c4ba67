// Path texts of the library.
#include "util/path.h"

#include <cstring>

namespace loom {

const char *ExtractFileName(const char *path)
{
    const char *slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

const char *ExtractFileExt(const char *path)
{
    const char *dot = std::strrchr(path, '.');
    return dot ? dot + 1 : path + std::strlen(path);
}

char *ExtractFileDir(char *path)
{
    char *slash = std::strrchr(path, '\\');
    if (slash)
        *slash = '\0';
    return path;
}

char *CatPath(char *path, const char *component)
{
    std::size_t length = std::strlen(path);
    if (length > 0 && path[length - 1] != '\\')
        path[length++] = '\\';
    std::strcpy(path + length, component);
    return path;
}

std::string JoinPath(const std::string &path, const std::string &component)
{
    std::string joined = path;
    if (!joined.empty() && joined.back() != '\\')
        joined += '\\';
    return joined + component;
}

namespace {

bool IsAbsolute(const char *path)
{
    if (path[0] == '\\' && path[1] == '\\')
        return true;
    char letter = path[0];
    bool isLetter = (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
    return isLetter && path[1] == ':' && path[2] == '\\';
}

} // namespace

int CreateDirectoryWalk(const char *path, MkdirFn mkdir, void *context)
{
    if (!IsAbsolute(path) || std::strlen(path) > kMaxDirPath)
        return 0;
    const std::string full = path;
    // Go up from the full path until a creation succeeds, then start again
    // from the full path; each round creates one more missing parent, until
    // the full path itself is created or found.  There are no more rounds
    // than levels, unless directories vanish while the walk runs.
    std::size_t rounds = 0;
    for (char c : full)
        rounds += c == '\\';
    for (; rounds > 0; --rounds) {
        std::string tried = full;
        MkdirResult result;
        while ((result = mkdir(tried, context)) != MkdirResult::Created) {
            if (result == MkdirResult::AlreadyExists && tried == full)
                return 1;
            if (result == MkdirResult::Failed)
                return 0;
            // Path not found, or a parent that exists: one level up.
            std::size_t slash = tried.rfind('\\');
            if (slash == std::string::npos || slash <= 2)
                return 0;
            tried.resize(slash);
        }
        if (tried == full)
            return 1;
    }
    return 0;
}

} // namespace loom
