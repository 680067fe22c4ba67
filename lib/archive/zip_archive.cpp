// The ZIP local-header walk.  A local header is the signature "PK\3\4"
// followed by 26 bytes:
//   0 version needed, 2 flags, 4 method, 6 DOS time, 8 DOS date, 10 CRC-32,
//   14 compressed size, 18 uncompressed size, 22 name length,
//   24 extra field length
// then the name, the extra field and the member's data.  A size of
// 0xFFFFFFFF means that the ZIP64 extra field (tag 1) holds it; `zip` writes
// one when it packs standard input, even for a few bytes.
#include "archive/zip_archive.h"

#include "archive/member_name.h"

#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace loom::archive {

namespace {

constexpr std::size_t kSignatureSize = 4;
constexpr std::size_t kHeaderSize = 26;
constexpr std::size_t kMaxName = ARCHIVE_TEXT_SIZE - 1;
constexpr uint16_t kFlagSizesAfterData = 0x0008;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflated = 8;
constexpr uint16_t kZip64Tag = 0x0001;
constexpr uint32_t kSizeInZip64 = 0xFFFFFFFF;
// Output of one inflate call: large pieces make few writes.
constexpr std::size_t kInflateOutput = 64 * 1024;

bool IsSignature(const uint8_t *p)
{
    return p[0] == 'P' && p[1] == 'K' && p[2] == 3 && p[3] == 4;
}

// The offset of the next signature at or after from.
bool FindSignature(SourceReader &reader, uint64_t from, uint64_t &at)
{
    uint64_t offset = from;
    for (;;) {
        reader.Seek(offset);
        const uint8_t *data;
        const std::size_t available = reader.Available(&data);
        if (available < kSignatureSize) {
            uint8_t tail[kSignatureSize];
            if (reader.Read(tail, kSignatureSize) != kSignatureSize)
                return false;
            if (IsSignature(tail)) {
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
        while ((p = static_cast<const uint8_t *>(std::memchr(p, 'P', last + 1 - (p - data))))) {
            if (IsSignature(p)) {
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

// Takes the sizes marked 0xFFFFFFFF from the ZIP64 extra field: the
// uncompressed size first, then the compressed size, each present only when
// its header field is marked (a local header normally carries both).
void ApplyZip64(const std::vector<uint8_t> &extra, uint32_t compressed32, uint32_t uncompressed32,
                ZipLocalHeader &header)
{
    std::size_t at = 0;
    while (extra.size() - at >= 4) {
        const uint16_t tag = Le16(&extra[at]);
        const std::size_t length = Le16(&extra[at + 2]);
        at += 4;
        if (length > extra.size() - at)
            return;
        if (tag == kZip64Tag) {
            const uint8_t *field = &extra[at];
            std::size_t left = length;
            if (uncompressed32 == kSizeInZip64 && left >= 8) {
                header.uncompressedSize = Le64(field);
                field += 8;
                left -= 8;
            }
            if (compressed32 == kSizeInZip64 && left >= 8)
                header.compressedSize = Le64(field);
            return;
        }
        at += length;
    }
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
    if (header.method > kMethodDeflated || header.method == 7)
        return false;
    const uint64_t extraStart = nameStart + nameLength;
    if (extraLength > size - extraStart)
        return false;

    header.flags = Le16(fields + 2);
    const uint32_t compressed32 = Le32(fields + 14);
    const uint32_t uncompressed32 = Le32(fields + 18);
    header.compressedSize = compressed32;
    header.uncompressedSize = uncompressed32;
    if ((compressed32 == kSizeInZip64 || uncompressed32 == kSizeInZip64) && extraLength > 0) {
        std::vector<uint8_t> extra(extraLength);
        reader.Seek(extraStart);
        if (reader.Read(extra.data(), extraLength) != extraLength)
            return false;
        ApplyZip64(extra, compressed32, uncompressed32, header);
    }
    header.streamed = (header.flags & kFlagSizesAfterData) && header.method == kMethodDeflated;
    header.dataStart = extraStart + extraLength;

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
    while (FindSignature(reader, offset, at)) {
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
        if (result != Z_OK)
            break;
        if (inputEnded && used == 0 && made == 0)
            break;
    }
    inflateEnd(&stream);
    return outcome;
}

void WalkZip(ByteSource &source, MemberHandler &handler)
{
    SourceReader reader(source);
    const uint64_t size = reader.Size();
    uint64_t offset = 0;
    ZipLocalHeader header;
    while (FindZipHeader(reader, offset, header)) {
        const uint64_t rest = size - header.dataStart;
        uint64_t next;
        if (header.streamed) {
            // The sizes follow the data: the deflate stream itself tells
            // where the member ends, and what the entry should say.
            const InflateOutcome measured = InflateMember(reader, header.dataStart, rest, nullptr);
            header.entry.packedSize = Clamp32(measured.consumed);
            header.entry.originalSize = Clamp32(measured.produced);
            next = header.dataStart + measured.consumed;
        } else {
            if (header.compressedSize > rest)
                break;
            next = header.dataStart + header.compressedSize;
        }
        if (ByteSink *sink = handler.Begin(header.entry)) {
            MemberOutcome outcome;
            if (header.method == kMethodStored) {
                reader.Seek(header.dataStart);
                outcome.complete = CopyBytes(reader, header.compressedSize, *sink,
                                             outcome.produced) == CopyResult::Complete;
            } else if (header.method == kMethodDeflated) {
                const InflateOutcome inflated = InflateMember(
                    reader, header.dataStart, header.streamed ? rest : header.compressedSize, sink);
                outcome.complete = inflated.ended && !inflated.writeFailed;
                outcome.produced = inflated.produced;
            }
            handler.End(header.entry, outcome);
        }
        offset = next;
    }
}

} // namespace loom::archive
