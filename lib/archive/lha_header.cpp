// LHA headers.  Layout of the 21 bytes every level begins with:
//   0     level 0/1: header length - 2;  level 2: low byte of the 16-bit
//         total header length (bytes 0-1).  0 marks the end of an archive.
//   1     level 0/1: 8-bit sum of the header bytes after byte 1
//   2-6   method mark "-lh5-"
//   7-10  packed size, 11-14 original size, 15-18 time stamp
//   19    DOS attributes, 20 level
// Levels 0 and 1 go on with the name (length byte 21, name from 22) inside
// the header length; level 2's base header is 26 bytes.  Levels 1 and 2 end
// their base header with the 16-bit size of the first extension header; each
// extension header is a type byte, its data, and the size of the next one.
#include "archive/lha_header.h"

#include "archive/member_name.h"

#include <array>
#include <string>
#include <vector>

namespace loom::archive {

namespace {

constexpr std::size_t kFixedPart = 21;
constexpr std::size_t kLevel2Base = 26;
// Levels 0 and 1 store the header length less 2 in one byte.
constexpr std::size_t kMaxLevel01Header = 255 + 2;

constexpr uint8_t kExtCommon = 0x00;
constexpr uint8_t kExtFileName = 0x01;
constexpr uint8_t kExtDirName = 0x02;
constexpr uint8_t kExtAttributes = 0x40;

constexpr std::array<uint16_t, 256> MakeCrcTable()
{
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();

// The running CRC and 8-bit sum over every header byte read.
struct HeaderSums {
    uint16_t crc = 0;
    uint8_t sum = 0;
    void Add(const uint8_t *data, std::size_t count)
    {
        crc = Crc16Update(crc, data, count);
        for (std::size_t i = 0; i < count; ++i)
            sum = static_cast<uint8_t>(sum + data[i]);
    }
};

// 0xFF is the folder separator of the format; it becomes "\".  The second
// byte of a double-byte character is left alone.
void ConvertSeparators(std::string &text, LeadByteFn isLead)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte == 0xFF)
            text[i] = '\\';
        else if (isLead(byte) && i + 1 < text.size())
            ++i;
    }
}

// Days since 1970-01-01 to a civil date (proleptic Gregorian calendar).
void CivilFromDays(int64_t days, int &year, unsigned &month, unsigned &day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const auto dayOfEra = static_cast<unsigned>(days - era * 146097);
    const unsigned yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned mp = (5 * dayOfYear + 2) / 153;
    day = dayOfYear - (153 * mp + 2) / 5 + 1;
    month = mp < 10 ? mp + 3 : mp - 9;
    year = static_cast<int>(yearOfEra + era * 400) + (month <= 2 ? 1 : 0);
}

} // namespace

uint16_t Crc16Update(uint16_t crc, const uint8_t *data, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i)
        crc = static_cast<uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ data[i]) & 0xFF]);
    return crc;
}

uint32_t UnixToDosUtc(uint32_t unixTime)
{
    const uint32_t seconds = unixTime % 86400;
    int year;
    unsigned month, day;
    CivilFromDays(unixTime / 86400, year, month, day);
    if (year < 1980)
        return 0x00210000; // 1980-01-01 00:00:00
    if (year > 2107)
        year = 2107;
    const uint32_t date = static_cast<uint32_t>(year - 1980) << 9 | month << 5 | day;
    const uint32_t time = (seconds / 3600) << 11 | (seconds / 60 % 60) << 5 | (seconds % 60) / 2;
    return date << 16 | time;
}

bool ReadLhaHeader(SourceReader &reader, uint64_t offset, const LhaOptions &options,
                   LhaHeader &header, uint64_t *chainBudget)
{
    header = LhaHeader();
    ArchiveEntry &entry = header.entry;
    entry.kind = ARCHIVE_KIND_LHA;
    header.offset = offset;

    uint8_t base[kMaxLevel01Header];
    reader.Seek(offset);
    if (reader.Read(base, kFixedPart) != kFixedPart)
        return false;
    HeaderSums sums;
    sums.Add(base, kFixedPart);
    // The length and the sum fields are not part of the sum.
    sums.sum = static_cast<uint8_t>(sums.sum - base[0] - base[1]);

    const int level = base[20];
    if (level > 2)
        return false;
    const std::size_t length =
        level == 2 ? kLevel2Base : static_cast<uint8_t>(base[0] + 2);
    if (length < kFixedPart || base[0] == 0)
        return false;
    if (level == 2 && Le16(base) < kLevel2Base)
        return false;
    if (base[2] != '-' || base[3] != 'l')
        return false;
    entry.method = static_cast<uint8_t>(base[5] - '0');
    uint32_t packed = Le32(base + 7);
    entry.originalSize = Le32(base + 11);
    const uint32_t stamp = Le32(base + 15);
    if (level == 2) {
        const uint32_t dos = options.unixToDos(stamp);
        entry.date = dos >> 16;
        entry.time = dos & 0xFFFF;
    } else {
        entry.date = stamp >> 16;
        entry.time = stamp & 0xFFFF;
    }
    entry.attributes = base[19];

    const std::size_t rest = length - kFixedPart;
    if (reader.Read(base + kFixedPart, rest) != rest)
        return false;
    sums.Add(base + kFixedPart, rest);

    std::string name, directory;
    if (level < 2) {
        if (sums.sum != base[1])
            return false;
        const std::size_t nameLength = base[21];
        if (nameLength + 24 > length)
            return false;
        name.assign(reinterpret_cast<const char *>(base + 22), nameLength);
    }
    entry.check = sums.crc;

    uint64_t end = offset + length;
    if (level > 0) {
        // Level 2 declares the length of the whole header, extension headers
        // included; level 1 counts its extension headers in the packed size.
        // Either bounds the chain, so it can neither run away nor loop.
        const uint64_t limit = level == 2 ? offset + Le16(base) : end + packed;
        bool haveStoredCrc = false;
        uint16_t storedCrc = 0;
        std::vector<uint8_t> ext;
        // Reads the next size bytes of the header into ext, within the
        // limit and the search's budget.
        const auto readMore = [&](std::size_t size) {
            if (size > limit - end)
                return false;
            if (chainBudget) {
                if (size > *chainBudget)
                    return false;
                *chainBudget -= size;
            }
            ext.resize(size);
            if (reader.Read(ext.data(), size) != size)
                return false;
            end += size;
            return true;
        };
        std::size_t size = Le16(base + length - 2);
        while (size > 2) {
            if (!readMore(size))
                return false;
            if (level == 1)
                packed -= static_cast<uint32_t>(size);
            const uint16_t crcBefore = sums.crc;
            sums.Add(ext.data(), size);
            const auto text = [&] {
                return std::string(reinterpret_cast<const char *>(ext.data() + 1), size - 3);
            };
            switch (ext[0]) {
            case kExtCommon:
                // The header CRC covers every header byte with its own two
                // bytes taken as zero.
                if (size >= 5 && !haveStoredCrc) {
                    haveStoredCrc = true;
                    storedCrc = Le16(ext.data() + 1);
                    ext[1] = ext[2] = 0;
                    sums.crc = Crc16Update(crcBefore, ext.data(), size);
                }
                break;
            case kExtFileName:
                name = text();
                break;
            case kExtDirName:
                directory = text();
                break;
            case kExtAttributes:
                if (size >= 5)
                    entry.attributes = Le16(ext.data() + 1);
                break;
            default:
                break;
            }
            size = Le16(ext.data() + size - 2);
        }
        if (level == 2 && end < limit) {
            // Bytes between the chain and the declared length (a writer pads
            // a length whose low byte would be 0) are header too, and
            // covered by the header CRC.
            if (!readMore(static_cast<std::size_t>(limit - end)))
                return false;
            sums.Add(ext.data(), ext.size());
        }
        if (haveStoredCrc && storedCrc != sums.crc)
            return false;
    }

    ConvertSeparators(name, options.isLead);
    ConvertSeparators(directory, options.isLead);
    const std::string full = directory + name;
    SetEntryName(entry.name, full.c_str(), full.size());
    entry.packedSize = packed;
    header.level = level;
    header.dataStart = end;
    return true;
}

bool FindLhaArchive(SourceReader &reader, const LhaOptions &options, LhaHeader &first)
{
    const uint64_t size = reader.Size();
    if (size < kFixedPart)
        return false;
    // Each candidate may read a chain of extension headers before it is
    // refused.  The search as a whole may spend this much on chains, so that
    // a file full of near-headers ends the search in time linear in its size.
    uint64_t chainBudget = 16 * size + (1u << 20);
    uint64_t offset = 0;
    const uint64_t last = size - kFixedPart; // the last offset with room for a header
    while (offset <= last) {
        reader.Seek(offset);
        const uint8_t *data;
        std::size_t available = reader.Available(&data);
        if (available < 5) {
            // Too few bytes buffered to test a mark: read them whole.
            uint8_t mark[5];
            reader.Seek(offset);
            if (reader.Read(mark, 5) != 5)
                return false;
            data = mark;
            available = 5;
            if (mark[2] == '-' && mark[3] == 'l' && (mark[4] == 'h' || mark[4] == 'z') &&
                ReadLhaHeader(reader, offset, options, first, &chainBudget))
                return true;
            ++offset;
            continue;
        }
        // Test every offset whose mark lies in the buffered bytes.
        const std::size_t testable = available - 4;
        std::size_t i = 0;
        for (; i < testable && offset + i <= last; ++i) {
            if (data[i + 2] != '-' || data[i + 3] != 'l' || (data[i + 4] != 'h' && data[i + 4] != 'z'))
                continue;
            if (ReadLhaHeader(reader, offset + i, options, first, &chainBudget))
                return true;
            // The header reader moved the stream; carry on after this offset.
            ++i;
            break;
        }
        offset += i;
    }
    return false;
}

} // namespace loom::archive
