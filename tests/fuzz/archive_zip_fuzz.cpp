// Fuzz target: the ZIP local-header walk, unpacking every member.  Entries
// must carry a terminated name of at most 259 bytes, and a stored member
// never yields more than its compressed size.
#include "archive/zip_archive.h"

#include "archive_builders.h"

#include <cstdlib>
#include <cstring>

using namespace loom::archive;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MemorySource source(data, size);
    test::Recorder recorder(true);
    WalkZip(source, recorder);
    for (const auto &member : recorder.members) {
        const ArchiveEntry &entry = member.entry;
        if (!std::memchr(entry.name, '\0', sizeof entry.name) || entry.text[0] != '\0' ||
            entry.kind != ARCHIVE_KIND_ZIP || entry.method != 0)
            std::abort();
        if (member.bytes.size() > size)
            // Stored data come from the file; inflated data may be larger,
            // but then only by deflate's own ratio.
            if (member.bytes.size() / 1100 > size)
                std::abort();
    }
    return 0;
}
