// The LHA archive walk.
#include "archive/lha_archive.h"

#include "archive/lha_decoder.h"

namespace loom::archive {

namespace {

bool LhaMethodDecodable(unsigned method)
{
    return method == 0 || (method >= 4 && method <= 7);
}

MemberStatus StatusOf(LhaDecodeStatus status)
{
    switch (status) {
    case LhaDecodeStatus::Complete: return MemberStatus::Complete;
    case LhaDecodeStatus::DataEnded: return MemberStatus::DataEnded;
    case LhaDecodeStatus::WriteFailed: return MemberStatus::WriteFailed;
    default: return MemberStatus::Damaged;
    }
}

} // namespace

bool IsLhaFolder(const ArchiveEntry &entry)
{
    constexpr uint32_t kFolderAttribute = 0x10;
    constexpr unsigned kFolderMethod = 'd' - '0'; // -lhd-
    return (entry.attributes & kFolderAttribute) != 0 || entry.method == kFolderMethod;
}

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
        if (next > size) {
            handler.Begin(header.entry, MemberData::PastEnd);
            break;
        }
        const bool decodable = LhaMethodDecodable(header.entry.method);
        ByteSink *sink =
            handler.Begin(header.entry, decodable ? MemberData::Unpackable : MemberData::NoDecoder);
        if (sink && decodable) {
            const LhaDecodeResult result =
                DecodeLhaMember(reader, header.dataStart, header.entry.packedSize,
                                header.entry.originalSize, header.entry.method, *sink);
            MemberOutcome outcome;
            outcome.status = StatusOf(result.status);
            outcome.produced = result.produced;
            handler.End(header.entry, outcome);
        }
        if (!ReadLhaHeader(reader, next, options, header))
            break;
    }
    return true;
}

} // namespace loom::archive
