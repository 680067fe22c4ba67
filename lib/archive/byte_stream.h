// Where the archive readers take their bytes from and put the members' bytes
// to.  The readers see an archive only through ByteSource (a file on
// Windows, memory in the tests and the fuzz targets) and write a member only
// through ByteSink, so the same parsing and decoding code runs everywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace loom::archive {

// Random-access input of known size.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads up to count bytes at offset; returns how many arrived (0 at the
    // end or on a read error).
    virtual std::size_t ReadAt(uint64_t offset, void *buffer, std::size_t count) = 0;
};

// Output of one member.
class ByteSink {
public:
    virtual ~ByteSink() = default;
    // False when the bytes could not all be written.
    virtual bool Write(const uint8_t *data, std::size_t count) = 0;
};

// An archive held in memory (tests, fuzz targets).
class MemorySource : public ByteSource {
public:
    MemorySource(const uint8_t *data, std::size_t size) : data_(data), size_(size) {}
    explicit MemorySource(const std::vector<uint8_t> &bytes)
        : MemorySource(bytes.data(), bytes.size())
    {
    }
    uint64_t Size() const override { return size_; }
    std::size_t ReadAt(uint64_t offset, void *buffer, std::size_t count) override;

private:
    const uint8_t *data_;
    std::size_t size_;
};

// Collects a member in memory.
class VectorSink : public ByteSink {
public:
    bool Write(const uint8_t *data, std::size_t count) override;
    std::vector<uint8_t> bytes;
};

// Forgets what it is given; counts it.
class CountingSink : public ByteSink {
public:
    bool Write(const uint8_t *, std::size_t count) override
    {
        written += count;
        return true;
    }
    uint64_t written = 0;
};

// Passes a member's bytes on to another sink, never more than the member's
// declared size, and keeps their running check value (the format's CRC).
// Bytes past the declared size are refused, and overran() tells that the
// member was longer than its header says.
class CheckedSink : public ByteSink {
public:
    using UpdateFn = uint32_t (*)(uint32_t check, const uint8_t *data, std::size_t count);
    CheckedSink(ByteSink &sink, uint64_t limit, UpdateFn update)
        : sink_(sink), limit_(limit), update_(update)
    {
    }
    bool Write(const uint8_t *data, std::size_t count) override;
    uint32_t check() const { return check_; }
    uint64_t written() const { return written_; }
    bool overran() const { return overran_; }

private:
    ByteSink &sink_;
    uint64_t limit_;
    UpdateFn update_;
    uint32_t check_ = 0;
    uint64_t written_ = 0;
    bool overran_ = false;
};

// Buffered sequential reading with seeks over a ByteSource.  Reads past the
// end deliver nothing; offsets are 64-bit so that no sum of a position and a
// 32-bit size from a header can wrap.
class SourceReader {
public:
    explicit SourceReader(ByteSource &source);
    SourceReader(const SourceReader &) = delete;
    SourceReader &operator=(const SourceReader &) = delete;

    uint64_t Size() const { return size_; }
    uint64_t Tell() const { return bufferStart_ + pos_; }
    void Seek(uint64_t offset);

    // Up to count bytes from the current position; returns how many arrived.
    std::size_t Read(void *out, std::size_t count);
    // The next byte, or -1 at the end.
    int Get()
    {
        if (pos_ < filled_ || Fill())
            return buffer_[pos_++];
        return -1;
    }
    // The bytes buffered at the current position without consuming them:
    // at least one unless the end is reached (then 0).
    std::size_t Available(const uint8_t **data);
    void Advance(std::size_t count) { pos_ += count; }

private:
    bool Fill();

    ByteSource &source_;
    uint64_t size_;
    std::vector<uint8_t> buffer_;
    uint64_t bufferStart_ = 0; // file offset of buffer_[0]
    std::size_t pos_ = 0;      // current position inside the buffer
    std::size_t filled_ = 0;   // valid bytes in the buffer
};

// Copies count bytes from the reader's position to the sink.
enum class CopyResult { Complete, DataEnded, WriteFailed };
CopyResult CopyBytes(SourceReader &in, uint64_t count, ByteSink &sink, uint64_t &copied);

// Little-endian fields of file data.
inline uint16_t Le16(const uint8_t *p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

inline uint32_t Le32(const uint8_t *p)
{
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

inline uint64_t Le64(const uint8_t *p)
{
    return static_cast<uint64_t>(Le32(p)) | static_cast<uint64_t>(Le32(p + 4)) << 32;
}

} // namespace loom::archive
