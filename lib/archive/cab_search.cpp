// The cabinet signature search.
#include "archive/cab_search.h"

namespace loom::archive {

namespace {

// The cabinet header's first 12 bytes: signature, a reserved zero, and the
// cabinet's total size.
constexpr uint64_t kMinimumFile = 12;
constexpr std::size_t kSizeField = 8;

int ByteAt(SourceReader &reader, uint64_t offset)
{
    reader.Seek(offset);
    return reader.Get();
}

} // namespace

CabSearchResult FindCabinet(SourceReader &reader, uint64_t &offset, uint32_t &size)
{
    const uint64_t fileSize = reader.Size();
    if (fileSize < kMinimumFile)
        return CabSearchResult::NotFound;
    const uint64_t end = fileSize - 11;
    for (uint64_t p = 0; p + 3 < end;) {
        if (ByteAt(reader, p + 3) != 'F') {
            ++p;
            continue;
        }
        uint8_t head[kMinimumFile];
        reader.Seek(p);
        if (reader.Read(head, sizeof head) != sizeof head)
            return CabSearchResult::NotFound;
        if (head[0] != 'M' || head[1] != 'S' || head[2] != 'C' || Le32(head + 4) != 0) {
            p += 4;
            continue;
        }
        size = Le32(head + kSizeField);
        if (size > fileSize - p)
            return CabSearchResult::SizePastEnd;
        offset = p;
        return CabSearchResult::Found;
    }
    return CabSearchResult::NotFound;
}

} // namespace loom::archive
