// Fuzz target: the ZIP local-header walk, unpacking every member.  Entries
// must carry a terminated name of at most 259 bytes; no member ever yields
// more than its declared size, a stored one never more than its compressed
// size, and a member reported complete has exactly its declared size and
// the CRC-32 the archive stores for it (reckoned here bit by bit).
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
        if (member.unpacked && !member.decodable)
            std::abort();
        if (member.bytes.size() > entry.originalSize || member.bytes.size() != member.outcome.produced)
            std::abort();
        if (member.unpacked && member.outcome.complete() &&
            (member.bytes.size() != entry.originalSize ||
             test::Crc32(member.bytes) != member.outcome.storedCheck))
            std::abort();
    }
    return 0;
}
