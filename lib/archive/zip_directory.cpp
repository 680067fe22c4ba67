// The ZIP central directory.  Format notes:
//   end record "PK\5\6" (22 bytes + comment): 10 entry count, 12 directory
//     size, 16 directory offset, 20 comment length; it is the last thing in
//     the file, so it lies within the last 22 + 65,535 bytes.
//   ZIP64 locator "PK\6\7" (20 bytes) right before it: 8 offset of the
//     ZIP64 end record "PK\6\6" (56 bytes): 40 directory size, 48 offset.
//   directory entry "PK\1\2" (46 bytes + name, extra, comment): 8 flags,
//     16 CRC-32, 20 compressed size, 24 uncompressed size, 28 name length,
//     30 extra length, 32 comment length, 42 local header offset.
#include "archive/zip_directory.h"

#include <algorithm>
#include <cstring>

namespace loom::archive {

namespace {

constexpr std::size_t kEndSize = 22;
constexpr std::size_t kMaxComment = 0xFFFF;
constexpr std::size_t kLocatorSize = 20;
constexpr std::size_t kEnd64Size = 56;
constexpr std::size_t kEntrySize = 46;
constexpr uint16_t kZip64Tag = 0x0001;
constexpr uint32_t kInZip64 = 0xFFFFFFFF;

bool HasSignature(const uint8_t *p, uint8_t third, uint8_t fourth)
{
    return p[0] == 'P' && p[1] == 'K' && p[2] == third && p[3] == fourth;
}

} // namespace

bool ApplyZip64(const uint8_t *extra, std::size_t length, uint64_t *const (&fields)[3])
{
    std::size_t at = 0;
    while (length - at >= 4) {
        const uint16_t tag = Le16(extra + at);
        const std::size_t size = Le16(extra + at + 2);
        at += 4;
        if (size > length - at)
            return false;
        if (tag == kZip64Tag) {
            std::size_t used = 0;
            for (uint64_t *field : fields) {
                if (!field)
                    continue;
                if (size - used < 8)
                    break;
                *field = Le64(extra + at + used);
                used += 8;
            }
            return true;
        }
        at += size;
    }
    return false;
}

ZipDirectory::ZipDirectory(SourceReader &reader)
{
    const uint64_t size = reader.Size();
    if (size < kEndSize)
        return;
    const uint64_t tailStart = size > kEndSize + kMaxComment ? size - kEndSize - kMaxComment : 0;
    std::vector<uint8_t> tail(static_cast<std::size_t>(size - tailStart));
    reader.Seek(tailStart);
    if (reader.Read(tail.data(), tail.size()) != tail.size())
        return;
    // The last end record whose comment fits in what follows it.
    std::size_t i = tail.size() - kEndSize + 1;
    while (i-- > 0) {
        const uint8_t *p = &tail[i];
        if (HasSignature(p, 5, 6) && Le16(p + 20) <= tail.size() - i - kEndSize)
            break;
    }
    if (i == static_cast<std::size_t>(-1))
        return;
    const uint8_t *end = &tail[i];
    uint64_t endAt = tailStart + i;
    uint64_t directorySize = Le32(end + 12);
    uint64_t directoryOffset = Le32(end + 16);
    if ((directorySize == kInZip64 || directoryOffset == kInZip64 || Le16(end + 10) == 0xFFFF) &&
        endAt >= kLocatorSize + kEnd64Size) {
        // The ZIP64 end record: normally right before the locator, else
        // where the locator says (which an appended archive shifts).
        uint8_t locator[kLocatorSize];
        reader.Seek(endAt - kLocatorSize);
        if (reader.Read(locator, kLocatorSize) == kLocatorSize && HasSignature(locator, 6, 7)) {
            for (uint64_t at : {endAt - kLocatorSize - kEnd64Size, Le64(locator + 8)}) {
                uint8_t end64[kEnd64Size];
                reader.Seek(at);
                if (reader.Read(end64, kEnd64Size) == kEnd64Size && HasSignature(end64, 6, 6)) {
                    endAt = at;
                    directorySize = Le64(end64 + 40);
                    directoryOffset = Le64(end64 + 48);
                    break;
                }
            }
        }
    }
    if (directorySize > endAt || directoryOffset > endAt - directorySize)
        return;
    const uint64_t start = endAt - directorySize;
    ReadEntries(reader, start, directorySize, start - directoryOffset);
}

void ZipDirectory::ReadEntries(SourceReader &reader, uint64_t start, uint64_t size, uint64_t shift)
{
    reader.Seek(start);
    uint64_t left = size;
    std::vector<uint8_t> extra;
    while (left >= kEntrySize) {
        uint8_t e[kEntrySize];
        if (reader.Read(e, kEntrySize) != kEntrySize || !HasSignature(e, 1, 2))
            break;
        const std::size_t nameLength = Le16(e + 28);
        const std::size_t extraLength = Le16(e + 30);
        const std::size_t commentLength = Le16(e + 32);
        const uint64_t whole = kEntrySize + nameLength + extraLength + commentLength;
        if (whole > left)
            break;
        left -= whole;
        if (!(Le16(e + 8) & kZipSizesAfterData)) {
            reader.Seek(reader.Tell() + nameLength + extraLength + commentLength);
            continue;
        }
        ZipSizes sizes;
        sizes.crc = Le32(e + 16);
        sizes.compressedSize = Le32(e + 20);
        sizes.uncompressedSize = Le32(e + 24);
        uint64_t offset = Le32(e + 42);
        reader.Seek(reader.Tell() + nameLength);
        extra.resize(extraLength);
        if (reader.Read(extra.data(), extraLength) != extraLength)
            break;
        uint64_t *const fields[3] = {
            sizes.uncompressedSize == kInZip64 ? &sizes.uncompressedSize : nullptr,
            sizes.compressedSize == kInZip64 ? &sizes.compressedSize : nullptr,
            offset == kInZip64 ? &offset : nullptr};
        ApplyZip64(extra.data(), extraLength, fields);
        reader.Seek(reader.Tell() + commentLength);
        if (offset <= UINT64_MAX - shift)
            entries_.emplace_back(offset + shift, sizes);
    }
    std::sort(entries_.begin(), entries_.end(),
              [](const auto &a, const auto &b) { return a.first < b.first; });
}

const ZipSizes *ZipDirectory::Find(uint64_t offset) const
{
    auto it = std::lower_bound(entries_.begin(), entries_.end(), offset,
                               [](const auto &entry, uint64_t key) { return entry.first < key; });
    return it != entries_.end() && it->first == offset ? &it->second : nullptr;
}

} // namespace loom::archive
