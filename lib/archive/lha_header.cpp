// LHA headers.
//
// Format notes.  Every level begins with the same 21 bytes (the fixed part,
// offsets in FixedOffset): the header's size and sum, the method mark
// "-lh5-", the packed and original sizes, the time stamp, the DOS attributes
// and the level.  Levels 0 and 1 go on with the name (a length byte and the
// name) and the member's CRC-16 inside the header length; level 2's base
// header is 26 bytes.  Levels 1 and 2 end their base header with the 16-bit
// size of the first extension header; each extension header is a type byte,
// its data, and the size of the next one.  Level 1 counts its extension
// headers in the packed size; level 2 declares the length of the whole
// header, extension headers included.
#include "archive/lha_header.h"

#include "archive/member_name.h"

#include <array>
#include <string>
#include <vector>

namespace loom::archive {

namespace {

// The fixed part of every level.
enum FixedOffset : std::size_t {
    kHeaderSize = 0,    // level 0/1: header length - 2 (one byte); level 2: the
                        // 16-bit length of the whole header.  0 ends an archive.
    kHeaderSum = 1,     // level 0/1: 8-bit sum of the header bytes after this one
    kMethodMark = 2,    // "-lh5-": "-l" at 2-3, the method digit at 5
    kMethodDigit = 5,
    kPackedSize = 7,
    kOriginalSize = 11,
    kTimeStamp = 15,    // level 0/1: DOS date and time; level 2: seconds since 1970 UTC
    kAttributes = 19,
    kLevel = 20,
};
constexpr std::size_t kFixedPart = 21;
// The archive search tests the method mark up to its letter ("-lh", "-lz").
constexpr std::size_t kMarkTest = kMethodMark + 3;
// Levels 0 and 1: the name after the fixed part, then the member's CRC-16.
enum NameOffset : std::size_t { kNameLength = 21, kName = 22 };
constexpr std::size_t kMemberCrcSize = 2;
// Level 2: the member's CRC-16 right after the fixed part; 26 bytes of
// base header in all.
constexpr std::size_t kLevel2MemberCrc = 21;
constexpr std::size_t kLevel2Base = 26;
// Levels 0 and 1 store the header length less 2 in one byte.
constexpr std::size_t kMaxLevel01Header = 255 + 2;

// Extension headers: the type byte, the data, and the 16-bit size of the
// next extension header in the last two bytes.  A size too small for the
// type and the next size ends the chain (0 is the usual end).
enum ExtensionOffset : std::size_t { kExtType = 0, kExtData = 1 };
constexpr std::size_t kNextSizeSize = 2;
constexpr std::size_t kExtOverhead = 1 + kNextSizeSize;
// The common header and the attributes hold a 16-bit field.
constexpr std::size_t kExtWithWord = kExtOverhead + 2;

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

// Whether the bytes at p begin with a method mark that the search tests.
bool HasMethodMark(const uint8_t *p)
{
    const uint8_t *mark = p + kMethodMark;
    return mark[0] == '-' && mark[1] == 'l' && (mark[2] == 'h' || mark[2] == 'z');
}

// The reading of one header: the bytes read so far, their sums, and what
// they said.  Every step returns false as soon as the bytes break a rule of
// the format; the header then holds no member.
class HeaderParser {
public:
    HeaderParser(SourceReader &reader, const LhaOptions &options, LhaHeader &header,
                 uint64_t *chainBudget)
        : reader_(reader), options_(options), header_(header), chainBudget_(chainBudget)
    {
    }

    bool Read()
    {
        if (!ReadFixedPart())
            return false;
        TakeFixedFields();
        if (!ReadBaseRest())
            return false;
        if (level_ < 2 && !TakeLevel01Name())
            return false;
        if (level_ == 2)
            header_.dataCrc = Le16(base_ + kLevel2MemberCrc);
        header_.entry.check = sums_.crc;
        end_ = header_.offset + length_;
        if (level_ > 0 && !ReadExtensionChain())
            return false;
        Finish();
        return true;
    }

private:
    // The fixed part: a level, a header length and a method mark that a
    // header can have.
    bool ReadFixedPart()
    {
        reader_.Seek(header_.offset);
        if (reader_.Read(base_, kFixedPart) != kFixedPart)
            return false;
        sums_.Add(base_, kFixedPart);
        // The size and the sum fields are not part of the sum.
        sums_.sum = static_cast<uint8_t>(sums_.sum - base_[kHeaderSize] - base_[kHeaderSum]);

        level_ = base_[kLevel];
        if (level_ > 2)
            return false;
        length_ = level_ == 2 ? kLevel2Base : static_cast<uint8_t>(base_[kHeaderSize] + 2);
        if (length_ < kFixedPart || base_[kHeaderSize] == 0)
            return false;
        if (level_ == 2 && Le16(base_ + kHeaderSize) < kLevel2Base)
            return false;
        return base_[kMethodMark] == '-' && base_[kMethodMark + 1] == 'l';
    }

    // The member's fields in the fixed part.
    void TakeFixedFields()
    {
        ArchiveEntry &entry = header_.entry;
        entry.method = static_cast<uint8_t>(base_[kMethodDigit] - '0');
        const bool larcStored = base_[kMethodMark + 2] == 'z' && base_[kMethodDigit] == '4';
        header_.unpackMethod = larcStored ? 0 : entry.method;
        packed_ = Le32(base_ + kPackedSize);
        entry.originalSize = Le32(base_ + kOriginalSize);
        const uint32_t stamp = Le32(base_ + kTimeStamp);
        const uint32_t dos = level_ == 2 ? options_.unixToDos(stamp) : stamp;
        entry.date = dos >> 16;
        entry.time = dos & 0xFFFF;
        entry.attributes = base_[kAttributes];
    }

    // The base header's bytes after the fixed part.
    bool ReadBaseRest()
    {
        const std::size_t rest = length_ - kFixedPart;
        if (reader_.Read(base_ + kFixedPart, rest) != rest)
            return false;
        sums_.Add(base_ + kFixedPart, rest);
        return true;
    }

    // Levels 0 and 1: the header's sum, and the name in the base header.
    bool TakeLevel01Name()
    {
        if (sums_.sum != base_[kHeaderSum])
            return false;
        const std::size_t nameLength = base_[kNameLength];
        if (nameLength + kName + kMemberCrcSize > length_)
            return false;
        name_.assign(reinterpret_cast<const char *>(base_ + kName), nameLength);
        header_.dataCrc = Le16(base_ + kName + nameLength);
        return true;
    }

    // Levels 1 and 2: the extension headers after the base header, then the
    // header CRC when a common header stored one.  The packed size (level
    // 1) or the declared header length (level 2) bounds the chain, so it can
    // neither run away nor loop.
    bool ReadExtensionChain()
    {
        limit_ = level_ == 2 ? header_.offset + Le16(base_ + kHeaderSize) : end_ + packed_;
        std::size_t size = Le16(base_ + length_ - kNextSizeSize);
        while (size >= kExtOverhead) {
            if (!ReadChainBytes(size))
                return false;
            if (level_ == 1)
                packed_ -= static_cast<uint32_t>(size);
            TakeExtension(size);
            size = Le16(ext_.data() + size - kNextSizeSize);
        }
        if (level_ == 2 && !ReadLevel2Padding())
            return false;
        return !haveStoredCrc_ || storedCrc_ == sums_.crc;
    }

    // Level 2: bytes between the chain and the declared length (a writer
    // pads a length whose low byte would be 0) are header too, and covered
    // by the header CRC.
    bool ReadLevel2Padding()
    {
        if (end_ >= limit_)
            return true;
        if (!ReadChainBytes(static_cast<std::size_t>(limit_ - end_)))
            return false;
        sums_.Add(ext_.data(), ext_.size());
        return true;
    }

    // Reads the next `size` bytes of the header into ext_, within the
    // chain's limit and the search's budget.
    bool ReadChainBytes(std::size_t size)
    {
        if (size > limit_ - end_)
            return false;
        if (chainBudget_) {
            if (size > *chainBudget_)
                return false;
            *chainBudget_ -= size;
        }
        ext_.resize(size);
        if (reader_.Read(ext_.data(), size) != size)
            return false;
        end_ += size;
        return true;
    }

    // The extension header of `size` bytes in ext_: into the sums, and what
    // it says into the header.  Other types than these are passed over.
    void TakeExtension(std::size_t size)
    {
        const uint16_t crcBefore = sums_.crc;
        sums_.Add(ext_.data(), size);
        const auto text = [&] {
            return std::string(reinterpret_cast<const char *>(ext_.data() + kExtData),
                               size - kExtOverhead);
        };
        switch (ext_[kExtType]) {
        case kExtCommon:
            // The header CRC covers every header byte with its own two bytes
            // taken as zero.
            if (size >= kExtWithWord && !haveStoredCrc_) {
                haveStoredCrc_ = true;
                storedCrc_ = Le16(ext_.data() + kExtData);
                ext_[kExtData] = ext_[kExtData + 1] = 0;
                sums_.crc = Crc16Update(crcBefore, ext_.data(), size);
            }
            break;
        case kExtFileName:
            name_ = text();
            break;
        case kExtDirName:
            directory_ = text();
            break;
        case kExtAttributes:
            if (size >= kExtWithWord)
                header_.entry.attributes = Le16(ext_.data() + kExtData);
            break;
        default:
            break;
        }
    }

    // The header passed every rule: the name and the member's place.
    void Finish()
    {
        ConvertSeparators(name_, options_.isLead);
        ConvertSeparators(directory_, options_.isLead);
        const std::string full = directory_ + name_;
        ArchiveEntry &entry = header_.entry;
        SetEntryName(entry.name, full.c_str(), full.size());
        header_.nameCut = full.size() > ARCHIVE_TEXT_SIZE - 1;
        entry.packedSize = packed_;
        header_.level = level_;
        header_.dataStart = end_;
    }

    SourceReader &reader_;
    const LhaOptions &options_;
    LhaHeader &header_;
    uint64_t *chainBudget_;

    uint8_t base_[kMaxLevel01Header];  // the base header
    HeaderSums sums_;
    int level_ = 0;
    std::size_t length_ = 0;   // of the base header
    uint32_t packed_ = 0;      // level 1: less the extension headers
    std::string name_, directory_;
    uint64_t end_ = 0;         // file offset after the bytes read
    uint64_t limit_ = 0;       // where the extension chain must end
    std::vector<uint8_t> ext_; // the extension header (or padding) last read
    bool haveStoredCrc_ = false;
    uint16_t storedCrc_ = 0;
};

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
    header.entry.kind = ARCHIVE_KIND_LHA;
    header.offset = offset;
    return HeaderParser(reader, options, header, chainBudget).Read();
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
        const std::size_t available = reader.Available(&data);
        if (available < kMarkTest) {
            // Too few bytes buffered to test a mark: read them whole.
            uint8_t mark[kMarkTest];
            reader.Seek(offset);
            if (reader.Read(mark, kMarkTest) != kMarkTest)
                return false;
            if (HasMethodMark(mark) && ReadLhaHeader(reader, offset, options, first, &chainBudget))
                return true;
            ++offset;
            continue;
        }
        // Test every offset whose mark lies in the buffered bytes.
        const std::size_t testable = available - (kMarkTest - 1);
        std::size_t i = 0;
        for (; i < testable && offset + i <= last; ++i) {
            if (!HasMethodMark(data + i))
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
