// Hand-made archive bytes for the archive tests and fuzz seeds: LHA members
// of each header level with the format's checksums, ZIP local headers, and
// a bit writer for packed LHA data.  A walk handler that keeps every member
// in memory.
#pragma once

#include "archive/lha_header.h"
#include "archive/member_handler.h"

#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace loom::archive::test {

using Bytes = std::vector<uint8_t>;

inline void PutLe16(Bytes &out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void PutLe32(Bytes &out, uint32_t value)
{
    PutLe16(out, value & 0xFFFF);
    PutLe16(out, value >> 16);
}

inline void Append(Bytes &out, const std::string &text)
{
    out.insert(out.end(), text.begin(), text.end());
}

inline void Append(Bytes &out, const Bytes &more)
{
    out.insert(out.end(), more.begin(), more.end());
}

// One LHA member as a writer would store it.
struct LhaMember {
    int level = 0;
    std::string method = "-lh0-";
    std::string name = "file.txt";
    std::string directory; // level 1/2: a directory extension, 0xFF-separated
    Bytes data;            // the packed bytes
    std::optional<uint32_t> packedSize;   // default: data size (+ level-1 extensions)
    std::optional<uint32_t> originalSize; // default: data size
    uint32_t stamp = 0x52645A5Bu;         // levels 0/1: DOS date << 16 | time; 2: Unix time
    uint8_t attributes = 0x20;
    std::optional<uint16_t> attributeExtension; // 0x40 extension
    bool headerCrc = true;                      // levels 1/2: common extension with the CRC
    std::optional<uint16_t> wrongHeaderCrc;     // store this instead of the right CRC
    std::vector<Bytes> moreExtensions;          // type byte + data, appended to the chain
    bool nameInExtension = true;                // level 1: name in a 0x01 extension, not the base
    int level2Padding = 0;                      // level 2: bytes after the chain
    std::optional<uint16_t> dataCrc; // default: the CRC-16 of data (right for -lh0-)
};

// CRC-16 of LHA (reflected polynomial 0xA001), bit by bit: the tests' own
// reckoning, not the library's.
inline uint16_t Crc16(const Bytes &bytes)
{
    uint16_t crc = 0;
    for (uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<uint16_t>((crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1);
    }
    return crc;
}

// The member's header and data.
inline Bytes BuildLha(const LhaMember &m)
{
    std::vector<Bytes> extensions;
    if (m.level > 0 && m.headerCrc)
        extensions.push_back({0x00, 0, 0});
    if (m.level == 2 || (m.level == 1 && m.nameInExtension && !m.name.empty())) {
        Bytes name{0x01};
        Append(name, m.name);
        extensions.push_back(name);
    }
    if (m.level > 0 && !m.directory.empty()) {
        Bytes dir{0x02};
        Append(dir, m.directory);
        extensions.push_back(dir);
    }
    if (m.level > 0 && m.attributeExtension) {
        Bytes attr{0x40};
        PutLe16(attr, *m.attributeExtension);
        extensions.push_back(attr);
    }
    for (const Bytes &more : m.moreExtensions)
        extensions.push_back(more);
    // Each extension carries the size of the next one in its last two bytes.
    std::size_t extensionBytes = 0;
    for (Bytes &ext : extensions)
        extensionBytes += ext.size() + 2;

    Bytes h;
    const std::string baseName = (m.level == 1 && m.nameInExtension) ? "" : m.name;
    const uint32_t packed = m.packedSize.value_or(
        static_cast<uint32_t>(m.data.size() + (m.level == 1 ? extensionBytes : 0)));
    h.push_back(0);
    h.push_back(0);
    Append(h, m.method);
    PutLe32(h, packed);
    PutLe32(h, m.originalSize.value_or(static_cast<uint32_t>(m.data.size())));
    PutLe32(h, m.stamp);
    h.push_back(m.attributes);
    h.push_back(static_cast<uint8_t>(m.level));
    if (m.level < 2) {
        h.push_back(static_cast<uint8_t>(baseName.size()));
        Append(h, baseName);
        PutLe16(h, m.dataCrc.value_or(Crc16(m.data)));
        if (m.level == 1)
            h.push_back('U'); // system id
    } else {
        PutLe16(h, m.dataCrc.value_or(Crc16(m.data)));
        h.push_back('U');
    }
    if (m.level > 0)
        PutLe16(h, extensions.empty() ? 0 : static_cast<uint32_t>(extensions[0].size() + 2));
    if (m.level < 2) {
        h[0] = static_cast<uint8_t>(h.size() - 2);
        uint8_t sum = 0;
        for (std::size_t i = 2; i < h.size(); ++i)
            sum = static_cast<uint8_t>(sum + h[i]);
        h[1] = sum;
    }
    const std::size_t baseSize = h.size();
    for (std::size_t i = 0; i < extensions.size(); ++i) {
        Append(h, extensions[i]);
        PutLe16(h, i + 1 < extensions.size() ? static_cast<uint32_t>(extensions[i + 1].size() + 2) : 0);
    }
    if (m.level == 2) {
        h.insert(h.end(), static_cast<std::size_t>(m.level2Padding), 0);
        h[0] = static_cast<uint8_t>(h.size());
        h[1] = static_cast<uint8_t>(h.size() >> 8);
    }
    if (m.level > 0 && m.headerCrc) {
        // The common extension is the first: its CRC field follows its type.
        const uint16_t crc = m.wrongHeaderCrc.value_or(Crc16Update(0, h.data(), h.size()));
        h[baseSize + 1] = static_cast<uint8_t>(crc);
        h[baseSize + 2] = static_cast<uint8_t>(crc >> 8);
    }
    Append(h, m.data);
    return h;
}

// Bits most significant first, as the LHA decoder reads them.
class BitWriter {
public:
    void Put(uint32_t value, unsigned bits)
    {
        for (unsigned i = bits; i-- > 0;) {
            current_ = static_cast<uint8_t>(current_ << 1 | ((value >> i) & 1));
            if (++used_ == 8) {
                bytes_.push_back(current_);
                current_ = 0;
                used_ = 0;
            }
        }
    }
    Bytes Finish()
    {
        Bytes out = bytes_;
        if (used_ > 0)
            out.push_back(static_cast<uint8_t>(current_ << (8 - used_)));
        return out;
    }

private:
    Bytes bytes_;
    uint8_t current_ = 0;
    unsigned used_ = 0;
};

// Bit fields (value, width) written in order.
using BitFields = std::vector<std::pair<uint32_t, unsigned>>;

inline BitFields operator+(BitFields a, const BitFields &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes Pack(const BitFields &fields)
{
    BitWriter w;
    for (const auto &field : fields)
        w.Put(field.first, field.second);
    return w.Finish();
}

// A block of -lh5- data whose three tables each name one code used
// throughout: `count` copies of the character code with no bits spent.
inline BitFields SingleCodeBlock(unsigned count, unsigned charCode, unsigned positionCode,
                                 unsigned positionBits = 4)
{
    return {{count, 16},       // codes in the block
            {0, 5},            // pre-tree: one code...
            {0, 5},            // ...namely 0
            {0, 9},            // characters: one code...
            {charCode, 9},     // ...namely this one
            {0, positionBits}, // positions: one code...
            {positionCode, positionBits}};
}

inline void PutSingleCodeBlock(BitWriter &w, unsigned count, unsigned charCode,
                               unsigned positionCode, unsigned positionBits = 4)
{
    for (const auto &field : SingleCodeBlock(count, charCode, positionCode, positionBits))
        w.Put(field.first, field.second);
}

// CRC-32 of ZIP, bit by bit: the tests' own reckoning, not the library's.
inline uint32_t Crc32(const Bytes &bytes)
{
    uint32_t crc = 0xFFFFFFFFu;
    for (uint8_t byte : bytes) {
        crc ^= byte;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

// Raw deflate data, as ZIP stores them (zlib's own compressor).
inline Bytes Deflate(const Bytes &plain)
{
    z_stream stream{};
    deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&stream, static_cast<uLong>(plain.size())));
    stream.next_in = const_cast<Bytef *>(plain.data());
    stream.avail_in = static_cast<uInt>(plain.size());
    stream.next_out = out.data();
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// A ZIP local header with its name, extra field and data.
struct ZipMember {
    std::string name = "file.txt";
    uint16_t method = 0;
    uint16_t flags = 0;
    uint16_t time = 0x6000, date = 0x5264;
    Bytes data;
    std::optional<uint32_t> compressedSize, uncompressedSize;
    std::optional<uint32_t> crc; // default: the CRC-32 of data (right for stored members)
    Bytes extra;
};

// A deflated member with the size and CRC-32 of its plain bytes.
inline ZipMember Deflated(const std::string &name, const Bytes &plain)
{
    ZipMember m;
    m.name = name;
    m.method = 8;
    m.data = Deflate(plain);
    m.uncompressedSize = static_cast<uint32_t>(plain.size());
    m.crc = Crc32(plain);
    return m;
}

inline Bytes BuildZip(const ZipMember &m)
{
    Bytes z{'P', 'K', 3, 4};
    PutLe16(z, 20);
    PutLe16(z, m.flags);
    PutLe16(z, m.method);
    PutLe16(z, m.time);
    PutLe16(z, m.date);
    PutLe32(z, m.crc.value_or(Crc32(m.data)));
    PutLe32(z, m.compressedSize.value_or(static_cast<uint32_t>(m.data.size())));
    PutLe32(z, m.uncompressedSize.value_or(static_cast<uint32_t>(m.data.size())));
    PutLe16(z, static_cast<uint32_t>(m.name.size()));
    PutLe16(z, static_cast<uint32_t>(m.extra.size()));
    Append(z, m.name);
    Append(z, m.extra);
    Append(z, m.data);
    return z;
}

// A whole archive as a writer that streams to a pipe makes it: each
// member's local header with flag bit 3 and CRC and sizes 0, its data, a
// data descriptor ("PK\7\8", CRC, sizes); then, unless withDirectory is
// false, the central directory and its end record.  A prefix (a program)
// goes before it all; directoryCountsPrefix false makes the directory's
// offsets count from the archive's own start, as when an archive is
// appended to a program.
struct StreamedZip {
    Bytes prefix;
    bool withDirectory = true;
    bool directoryCountsPrefix = true;
    bool descriptors = true;
};

inline Bytes BuildStreamedZip(const std::vector<ZipMember> &members, const StreamedZip &how = {})
{
    Bytes out = how.prefix;
    const uint32_t base = how.directoryCountsPrefix ? 0 : static_cast<uint32_t>(how.prefix.size());
    Bytes directory;
    for (const ZipMember &m : members) {
        ZipMember local = m;
        local.flags |= 0x0008;
        local.crc = 0;
        local.compressedSize = 0;
        local.uncompressedSize = 0;
        const uint32_t offset = static_cast<uint32_t>(out.size()) - base;
        Append(out, BuildZip(local));
        const uint32_t crc = m.crc.value_or(Crc32(m.data));
        const uint32_t packed = m.compressedSize.value_or(static_cast<uint32_t>(m.data.size()));
        const uint32_t original = m.uncompressedSize.value_or(static_cast<uint32_t>(m.data.size()));
        if (how.descriptors) {
            Append(out, std::string("PK\7\x08"));
            PutLe32(out, crc);
            PutLe32(out, packed);
            PutLe32(out, original);
        }
        Append(directory, std::string("PK\1\2"));
        PutLe16(directory, 20);
        PutLe16(directory, 20);
        PutLe16(directory, local.flags);
        PutLe16(directory, m.method);
        PutLe16(directory, m.time);
        PutLe16(directory, m.date);
        PutLe32(directory, crc);
        PutLe32(directory, packed);
        PutLe32(directory, original);
        PutLe16(directory, static_cast<uint32_t>(m.name.size()));
        PutLe16(directory, 0); // extra
        PutLe16(directory, 0); // comment
        PutLe16(directory, 0); // disk
        PutLe16(directory, 0); // internal attributes
        PutLe32(directory, 0); // external attributes
        PutLe32(directory, offset);
        Append(directory, m.name);
    }
    if (!how.withDirectory)
        return out;
    const uint32_t directoryOffset = static_cast<uint32_t>(out.size()) - base;
    Append(out, directory);
    Append(out, std::string("PK\5\6"));
    PutLe32(out, 0); // disks
    PutLe16(out, static_cast<uint32_t>(members.size()));
    PutLe16(out, static_cast<uint32_t>(members.size()));
    PutLe32(out, static_cast<uint32_t>(directory.size()));
    PutLe32(out, directoryOffset);
    PutLe16(out, 0); // comment
    return out;
}

// Keeps every member a walk reports, and its bytes when asked to unpack.
class Recorder : public MemberHandler {
public:
    struct Member {
        ArchiveEntry entry;
        Bytes bytes;
        MemberOutcome outcome;
        bool unpacked = false;
        bool decodable = false;
    };
    explicit Recorder(bool unpack = true) : unpack_(unpack) {}

    ByteSink *Begin(const ArchiveEntry &entry, MemberData data) override
    {
        if (data == MemberData::PastEnd) {
            pastEnd = true;
            return nullptr;
        }
        members.push_back({entry, {}, {}, false, data == MemberData::Unpackable});
        sink_.bytes.clear();
        return unpack_ ? &sink_ : nullptr;
    }
    void End(const ArchiveEntry &, const MemberOutcome &outcome) override
    {
        members.back().bytes = sink_.bytes;
        members.back().outcome = outcome;
        members.back().unpacked = true;
    }

    std::vector<Member> members;
    bool pastEnd = false; // a member whose data ran past the end ended the walk

private:
    bool unpack_;
    VectorSink sink_;
};

} // namespace loom::archive::test
