// A file read by positioned reads (pread), as the Windows library reads
// one: for the native tools that run the examination on real files.
#pragma once

#include "version/exe_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>

class PosixFileSource : public loom::ByteSource {
public:
    explicit PosixFileSource(const char *path) : fd_(open(path, O_RDONLY))
    {
        struct stat st;
        if (fd_ >= 0 && fstat(fd_, &st) == 0 && S_ISREG(st.st_mode))
            size_ = static_cast<std::uint64_t>(st.st_size);
        else if (fd_ >= 0) {
            close(fd_);
            fd_ = -1;
        }
    }
    PosixFileSource(const PosixFileSource &) = delete;
    PosixFileSource &operator=(const PosixFileSource &) = delete;
    ~PosixFileSource() override
    {
        if (fd_ >= 0)
            close(fd_);
    }
    bool ok() const { return fd_ >= 0; }
    std::uint64_t Size() const override { return size_; }
    std::size_t ReadAt(std::uint64_t offset, void *out, std::size_t count) override
    {
        ssize_t n = pread(fd_, out, count, static_cast<off_t>(offset));
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

private:
    int fd_;
    std::uint64_t size_ = 0;
};
