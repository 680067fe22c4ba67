// Positioned reads that never leave the data: every request is clipped to
// the source's size before anything is copied, with the comparisons written
// so that no sum of an offset and a count can wrap.
#include "version/exe_reader.h"

#include <algorithm>
#include <cstring>

namespace loom {

std::size_t BufferSource::ReadAt(std::uint64_t offset, void *out, std::size_t count)
{
    if (offset >= size_)
        return 0;
    std::size_t available = size_ - static_cast<std::size_t>(offset);
    std::size_t n = std::min(count, available);
    std::memcpy(out, data_ + offset, n);
    return n;
}

PosReader::PosReader(ByteSource &source) : source_(source), size_(source.Size()), block_(kBlock)
{
}

void PosReader::Bytes(std::uint64_t offset, void *out, std::size_t count)
{
    auto dst = static_cast<std::uint8_t *>(out);
    std::memset(dst, 0, count);
    while (count > 0 && offset < size_) {
        std::uint64_t start = offset - offset % kBlock;
        if (!blockValid_ || blockStart_ != start) {
            blockValid_ = true;
            blockStart_ = start;
            blockLength_ = source_.ReadAt(start, block_.data(), kBlock);
        }
        std::size_t within = static_cast<std::size_t>(offset - start);
        // A short block (the end of the file, or a read that failed) leaves
        // the rest of the request zero.
        if (within >= blockLength_)
            return;
        std::size_t n = std::min(count, blockLength_ - within);
        std::memcpy(dst, block_.data() + within, n);
        dst += n;
        offset += n;
        count -= n;
    }
}

std::uint8_t PosReader::U8(std::uint64_t offset)
{
    std::uint8_t b = 0;
    Bytes(offset, &b, 1);
    return b;
}

std::uint16_t PosReader::U16(std::uint64_t offset)
{
    std::uint8_t b[2];
    Bytes(offset, b, sizeof b);
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

std::uint32_t PosReader::U32(std::uint64_t offset)
{
    std::uint8_t b[4];
    Bytes(offset, b, sizeof b);
    return static_cast<std::uint32_t>(b[0]) | static_cast<std::uint32_t>(b[1]) << 8 |
           static_cast<std::uint32_t>(b[2]) << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::uint64_t PosReader::U64(std::uint64_t offset)
{
    return U32(offset) | static_cast<std::uint64_t>(U32(offset + 4)) << 32;
}

std::string PosReader::Text(std::uint64_t offset, std::size_t limit)
{
    std::string text(limit, '\0');
    Bytes(offset, &text[0], limit);
    text.resize(std::strlen(text.c_str()));
    return text;
}

} // namespace loom
