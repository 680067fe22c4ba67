// The ZIP local-header walk.  A local header is the signature "PK\3\4"
// followed by 26 bytes:
//   0 version needed, 2 flags, 4 method, 6 DOS time, 8 DOS date, 10 CRC-32,
//   14 compressed size, 18 uncompressed size, 22 name length,
//   24 extra field length
// then the name, the extra field and the member's data.  A size of
// 0xFFFFFFFF means that the ZIP64 extra field (tag 1) holds it; `zip` writes
// one when it packs standard input, even for a few bytes.  With flag bit 3
// the CRC and sizes are 0 and follow the data in a data descriptor: an
// optional signature "PK\7\8", the CRC-32 and the two sizes (64-bit ones
// when the local header has a ZIP64 field).
#include "archive/zip_archive.h"

#include "archive/member_name.h"
#include "archive/zip_directory.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace loom::archive {

namespace {

constexpr std::size_t kSignatureSize = 4;
constexpr std::size_t kHeaderSize = 26;
constexpr std::size_t kMaxName = ARCHIVE_TEXT_SIZE - 1;
constexpr uint16_t kFlagEncrypted = 0x0001;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
// The methods that the format defines: 0-6 and 8 of the first writers,
// 9 Deflate64, 10 PKWARE's imploding, 12 bzip2, 14 LZMA, 16, 18 and 19
// of IBM, 20 and 93 Zstandard, 94 MP3, 95 XZ, 96 JPEG, 97 WavPack,
// 98 PPMd, 99 the marker of AES encryption.  Such a member is listed even
// when it cannot be unpacked, and its data are passed over; any other value
// is taken for bytes that only look like a header.
bool IsZipMethod(uint16_t method)
{
    return method <= 6 || (method >= 8 && method <= 10) || method == 12 || method == 14 ||
           method == 16 || (method >= 18 && method <= 20) || (method >= 93 && method <= 99);
}
constexpr uint32_t kSizeInZip64 = 0xFFFFFFFF;
constexpr uint8_t kLocalSignature[] = {'P', 'K', 3, 4};
constexpr uint8_t kDescriptorSignature[] = {'P', 'K', 7, 8};
// Output of one inflate call: large pieces make few writes.
constexpr std::size_t kInflateOutput = 64 * 1024;

// The offset of the next four bytes `signature` at or after from.
bool FindSignature(SourceReader &reader, uint64_t from, const uint8_t (&signature)[4],
                   uint64_t &at)
{
    const auto matches = [&](const uint8_t *p) {
        return std::memcmp(p, signature, sizeof signature) == 0;
    };
    uint64_t offset = from;
    for (;;) {
        reader.Seek(offset);
        const uint8_t *data;
        const std::size_t available = reader.Available(&data);
        if (available < kSignatureSize) {
            uint8_t tail[kSignatureSize];
            if (reader.Read(tail, kSignatureSize) != kSignatureSize)
                return false;
            if (matches(tail)) {
                at = offset;
                return true;
            }
            ++offset;
            continue;
        }
        // Every offset whose four bytes are buffered; a signature that
        // straddles the end of the buffer is found on the next round.
        const std::size_t last = available - kSignatureSize;
        const uint8_t *p = data;
        while ((p = static_cast<const uint8_t *>(
                    std::memchr(p, signature[0], last + 1 - (p - data))))) {
            if (matches(p)) {
                at = offset + (p - data);
                return true;
            }
            ++p;
            if (p > data + last)
                break;
        }
        offset += last + 1;
    }
}

uint32_t Clamp32(uint64_t value)
{
    return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
}

voidpf ZlibAlloc(voidpf, uInt items, uInt size)
{
    if (size != 0 && items > SIZE_MAX / size)
        return Z_NULL;
    return std::malloc(static_cast<std::size_t>(items) * size);
}

void ZlibFree(voidpf, voidpf address)
{
    std::free(address);
}

// Reads the header whose signature is at `at`.
bool ReadLocalHeader(SourceReader &reader, uint64_t at, ZipLocalHeader &header)
{
    header = ZipLocalHeader();
    const uint64_t size = reader.Size();
    uint8_t fields[kHeaderSize];
    reader.Seek(at + kSignatureSize);
    if (reader.Read(fields, kHeaderSize) != kHeaderSize)
        return false;
    const uint64_t nameStart = at + kSignatureSize + kHeaderSize;
    const std::size_t nameLength = Le16(fields + 22);
    const std::size_t extraLength = Le16(fields + 24);
    if (nameLength > size - nameStart)
        return false;
    char name[kMaxName];
    const std::size_t kept = std::min(nameLength, kMaxName);
    if (reader.Read(name, kept) != kept || std::memchr(name, '\0', kept))
        return false;
    header.method = Le16(fields + 4);
    if (!IsZipMethod(header.method))
        return false;
    const uint64_t extraStart = nameStart + nameLength;
    if (extraLength > size - extraStart)
        return false;

    header.flags = Le16(fields + 2);
    header.crc = Le32(fields + 10);
    header.compressedSize = Le32(fields + 14);
    header.uncompressedSize = Le32(fields + 18);
    if (extraLength > 0) {
        std::vector<uint8_t> extra(extraLength);
        reader.Seek(extraStart);
        if (reader.Read(extra.data(), extraLength) != extraLength)
            return false;
        uint64_t *const sizes[3] = {
            header.uncompressedSize == kSizeInZip64 ? &header.uncompressedSize : nullptr,
            header.compressedSize == kSizeInZip64 ? &header.compressedSize : nullptr, nullptr};
        header.zip64 = ApplyZip64(extra.data(), extra.size(), sizes);
    }
    header.offset = at;
    header.dataStart = extraStart + extraLength;
    header.nameCut = nameLength > kept;

    ArchiveEntry &entry = header.entry;
    SetEntryName(entry.name, name, kept);
    entry.kind = ARCHIVE_KIND_ZIP;
    entry.packedSize = Clamp32(header.compressedSize);
    entry.originalSize = Clamp32(header.uncompressedSize);
    entry.time = Le16(fields + 6);
    entry.date = Le16(fields + 8);
    entry.attributes = header.flags;
    return true;
}

} // namespace

bool FindZipHeader(SourceReader &reader, uint64_t offset, ZipLocalHeader &header)
{
    uint64_t at;
    while (FindSignature(reader, offset, kLocalSignature, at)) {
        if (ReadLocalHeader(reader, at, header))
            return true;
        // Not a header: search on from just after its signature.
        offset = at + kSignatureSize;
    }
    return false;
}

InflateOutcome InflateMember(SourceReader &reader, uint64_t dataStart, uint64_t budget,
                             ByteSink *sink)
{
    InflateOutcome outcome;
    z_stream stream{};
    stream.zalloc = ZlibAlloc;
    stream.zfree = ZlibFree;
    // Raw deflate data: no zlib header, a 32 KiB window.  The macro passes
    // the installed zlib's own version and stream size.
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK)
        return outcome;
    std::vector<uint8_t> output(kInflateOutput);
    reader.Seek(dataStart);
    bool inputEnded = false;
    for (;;) {
        if (stream.avail_in == 0 && !inputEnded) {
            const uint8_t *data;
            std::size_t available = budget > 0 ? reader.Available(&data) : 0;
            if (available == 0) {
                inputEnded = true;
            } else {
                available = static_cast<std::size_t>(std::min<uint64_t>(available, budget));
                // zlib never writes through next_in.
                stream.next_in = const_cast<Bytef *>(data);
                stream.avail_in = static_cast<uInt>(std::min<std::size_t>(available, 1u << 30));
            }
        }
        const uInt inBefore = stream.avail_in;
        stream.next_out = output.data();
        stream.avail_out = static_cast<uInt>(output.size());
        const int result = inflate(&stream, Z_NO_FLUSH);
        const uInt used = inBefore - stream.avail_in;
        reader.Advance(used);
        budget -= used;
        outcome.consumed += used;
        const std::size_t made = output.size() - stream.avail_out;
        outcome.produced += made;
        if (sink && made > 0 && !sink->Write(output.data(), made)) {
            outcome.writeFailed = true;
            break;
        }
        if (result == Z_STREAM_END) {
            outcome.ended = true;
            break;
        }
        // An error ends the member with what was written; so does input
        // that ran out (zlib answers Z_BUF_ERROR when it cannot go on).
        if (result != Z_OK) {
            outcome.damaged = result != Z_BUF_ERROR;
            break;
        }
        if (inputEnded && used == 0 && made == 0)
            break;
    }
    inflateEnd(&stream);
    return outcome;
}

uint32_t Crc32Update(uint32_t crc, const uint8_t *data, std::size_t count)
{
    uLong value = crc;
    while (count > 0) {
        const uInt piece = static_cast<uInt>(std::min<std::size_t>(count, 1u << 30));
        value = crc32(value, data, piece);
        data += piece;
        count -= piece;
    }
    return static_cast<uint32_t>(value);
}

namespace {

// The data descriptor at `at`, with or without its signature, when its
// compressed size is `packed`.
bool ReadDescriptor(SourceReader &reader, uint64_t at, uint64_t packed, bool wide,
                    ZipSizes &sizes)
{
    uint8_t bytes[kSignatureSize + 4 + 16] = {};
    reader.Seek(at);
    const std::size_t got = reader.Read(bytes, sizeof bytes);
    const std::size_t width = wide ? 8 : 4;
    for (const std::size_t skip : {kSignatureSize, std::size_t{0}}) {
        if (got < skip + 4 + 2 * width ||
            (skip > 0 && std::memcmp(bytes, kDescriptorSignature, kSignatureSize) != 0))
            continue;
        const uint8_t *p = bytes + skip;
        const uint64_t compressed = wide ? Le64(p + 4) : Le32(p + 4);
        if (compressed != packed)
            continue;
        sizes.crc = Le32(p);
        sizes.compressedSize = compressed;
        sizes.uncompressedSize = wide ? Le64(p + 12) : Le32(p + 8);
        return true;
    }
    return false;
}

// What the data descriptor says of a member with flag bit 3 that the
// central directory does not list.
enum class Descriptor { Found, Missing, EndUnknown };

Descriptor FromDescriptor(SourceReader &reader, const ZipLocalHeader &header, uint64_t rest,
                          ZipSizes &sizes)
{
    if (header.method == kMethodDeflated) {
        // The deflate stream shows where the data end.
        const InflateOutcome measured = InflateMember(reader, header.dataStart, rest, nullptr);
        sizes.compressedSize = measured.consumed;
        sizes.uncompressedSize = measured.produced;
        return ReadDescriptor(reader, header.dataStart + measured.consumed, measured.consumed,
                              header.zip64, sizes)
                   ? Descriptor::Found
                   : Descriptor::Missing;
    }
    if (header.method != kMethodStored)
        return Descriptor::EndUnknown;
    // Stored data end where a descriptor follows that counts them.
    for (uint64_t from = header.dataStart, at;
         FindSignature(reader, from, kDescriptorSignature, at); from = at + 1) {
        if (ReadDescriptor(reader, at, at - header.dataStart, header.zip64, sizes) &&
            sizes.uncompressedSize == sizes.compressedSize)
            return Descriptor::Found;
    }
    return Descriptor::EndUnknown;
}

MemberOutcome Unpack(SourceReader &reader, const ZipLocalHeader &header, const ZipSizes &sizes,
                     bool crcKnown, ByteSink &sink)
{
    CheckedSink checked(sink, sizes.uncompressedSize, Crc32Update);
    bool ended, damaged = false, writeFailed;
    if (header.method == kMethodStored) {
        reader.Seek(header.dataStart);
        uint64_t copied = 0;
        const CopyResult copy = CopyBytes(reader, sizes.compressedSize, checked, copied);
        ended = copy != CopyResult::DataEnded;
        writeFailed = copy == CopyResult::WriteFailed;
    } else {
        const InflateOutcome inflated =
            InflateMember(reader, header.dataStart, sizes.compressedSize, &checked);
        ended = inflated.ended;
        damaged = inflated.damaged;
        writeFailed = inflated.writeFailed;
    }
    MemberOutcome outcome;
    outcome.produced = checked.written();
    outcome.storedCheck = sizes.crc;
    if (checked.overran() || damaged)
        outcome.status = MemberStatus::Damaged;
    else if (writeFailed)
        outcome.status = MemberStatus::WriteFailed;
    else if (!ended)
        outcome.status = MemberStatus::DataEnded;
    else if (checked.written() != sizes.uncompressedSize || !crcKnown || checked.check() != sizes.crc)
        outcome.status = MemberStatus::Damaged;
    return outcome;
}

} // namespace

void WalkZip(ByteSource &source, MemberHandler &handler)
{
    SourceReader reader(source);
    const uint64_t size = reader.Size();
    std::unique_ptr<ZipDirectory> directory; // read when a member first needs it
    uint64_t offset = 0;
    ZipLocalHeader header;
    while (FindZipHeader(reader, offset, header)) {
        const uint64_t rest = size - header.dataStart;
        ZipSizes sizes{header.crc, header.compressedSize, header.uncompressedSize};
        Descriptor found = Descriptor::Found;
        if (header.flags & kZipSizesAfterData) {
            if (!directory)
                directory = std::make_unique<ZipDirectory>(reader);
            if (const ZipSizes *recorded = directory->Find(header.offset))
                sizes = *recorded;
            else
                found = FromDescriptor(reader, header, rest, sizes);
        }
        header.entry.packedSize = Clamp32(sizes.compressedSize);
        header.entry.originalSize = Clamp32(sizes.uncompressedSize);
        if (sizes.compressedSize > rest) {
            handler.Begin(header.entry, MemberData::PastEnd);
            break;
        }
        const bool decodable = found != Descriptor::EndUnknown && !(header.flags & kFlagEncrypted) &&
                               (header.method == kMethodStored || header.method == kMethodDeflated) &&
                               !header.nameCut;
        ByteSink *sink = handler.Begin(header.entry, decodable        ? MemberData::Unpackable
                                                     : header.nameCut ? MemberData::NameTooLong
                                                                      : MemberData::NoDecoder);
        if (sink && decodable)
            handler.End(header.entry,
                        Unpack(reader, header, sizes, found == Descriptor::Found, *sink));
        // Where the data end is unknown, nothing after the header is known
        // to be a header.
        if (found == Descriptor::EndUnknown)
            break;
        offset = header.dataStart + sizes.compressedSize;
    }
}

} // namespace loom::archive
