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

PosReader::PosReader(ByteSource &source)
    : source_(source), size_(source.Size()), data_(kBlock * kBlocks)
{
}

const PosReader::Block &PosReader::Fetch(std::uint64_t start, const std::uint8_t **bytes)
{
    std::size_t victim = 0;
    for (std::size_t i = 0; i < kBlocks; ++i) {
        if (blocks_[i].lastUse != 0 && blocks_[i].start == start) {
            victim = i;
            break;
        }
        if (blocks_[i].lastUse < blocks_[victim].lastUse)
            victim = i;
    }
    Block &b = blocks_[victim];
    std::uint8_t *at = data_.data() + victim * kBlock;
    if (b.lastUse == 0 || b.start != start) {
        b.start = start;
        b.length = source_.ReadAt(start, at, kBlock);
    }
    b.lastUse = ++uses_;
    *bytes = at;
    return b;
}

void PosReader::Bytes(std::uint64_t offset, void *out, std::size_t count)
{
    if (count == 0)
        return;
    auto dst = static_cast<std::uint8_t *>(out);
    std::memset(dst, 0, count);
    while (count > 0 && offset < size_) {
        const std::uint8_t *bytes = nullptr;
        const Block &block = Fetch(offset - offset % kBlock, &bytes);
        std::size_t within = static_cast<std::size_t>(offset - block.start);
        // A short block (the end of the file, or a read that failed) leaves
        // the rest of the request zero.
        if (within >= block.length)
            return;
        std::size_t n = std::min(count, block.length - within);
        std::memcpy(dst, bytes + within, n);
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
