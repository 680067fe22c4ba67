// ExtractCabFromFile: the first cabinet found in a file (a self-extracting
// program, an installer) copied out into a file of its own.  Needs no
// cabinet.dll: the search is the portable cab_search.
#include "archive/archive_win.h"
#include "archive/cab_search.h"
#include "util/boundary.h"
#include "util/handles_win.h"
#include "util/loomutil.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using namespace loom;
using namespace loom::archive;

// The largest piece ExtractCabFromFile writes at once.
constexpr std::size_t kCopyChunk = 65535;

bool CopyOut(SourceReader &reader, uint64_t offset, uint32_t size, HANDLE out)
{
    std::vector<uint8_t> chunk(kCopyChunk);
    reader.Seek(offset);
    while (size > 0) {
        const std::size_t piece = std::min<std::size_t>(size, kCopyChunk);
        // The size was checked against the file: a short read is a read
        // error, and the copy fails rather than leave a short cabinet.
        if (reader.Read(chunk.data(), piece) != piece)
            return false;
        DWORD written = 0;
        if (!WriteFile(out, chunk.data(), static_cast<DWORD>(piece), &written, nullptr) ||
            written != piece)
            return false;
        size -= static_cast<uint32_t>(piece);
    }
    return true;
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
        if (!destination || !CreateDirectoryAtOnce(destination))
            return 0;
        char path[MAX_PATH];
        if (!GetTempFileNameA(destination, "cab", 0, path))
            return 0;
        {
            FileHandle out(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!out.valid() || !CopyOut(reader, offset, size, out.get()))
                return 0;
        }
        if (outPath)
            std::strcpy(outPath, path);
        return 1;
    });
}

} // extern "C"
