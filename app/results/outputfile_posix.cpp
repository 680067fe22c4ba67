// OutputFile on POSIX systems: a new file opened with O_EXCL beside the
// target, fsync(2), then rename(2) over the target.
#include "results/outputfile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace lex {

namespace {

struct Output {
    int fd = -1;
    std::string target;  // the name the bytes end up under
    std::string temp;    // the new file beside it; empty when the target itself is written
    int error = 0;

    ~Output()
    {
        if (fd >= 0)
            ::close(fd);
        if (!temp.empty())
            ::unlink(temp.c_str());
    }
};

OutputError Fail(Output &h, OutputError why, int error)
{
    h.error = error;
    return why;
}

// The target itself, created or emptied, as a plain open would.
OutputError OpenTarget(Output &h)
{
    h.fd = ::open(h.target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    return h.fd < 0 ? Fail(h, OutputError::CannotCreate, errno) : OutputError::None;
}

// A new file of a name of its own in the target's folder, with the mode of
// the file it is to replace (`replaced`), or the one the umask gives.
bool CreateTemp(Output &h, const struct stat *replaced)
{
    const size_t slash = h.target.rfind('/');
    const std::string folder = slash == std::string::npos ? "" : h.target.substr(0, slash + 1);
    const std::string stem = folder + ".lexprobe-" + std::to_string(::getpid()) + "-";
    for (int n = 0; n < 100; ++n) {
        const std::string name = stem + std::to_string(n) + ".tmp";
        h.fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (h.fd >= 0) {
            h.temp = name;
            if (replaced)
                ::fchmod(h.fd, replaced->st_mode & 07777);
            return true;
        }
        if (errno != EEXIST)
            break;
    }
    h.error = errno;
    return false;
}

} // namespace

struct OutputFile::Handle : Output {};

OutputFile::OutputFile() = default;
OutputFile::~OutputFile() = default;

OutputError OutputFile::Open(const char *path)
{
    ResetSpace();
    handle_ = std::make_unique<Handle>();
    Handle &h = *handle_;
    h.target = path;
    struct stat st;
    if (::stat(path, &st) != 0) {
        // A link to nothing yet: the plain open creates the file it names.
        if (::lstat(path, &st) == 0)
            return OpenTarget(h);
        return CreateTemp(h, nullptr) ? OutputError::None : Fail(h, OutputError::CannotCreate, h.error);
    }
    if (S_ISDIR(st.st_mode))
        return Fail(h, OutputError::CannotCreate, EISDIR);
    // A device or a pipe cannot be replaced, and holds nothing to lose.
    if (!S_ISREG(st.st_mode))
        return OpenTarget(h);
    // A file the user may not write stays as it is.
    if (::access(path, W_OK) != 0)
        return Fail(h, OutputError::CannotCreate, errno);
    // Through a link, the file it leads to is replaced and the link kept.
    if (char *real = ::realpath(path, nullptr)) {
        h.target = real;
        std::free(real);
    }
    if (CreateTemp(h, &st))
        return OutputError::None;
    // The folder takes no new file, but the file in it may be written: in
    // place, as the only way left.
    return OpenTarget(h);
}

OutputError OutputFile::Write(const void *data, size_t size)
{
    if (!handle_ || handle_->fd < 0)
        return OutputError::WriteFailed;
    Handle &h = *handle_;
    const size_t room = Room(size);
    const char *p = static_cast<const char *>(data);
    for (size_t left = room; left > 0;) {
        const ssize_t put = ::write(h.fd, p, left);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return Fail(h, OutputError::WriteFailed, put < 0 ? errno : ENOSPC);
        p += put;
        left -= static_cast<size_t>(put);
    }
    return room == size ? OutputError::None : Fail(h, OutputError::WriteFailed, ENOSPC);
}

OutputError OutputFile::Commit()
{
    if (!handle_ || handle_->fd < 0)
        return OutputError::WriteFailed;
    Handle &h = *handle_;
    // Some file systems report a full disk only when the data is flushed.
    if (!h.temp.empty() && ::fsync(h.fd) != 0)
        return Fail(h, OutputError::WriteFailed, errno);
    const int closed = ::close(h.fd);
    h.fd = -1;
    if (closed != 0)
        return Fail(h, OutputError::WriteFailed, errno);
    if (h.temp.empty())
        return OutputError::None;
    if (::rename(h.temp.c_str(), h.target.c_str()) != 0)
        return Fail(h, OutputError::CannotCreate, errno);
    h.temp.clear();
    return OutputError::None;
}

std::string OutputFile::ErrorText() const
{
    return std::strerror(handle_ ? handle_->error : 0);
}

bool SameFile(const char *a, const char *b)
{
    struct stat sa, sb;
    return ::stat(a, &sa) == 0 && ::stat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

} // namespace lex
