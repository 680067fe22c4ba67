// The LHA archive walk.
#include "archive/lha_archive.h"

#include "archive/lha_decoder.h"

namespace loom::archive {

namespace {

bool LhaMethodDecodable(unsigned method)
{
    return method == 0 || (method >= 4 && method <= 7);
}

uint32_t Crc16Check(uint32_t check, const uint8_t *data, std::size_t count)
{
    return Crc16Update(static_cast<uint16_t>(check), data, count);
}

// A member is whole when the decoder produced its original size (no more:
// the checked sink refuses bytes past it) and their CRC-16 is the stored one.
MemberOutcome OutcomeOf(const LhaDecodeResult &result, const CheckedSink &checked,
                        const LhaHeader &header)
{
    MemberOutcome outcome;
    outcome.produced = checked.written();
    outcome.storedCheck = header.dataCrc;
    if (checked.overran())
        outcome.status = MemberStatus::Damaged;
    else if (result.status == LhaDecodeStatus::DataEnded)
        outcome.status = MemberStatus::DataEnded;
    else if (result.status == LhaDecodeStatus::WriteFailed)
        outcome.status = MemberStatus::WriteFailed;
    else if (result.status != LhaDecodeStatus::Complete ||
             checked.written() != header.entry.originalSize || checked.check() != header.dataCrc)
        outcome.status = MemberStatus::Damaged;
    return outcome;
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
        const bool decodable = LhaMethodDecodable(header.unpackMethod) && !header.nameCut;
        ByteSink *sink = handler.Begin(header.entry, decodable        ? MemberData::Unpackable
                                                     : header.nameCut ? MemberData::NameTooLong
                                                                      : MemberData::NoDecoder);
        if (sink && decodable) {
            CheckedSink checked(*sink, header.entry.originalSize, Crc16Check);
            const LhaDecodeResult result =
                DecodeLhaMember(reader, header.dataStart, header.entry.packedSize,
                                header.entry.originalSize, header.unpackMethod, checked);
            handler.End(header.entry, OutcomeOf(result, checked, header));
        }
        if (!ReadLhaHeader(reader, next, options, header))
            break;
    }
    return true;
}

} // namespace loom::archive
