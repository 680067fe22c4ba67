// Path texts of the library.
#include "util/path.h"

#include <cstring>

#include "util/ascii.h"

namespace loom {

namespace {

bool IsSeparator(char c)
{
    return c == '\\' || c == '/';
}

// Whether the last character of `path` is a backslash.
bool EndsWithBackslash(const char *path, LeadByteFn isLead)
{
    bool backslash = false;
    for (const char *p = path; *p;) {
        const std::size_t length = CharLength(p, isLead);
        backslash = length == 1 && *p == '\\';
        p += length;
    }
    return backslash;
}

bool IsAbsolute(const char *path)
{
    if (path[0] == '\\' && path[1] == '\\')
        return true;
    return IsAsciiLetter(static_cast<unsigned char>(path[0])) && path[1] == ':' && path[2] == '\\';
}

} // namespace

const char *ExtractFileName(const char *path, LeadByteFn isLead)
{
    const char *slash = FindLastChar(path, '\\', isLead);
    return slash ? slash + 1 : path;
}

const char *ExtractFileExt(const char *path, LeadByteFn isLead)
{
    const char *dot = FindLastChar(path, '.', isLead);
    return dot ? dot + 1 : path + std::strlen(path);
}

char *ExtractFileDir(char *path, LeadByteFn isLead)
{
    if (const char *slash = FindLastChar(path, '\\', isLead))
        path[slash - path] = '\0';
    return path;
}

char *CatPath(char *path, const char *component, LeadByteFn isLead)
{
    std::size_t length = std::strlen(path);
    if (length > 0 && !EndsWithBackslash(path, isLead))
        path[length++] = '\\';
    std::strcpy(path + length, component);
    return path;
}

std::string JoinPath(const std::string &path, const std::string &component, LeadByteFn isLead)
{
    std::string joined = path;
    if (!joined.empty() && !EndsWithBackslash(joined.c_str(), isLead))
        joined += '\\';
    return joined + component;
}

bool IsRootPath(const char *path, LeadByteFn isLead)
{
    const char *p = path;
    // The long forms "\\?\C:\dir", "\\.\C:\dir" and "\\?\UNC\server\share"
    // name what follows their prefix.
    bool share = false;
    if (IsSeparator(p[0]) && IsSeparator(p[1]) && (p[2] == '?' || p[2] == '.') &&
        IsSeparator(p[3])) {
        p += 4;
        if ((p[0] == 'U' || p[0] == 'u') && (p[1] == 'N' || p[1] == 'n') &&
            (p[2] == 'C' || p[2] == 'c') && IsSeparator(p[3])) {
            p += 4;
            share = true;
        }
    }
    // A drive letter and its colon: what follows counts from the root.
    const bool drive =
        !share && IsAsciiLetter(static_cast<unsigned char>(p[0])) && p[1] == ':';
    if (drive)
        p += 2;
    // Two separators at the start open a share: "\\server\share" is its
    // root.  Otherwise any name at all lies below the root.
    share = share || (!drive && IsSeparator(p[0]) && IsSeparator(p[1]));
    int names = 0;
    bool inName = false;
    for (; *p; p += CharLength(p, isLead)) {
        if (IsSeparator(*p)) {
            inName = false;
        } else if (!inName) {
            inName = true;
            ++names;
        }
    }
    return names <= (share ? 2 : 0);
}

int CreateDirectoryWalk(const char *path, MkdirFn mkdir, void *context, LeadByteFn isLead)
{
    if (!IsAbsolute(path) || std::strlen(path) > kMaxDirPath)
        return 0;
    const std::string full = path;
    // Go up from the full path until a creation succeeds, then start again
    // from the full path; each round creates one more missing parent, until
    // the full path itself is created or found.  There are no more rounds
    // than levels, unless directories vanish while the walk runs.
    std::size_t rounds = 0;
    for (const char *p = path; *p; p += CharLength(p, isLead))
        rounds += *p == '\\';
    for (; rounds > 0; --rounds) {
        std::string tried = full;
        MkdirResult result;
        while ((result = mkdir(tried, context)) != MkdirResult::Created) {
            if (result == MkdirResult::AlreadyExists && tried == full)
                return 1;
            if (result == MkdirResult::Failed)
                return 0;
            // Path not found, or a parent that exists: one level up.
            const char *slash = FindLastChar(tried.c_str(), '\\', isLead);
            if (!slash || slash - tried.c_str() <= 2)
                return 0;
            tried.resize(static_cast<std::size_t>(slash - tried.c_str()));
        }
        if (tried == full)
            return 1;
    }
    return 0;
}

namespace {

int DeleteBelow(const std::string &folder, TreeOps &ops, LeadByteFn isLead)
{
    bool ok = true;
    for (const TreeOps::Entry &entry : ops.List(JoinPath(folder, "*.*", isLead))) {
        const std::string child = JoinPath(folder, entry.name, isLead);
        if (entry.folder && !entry.link)
            ok = DeleteBelow(child, ops, isLead) && ok;
        else if (entry.folder)
            ok = ops.RemoveFolder(child) && ok;  // the link, never what it points to
        else
            ok = ops.RemoveFile(child) && ok;
    }
    return ops.RemoveFolder(folder) && ok;
}

} // namespace

int DeleteTree(const char *path, TreeOps &ops, LeadByteFn isLead)
{
    if (!path || IsRootPath(path, isLead))
        return 0;
    // "C:\dir\.." is a root too, once resolved.
    const std::string full = ops.FullPath(path);
    if (full.empty() || IsRootPath(full.c_str(), isLead))
        return 0;
    if (ops.IsFolderLink(path))
        return ops.RemoveFolder(path) ? 1 : 0;
    return DeleteBelow(path, ops, isLead) ? 1 : 0;
}

} // namespace loom
