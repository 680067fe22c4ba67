// The LHA archive walk.
#include "archive/lha_archive.h"

#include "archive/lha_decoder.h"

namespace loom::archive {

bool WalkLha(ByteSource &source, const LhaOptions &options, MemberHandler &handler)
{
    SourceReader reader(source);
    LhaHeader header;
    if (!FindLhaArchive(reader, options, header))
        return false;
    const uint64_t size = reader.Size();
    for (;;) {
        // Offsets are 64-bit: a 32-bit packed size cannot wrap them.
        const uint64_t next = header.dataStart + header.entry.packedSize;
        if (next > size)
            break;
        if (ByteSink *sink = handler.Begin(header.entry)) {
            const LhaDecodeResult result =
                DecodeLhaMember(reader, header.dataStart, header.entry.packedSize,
                                header.entry.originalSize, header.entry.method, *sink);
            MemberOutcome outcome;
            outcome.complete = result.status == LhaDecodeStatus::Complete;
            outcome.produced = result.produced;
            handler.End(header.entry, outcome);
        }
        if (!ReadLhaHeader(reader, next, options, header))
            break;
    }
    return true;
}

} // namespace loom::archive
