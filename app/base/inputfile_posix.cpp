// InputFile on POSIX systems: stat for the size, open(2) and read(2).  Only
// a regular file's size is taken from its entry, and not on the kernel's
// pseudo file systems: pipes, FIFOs and devices give none, the files of
// /proc give 0 and those of /sys 4,096 whatever data they hold.
#include "base/inputfile.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __linux__
#include <linux/magic.h>
#include <sys/vfs.h>
#endif

namespace lex {

namespace {

// Whether the open file `fd` lies on a file system whose sizes are not
// those of the data the files give (the kernel makes it as it is read).
bool OnPseudoFileSystem(int fd)
{
#ifdef __linux__
    struct statfs fs;
    if (::fstatfs(fd, &fs) != 0)
        return false;
    switch (static_cast<unsigned long>(fs.f_type)) {
    case PROC_SUPER_MAGIC:
    case SYSFS_MAGIC:
    case DEBUGFS_MAGIC:
    case TRACEFS_MAGIC:
    case SECURITYFS_MAGIC:
    case CGROUP_SUPER_MAGIC:
    case CGROUP2_SUPER_MAGIC:
        return true;
    default:
        return false;
    }
#else
    (void)fd;
    return false;
#endif
}

} // namespace

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
    sizeKnown_ = S_ISREG(st.st_mode) && st.st_size > 0 && !OnPseudoFileSystem(handle->fd);
    size_ = sizeKnown_ ? static_cast<uint64_t>(st.st_size) : 0;
    handle_ = std::move(handle);
    return InputError::None;
}

InputError InputFile::OpenStandardInput()
{
    Close();
    auto handle = std::make_unique<Handle>();
    handle->fd = ::fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 0);
    if (handle->fd < 0)
        return InputError::CannotOpen;
    size_ = 0;
    sizeKnown_ = false;
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
        if (r == 0 && !sizeKnown_)
            return InputError::None;
        if (r <= 0)
            return InputError::ShortRead;
        *got = static_cast<size_t>(r);
        return InputError::None;
    }
}

InputError InputFile::ReadAt(uint64_t offset, uint8_t *buffer, size_t want, size_t *got)
{
    *got = 0;
    if (!handle_ || !sizeKnown_)
        return InputError::CannotOpen;
    if (offset >= size_)
        return InputError::None;
    if (want > (size_t(1) << 30))
        want = size_t(1) << 30;
    for (;;) {
        const ssize_t r = ::pread(handle_->fd, buffer, want, static_cast<off_t>(offset));
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            return InputError::ShortRead;
        *got = static_cast<size_t>(r);
        return InputError::None;
    }
}

} // namespace lex
