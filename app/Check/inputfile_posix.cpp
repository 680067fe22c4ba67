// InputFile on POSIX systems: stat for the size, open(2) and read(2).
#include "Check/inputfile.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>

namespace lex {

struct InputFile::Handle {
    int fd = -1;
    ~Handle()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

InputFile::InputFile() = default;
InputFile::~InputFile() = default;

void InputFile::Close() { handle_.reset(); }

// POSIX files have no share modes: denyWrite has no effect here.
InputError InputFile::Open(const char *name, bool /*denyWrite*/)
{
    Close();
    struct stat st;
    if (!name || ::stat(name, &st) != 0)
        return InputError::NotFound;
    // A directory has an entry but cannot be read as a file; on Windows the
    // open itself fails, here it would only fail at the read.
    if (S_ISDIR(st.st_mode))
        return InputError::CannotOpen;
    auto handle = std::make_unique<Handle>();
    handle->fd = ::open(name, O_RDONLY | O_CLOEXEC);
    if (handle->fd < 0)
        return InputError::CannotOpen;
    size_ = static_cast<uint64_t>(st.st_size);
    handle_ = std::move(handle);
    return InputError::None;
}

InputError InputFile::ReadAll(std::unique_ptr<uint8_t[]> &buffer, const ReadPause &pause)
{
    buffer.reset();
    if (!handle_)
        return InputError::CannotOpen;
    if (size_ > kMaxInputSize)
        return InputError::TooLarge;
    const size_t n = static_cast<size_t>(size_);
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[n ? n : 1]);
    if (!data)
        return InputError::NoMemory;
    // read(2) may deliver less than asked for (signals, the 2 GiB cap of
    // one call), so it is repeated until the size is reached or the file
    // ends early.
    const size_t piece = pause ? kReadPiece : n;
    size_t got = 0;
    while (got < n) {
        const size_t want = n - got < piece ? n - got : piece;
        ssize_t r = ::read(handle_->fd, data.get() + got, want);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return InputError::ShortRead;
        got += static_cast<size_t>(r);
        if (pause && got < n && !pause())
            return InputError::Stopped;
    }
    buffer = std::move(data);
    return InputError::None;
}

} // namespace lex
