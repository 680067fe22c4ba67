// File time, path and directory exports.
#include "util/handles_win.h"
#include "util/loomutil.h"
#include "util/path.h"

#include <new>
#include <string>

namespace {

// One attempt of the directory walk.  A name that exists but is not a
// directory counts as a failure, so a file never passes for the directory.
loom::MkdirResult MakeDirectory(const std::string &path, void *)
{
    if (CreateDirectoryA(path.c_str(), nullptr))
        return loom::MkdirResult::Created;
    switch (GetLastError()) {
    case ERROR_ALREADY_EXISTS: {
        DWORD attributes = GetFileAttributesA(path.c_str());
        bool isDirectory =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        return isDirectory ? loom::MkdirResult::AlreadyExists : loom::MkdirResult::Failed;
    }
    case ERROR_PATH_NOT_FOUND:
        return loom::MkdirResult::PathNotFound;
    default:
        return loom::MkdirResult::Failed;
    }
}

bool DeleteTree(const std::string &path)
{
    bool ok = true;
    WIN32_FIND_DATAA entry;
    loom::FindHandle find(FindFirstFileA(loom::JoinPath(path, "*.*").c_str(), &entry));
    if (find.valid()) {
        do {
            if (!lstrcmpA(entry.cFileName, ".") || !lstrcmpA(entry.cFileName, ".."))
                continue;
            std::string child = loom::JoinPath(path, entry.cFileName);
            const DWORD attributes = entry.dwFileAttributes;
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                ok = DeleteTree(child) && ok;
            } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
                // A link to a directory elsewhere: remove the link, never
                // what it points to.
                ok = RemoveDirectoryA(child.c_str()) && ok;
            } else {
                // Read-only files are not made writable: they stay, and
                // so does their directory.
                ok = DeleteFileA(child.c_str()) && ok;
            }
        } while (FindNextFileA(find.get(), &entry));
    }
    return RemoveDirectoryA(path.c_str()) && ok;
}

} // namespace

extern "C" {

int __cdecl GetFileDates(const char *path, FILETIME *created, FILETIME *accessed,
                         FILETIME *written)
{
    loom::FileHandle file(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return -1;
    GetFileTime(file.get(), created, accessed, written);
    return 1;
}

int __cdecl SetFileDates(const char *path, const FILETIME *created, const FILETIME *accessed,
                         const FILETIME *written)
{
    loom::FileHandle file(CreateFileA(path, GENERIC_WRITE, FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return -1;
    SetFileTime(file.get(), created, accessed, written);
    return 1;
}

const char *__cdecl strExtractFileName(const char *path)
{
    return loom::ExtractFileName(path);
}

const char *__cdecl strExtractFileExt(const char *path)
{
    return loom::ExtractFileExt(path);
}

char *__cdecl strExtractFileDir(char *path)
{
    return loom::ExtractFileDir(path);
}

char *__cdecl strCatPath(char *path, const char *component)
{
    return loom::CatPath(path, component);
}

int __cdecl CreateDirectoryAtOnce(const char *path)
{
    try {
        return loom::CreateDirectoryWalk(path, MakeDirectory, nullptr);
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

int __cdecl DelTree(const char *path)
{
    try {
        return DeleteTree(path) ? 1 : 0;
    } catch (const std::bad_alloc &) {
        return 0;
    }
}

} // extern "C"
