// Buffered reading over a ByteSource, and the in-memory source and sinks.
#include "archive/byte_stream.h"

#include <algorithm>
#include <cstring>

namespace loom::archive {

namespace {

// Large enough that a file is read in few calls, small enough to stay in
// the cache.
constexpr std::size_t kReaderBuffer = 64 * 1024;

} // namespace

std::size_t MemorySource::ReadAt(uint64_t offset, void *buffer, std::size_t count)
{
    if (offset >= size_)
        return 0;
    std::size_t n = static_cast<std::size_t>(std::min<uint64_t>(count, size_ - offset));
    std::memcpy(buffer, data_ + offset, n);
    return n;
}

bool VectorSink::Write(const uint8_t *data, std::size_t count)
{
    bytes.insert(bytes.end(), data, data + count);
    return true;
}

bool CheckedSink::Write(const uint8_t *data, std::size_t count)
{
    if (count > limit_ - written_) {
        overran_ = true;
        return false;
    }
    check_ = update_(check_, data, count);
    if (!sink_.Write(data, count))
        return false;
    written_ += count;
    return true;
}

SourceReader::SourceReader(ByteSource &source)
    : source_(source), size_(source.Size()), buffer_(kReaderBuffer)
{
}

void SourceReader::Seek(uint64_t offset)
{
    // A seek inside the buffered bytes keeps them.
    if (offset >= bufferStart_ && offset - bufferStart_ <= filled_) {
        pos_ = static_cast<std::size_t>(offset - bufferStart_);
        return;
    }
    bufferStart_ = offset;
    pos_ = filled_ = 0;
}

bool SourceReader::Fill()
{
    bufferStart_ += pos_;
    pos_ = filled_ = 0;
    if (bufferStart_ >= size_)
        return false;
    filled_ = source_.ReadAt(bufferStart_, buffer_.data(), buffer_.size());
    return filled_ > 0;
}

std::size_t SourceReader::Available(const uint8_t **data)
{
    if (pos_ >= filled_ && !Fill())
        return 0;
    *data = buffer_.data() + pos_;
    return filled_ - pos_;
}

std::size_t SourceReader::Read(void *out, std::size_t count)
{
    auto *to = static_cast<uint8_t *>(out);
    std::size_t done = 0;
    while (done < count) {
        const uint8_t *data;
        std::size_t available = Available(&data);
        if (available == 0)
            break;
        std::size_t n = std::min(available, count - done);
        std::memcpy(to + done, data, n);
        pos_ += n;
        done += n;
    }
    return done;
}

CopyResult CopyBytes(SourceReader &in, uint64_t count, ByteSink &sink, uint64_t &copied)
{
    while (count > 0) {
        const uint8_t *data;
        std::size_t available = in.Available(&data);
        if (available == 0)
            return CopyResult::DataEnded;
        available = static_cast<std::size_t>(std::min<uint64_t>(available, count));
        if (!sink.Write(data, available))
            return CopyResult::WriteFailed;
        in.Advance(available);
        count -= available;
        copied += available;
    }
    return CopyResult::Complete;
}

} // namespace loom::archive
