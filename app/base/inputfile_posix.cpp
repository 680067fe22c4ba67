// InputFile on POSIX systems: stat for the size, open(2) and read(2).
#include "base/inputfile.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
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

InputError InputFile::Read(uint8_t *buffer, size_t want, size_t *got)
{
    *got = 0;
    if (!handle_)
        return InputError::CannotOpen;
    // One read(2) takes at most 1 GiB here, well below the cap of one call.
    if (want > (size_t(1) << 30))
        want = size_t(1) << 30;
    for (;;) {
        const ssize_t r = ::read(handle_->fd, buffer, want);
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return InputError::ShortRead;
        *got = static_cast<size_t>(r);
        return InputError::None;
    }
}

} // namespace lex
