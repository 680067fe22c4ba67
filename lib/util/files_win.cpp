// File time, path and directory exports.  Paths are walked under the lead
// bytes of the process's ANSI code page.
#include "util/boundary.h"
#include "util/handles_win.h"
#include "util/loomutil.h"
#include "util/mbcs.h"
#include "util/path.h"

#include <string>
#include <vector>

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

bool IsLink(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Opens an existing file and hands it to `use`: -1 when it cannot be
// opened, otherwise 1 (what `use` achieves is not examined).
template <class Use>
int WithExistingFile(const char *path, DWORD access, DWORD share, Use use)
{
    loom::FileHandle file(
        CreateFileA(path, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid())
        return -1;
    use(file.get());
    return 1;
}

// The tree deletion on the real file system.
class FileSystem : public loom::TreeOps {
public:
    std::string FullPath(const std::string &path) override
    {
        DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
        if (size == 0)
            return std::string();
        std::vector<char> full(size);
        DWORD length = GetFullPathNameA(path.c_str(), size, full.data(), nullptr);
        if (length == 0 || length >= size)
            return std::string();
        return std::string(full.data(), length);
    }

    bool IsFolderLink(const std::string &path) override
    {
        return IsLink(GetFileAttributesA(path.c_str()));
    }

    std::vector<Entry> List(const std::string &pattern) override
    {
        std::vector<Entry> entries;
        WIN32_FIND_DATAA found;
        loom::FindHandle find(FindFirstFileA(pattern.c_str(), &found));
        if (!find.valid())
            return entries;
        do {
            if (!lstrcmpA(found.cFileName, ".") || !lstrcmpA(found.cFileName, ".."))
                continue;
            const DWORD attributes = found.dwFileAttributes;
            entries.push_back({found.cFileName, (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0,
                               IsLink(attributes)});
        } while (FindNextFileA(find.get(), &found));
        return entries;
    }

    bool RemoveFolder(const std::string &path) override
    {
        return RemoveDirectoryA(path.c_str()) != FALSE;
    }

    bool RemoveFile(const std::string &path) override
    {
        return DeleteFileA(path.c_str()) != FALSE;
    }
};

} // namespace

extern "C" {

int __cdecl GetFileDates(const char *path, FILETIME *created, FILETIME *accessed,
                         FILETIME *written)
{
    return loom::CallGuarded(-1, [&] {
        return WithExistingFile(path, GENERIC_READ, FILE_SHARE_READ, [&](HANDLE file) {
            GetFileTime(file, created, accessed, written);
        });
    });
}

int __cdecl SetFileDates(const char *path, const FILETIME *created, const FILETIME *accessed,
                         const FILETIME *written)
{
    return loom::CallGuarded(-1, [&] {
        return WithExistingFile(path, GENERIC_WRITE, FILE_SHARE_WRITE, [&](HANDLE file) {
            SetFileTime(file, created, accessed, written);
        });
    });
}

// The path texts allocate nothing; they are guarded like every export.
const char *__cdecl strExtractFileName(const char *path)
{
    if (loom::NullArgument(path))
        return path;
    return loom::CallGuarded(path, [&] { return loom::ExtractFileName(path, loom::SystemLeadByte); });
}

const char *__cdecl strExtractFileExt(const char *path)
{
    if (loom::NullArgument(path))
        return path;
    return loom::CallGuarded(path, [&] { return loom::ExtractFileExt(path, loom::SystemLeadByte); });
}

char *__cdecl strExtractFileDir(char *path)
{
    if (loom::NullArgument(path))
        return path;
    return loom::CallGuarded(path, [&] { return loom::ExtractFileDir(path, loom::SystemLeadByte); });
}

char *__cdecl strCatPath(char *path, const char *component)
{
    // A null component leaves the path as it was.
    if (loom::NullArgument(path, component))
        return path;
    return loom::CallGuarded(path, [&] { return loom::CatPath(path, component, loom::SystemLeadByte); });
}

int __cdecl CreateDirectoryAtOnce(const char *path)
{
    return loom::CallGuarded(0, [&] {
        return path ? loom::CreateDirectoryWalk(path, MakeDirectory, nullptr, loom::SystemLeadByte)
                    : 0;
    });
}

int __cdecl DelTree(const char *path)
{
    return loom::CallGuarded(0, [&] {
        FileSystem files;
        return loom::DeleteTree(path, files, loom::SystemLeadByte);
    });
}

} // extern "C"
