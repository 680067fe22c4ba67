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

int WalkZipFile(const char *archive, MemberHandler &handler, DWORD &error)
{
    FileSource source(archive);
    if (!source.valid()) {
        error = archive ? GetLastError() : ERROR_INVALID_PARAMETER;
        return 0;
    }
    WalkZip(source, handler);
    error = 0;
    return 1;
}

// ZIP stores no DOS attributes in its local headers: the entry's attribute
// field is the flag word, never applied to a file.
const ExtractHandler::Format kZipFormat = {IsZipFolder, false, true};

} // namespace

extern "C" {

int __cdecl ZipExtractFiles(DWORD, const char *archive, const char *destination, StrList *names)
{
    return ReportingLastError([&](DWORD &error) {
        ExtractHandler handler(destination, names, kZipFormat);
        if (!WalkZipFile(archive, handler, error))
            return 0;
        error = handler.error();
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
        DWORD error;
        return WalkZipFile(archive, handler, error);
    });
}

} // extern "C"
