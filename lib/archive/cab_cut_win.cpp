// ExtractCabFromFile: the first cabinet found in a file (a self-extracting
// program, an installer) copied out into a file of its own.  Needs no
// cabinet.dll: the search is the portable cab_search.
#include "archive/archive_win.h"
#include "archive/cab_search.h"
#include "util/boundary.h"
#include "util/handles_win.h"
#include "util/loomutil.h"
#include "util/pending_file_win.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using namespace loom;
using namespace loom::archive;

// The largest piece ExtractCabFromFile writes at once.
constexpr std::size_t kCopyChunk = 65535;

bool CopyOut(SourceReader &reader, uint64_t offset, uint32_t size, HANDLE out,
             std::vector<uint8_t> &chunk)
{
    reader.Seek(offset);
    while (size > 0) {
        const std::size_t piece = std::min<std::size_t>(size, kCopyChunk);
        // The size was checked against the file: a short read is a read
        // error, and the copy fails rather than leave a short cabinet.
        if (reader.Read(chunk.data(), piece) != piece) {
            SetLastError(ERROR_READ_FAULT);
            return false;
        }
        // A write that took fewer bytes found the volume full.
        DWORD written = 0;
        if (!WriteFile(out, chunk.data(), static_cast<DWORD>(piece), &written, nullptr))
            return false;
        if (written != piece) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        size -= static_cast<uint32_t>(piece);
    }
    return true;
}

// The cabinet's bytes into the file at path; false, with the thread's last
// error telling why, when it could not be opened or a read or write failed.
// (Opening the file that GetTempFileName made sets ERROR_ALREADY_EXISTS
// even on success, so every failure below sets its own code.)
bool CopyInto(const char *path, SourceReader &reader, uint64_t offset, uint32_t size,
              std::vector<uint8_t> &chunk)
{
    FileHandle out(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out.valid())
        return false;
    if (CopyOut(reader, offset, size, out.get(), chunk))
        return true;
    const DWORD error = GetLastError();
    out.reset();
    SetLastError(error);
    return false;
}

} // namespace

extern "C" {

int __cdecl ExtractCabFromFile(const char *file, const char *destination, char *outPath)
{
    return CallGuarded(0, [&] {
        FileSource source(file);
        if (!source.valid())
            return 0;
        if (outPath)
            outPath[0] = '\0';
        SourceReader reader(source);
        uint64_t offset = 0;
        uint32_t size = 0;
        if (FindCabinet(reader, offset, size) != CabSearchResult::Found)
            return 0;
        if (!destination)
            return 0;
        if (std::strlen(destination) > kMaxTempFolderChars) {
            SetLastError(ERROR_FILENAME_EXCED_RANGE);
            return 0;
        }
        if (!CreateDirectoryAtOnce(destination))
            return 0;
        // Taken before the file is made: nothing after that can throw.
        std::vector<uint8_t> chunk(kCopyChunk);
        char path[MAX_PATH];
        if (!GetTempFileNameA(destination, "cab", 0, path))
            return 0;
        // GetTempFileName made the file: what a failed copy wrote into it
        // (a full volume, a read error) is deleted again.
        if (!CopyInto(path, reader, offset, size, chunk)) {
            const DWORD error = GetLastError();
            DeleteFileA(path);
            SetLastError(error ? error : ERROR_WRITE_FAULT);
            return 0;
        }
        if (outPath)
            std::strcpy(outPath, path);
        return 1;
    });
}

} // extern "C"
