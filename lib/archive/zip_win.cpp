// ZIP exports: the portable local-header walk over the archive file.
#include "archive/archive_win.h"
#include "archive/zip_archive.h"
#include "util/boundary.h"

#include <cstring>

namespace {

using namespace loom::archive;

bool IsZipFolder(const ArchiveEntry &entry)
{
    const std::size_t length = std::strlen(entry.name);
    return length > 0 && entry.name[length - 1] == '/';
}

int WalkZipFile(const char *archive, MemberHandler &handler)
{
    FileSource source(archive);
    if (!source.valid())
        return 0;
    WalkZip(source, handler);
    return 1;
}

// ZIP stores no DOS attributes in its local headers: the entry's attribute
// field is the flag word, never applied to a file.
const ExtractHandler::Format kZipFormat = {IsZipFolder, false, true};

} // namespace

extern "C" {

int __cdecl ZipExtractFiles(DWORD, const char *archive, const char *destination, StrList *names)
{
    return loom::CallGuarded(0, [&] {
        ExtractHandler handler(destination, names, kZipFormat);
        if (!WalkZipFile(archive, handler))
            return 0;
        SetLastError(handler.error());
        return 1;
    });
}

int __cdecl ZipExtractAllFiles(DWORD ignored, const char *archive, const char *destination)
{
    return ZipExtractFiles(ignored, archive, destination, nullptr);
}

int __cdecl ZipEnum(const char *archive, void *user, ArchiveCallback callback)
{
    return loom::CallGuarded(0, [&] {
        if (!callback)
            return 0;
        EnumerateHandler handler(callback, user, IsZipFolder);
        return WalkZipFile(archive, handler);
    });
}

} // extern "C"
