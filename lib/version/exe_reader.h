// Positioned reading of an untrusted file: the executable walks ask for a
// byte, a word or a short name at an offset taken from the file itself, and
// whatever the offset, they get an answer.  Bytes past the end (or bytes a
// failed read did not deliver) read as zero, so a damaged header yields
// zeros and empty names rather than a failure or a read outside the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace loom {

// The bytes of a file or a buffer.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Copies up to `count` bytes from `offset` into `out` and returns how
    // many it copied: fewer at the end, 0 past it or when reading fails.
    virtual std::size_t ReadAt(std::uint64_t offset, void *out, std::size_t count) = 0;
};

// A byte buffer owned elsewhere.
class BufferSource : public ByteSource {
public:
    BufferSource(const void *data, std::size_t size)
        : data_(static_cast<const std::uint8_t *>(data)), size_(size)
    {
    }
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void *out, std::size_t count) override;

private:
    const std::uint8_t *data_;
    std::size_t size_;
};

// Little-endian values and names at any offset of a source.  Small reads go
// through a few cached blocks, so a walk that alternates between a table and
// the names it points to costs one read of the source per block rather than
// one per field.
class PosReader {
public:
    explicit PosReader(ByteSource &source);

    std::uint64_t Size() const { return size_; }
    // True when the offset lies at or beyond the end.
    bool PastEnd(std::uint64_t offset) const { return offset >= size_; }

    // Copies `count` bytes from `offset` into `out`; what lies past the end
    // is zero.
    void Bytes(std::uint64_t offset, void *out, std::size_t count);
    std::uint8_t U8(std::uint64_t offset);
    std::uint16_t U16(std::uint64_t offset);
    std::uint32_t U32(std::uint64_t offset);
    std::uint64_t U64(std::uint64_t offset);
    // The text at `offset` up to its first zero byte, at most `limit` bytes.
    std::string Text(std::uint64_t offset, std::size_t limit);

private:
    static constexpr std::size_t kBlock = 4096;
    static constexpr std::size_t kBlocks = 16;

    struct Block {
        std::uint64_t start = 0;
        std::size_t length = 0;
        std::uint64_t lastUse = 0; // 0: never filled
    };
    // The cached block that holds `start`, read now if none does; the one
    // used longest ago makes room.
    const Block &Fetch(std::uint64_t start, const std::uint8_t **bytes);

    ByteSource &source_;
    std::uint64_t size_;
    std::vector<std::uint8_t> data_;
    Block blocks_[kBlocks];
    std::uint64_t uses_ = 0;
};

} // namespace loom
