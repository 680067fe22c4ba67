// LHA exports: the portable walk over the archive file, members written
// into the destination folder or handed to the caller's callback.
#include "archive/archive_win.h"
#include "archive/lha_archive.h"
#include "util/boundary.h"
#include "util/mbcs.h"

namespace {

using namespace loom::archive;

// Level-2 stamps (seconds since 1970, UTC) as local DOS date and time.
uint32_t LocalUnixToDos(uint32_t unixTime)
{
    const ULONGLONG ticks = (static_cast<ULONGLONG>(unixTime) + 11644473600ull) * 10000000ull;
    FILETIME universal, local;
    universal.dwLowDateTime = static_cast<DWORD>(ticks);
    universal.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    WORD date, time;
    if (!FileTimeToLocalFileTime(&universal, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return 0x00210000; // before 1980: the earliest DOS time
    return static_cast<uint32_t>(date) << 16 | time;
}

int WalkLhaFile(const char *archive, MemberHandler &handler)
{
    FileSource source(archive);
    if (!source.valid() || source.Size() == 0)
        return 0;
    LhaOptions options;
    options.isLead = loom::SystemLeadByte;
    options.unixToDos = LocalUnixToDos;
    return WalkLha(source, options, handler) ? 1 : 0;
}

const ExtractHandler::Format kLhaFormat = {IsLhaFolder, true, false};

} // namespace

extern "C" {

int __cdecl LhaExtractFiles(DWORD, const char *archive, const char *destination, StrList *names)
{
    return ReportingLastError([&](DWORD &error) {
        ExtractHandler handler(destination, names, kLhaFormat);
        if (!WalkLhaFile(archive, handler)) {
            error = ERROR_BAD_FORMAT;
            return 0;
        }
        error = handler.error();
        return 1;
    });
}

int __cdecl LhaExtractAllFiles(DWORD ignored, const char *archive, const char *destination)
{
    return LhaExtractFiles(ignored, archive, destination, nullptr);
}

int __cdecl LhaEnum(const char *archive, void *user, ArchiveCallback callback)
{
    return loom::CallGuarded(0, [&] {
        if (!callback)
            return 0;
        EnumerateHandler handler(callback, user, IsLhaFolder);
        return WalkLhaFile(archive, handler);
    });
}

} // extern "C"
