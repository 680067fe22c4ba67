// Extracts an LHA or ZIP archive with the portable readers, as the library
// does but with POSIX files: every member into one folder under its safe
// name, numbered so that members of the same base name in different folders
// do not overwrite each other (the peers recreate the folders, so they never
// overwrite either; on ext4 a truncated file is flushed when it is closed,
// which would dominate the timing).  bench/archive-bench.sh times it against
// lha, lhasa and unzip.
//
//   archive_bench lha|zip ARCHIVE OUTDIR          extract
//   archive_bench lha|zip ARCHIVE --discard       unpack, keep nothing (the
//                                                 decoders alone)
//   archive_bench lha|zip ARCHIVE --check SRCDIR  compare every member with
//                                                 SRCDIR/<stored name>
#include "archive/lha_archive.h"
#include "archive/member_name.h"
#include "archive/zip_archive.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

using namespace loom::archive;

class PosixSource : public ByteSource {
public:
    explicit PosixSource(const char *path) : fd_(open(path, O_RDONLY))
    {
        struct stat info{};
        if (fd_ >= 0 && fstat(fd_, &info) == 0)
            size_ = static_cast<uint64_t>(info.st_size);
    }
    ~PosixSource() override
    {
        if (fd_ >= 0)
            close(fd_);
    }
    bool valid() const { return fd_ >= 0; }
    uint64_t Size() const override { return size_; }
    std::size_t ReadAt(uint64_t offset, void *buffer, std::size_t count) override
    {
        const ssize_t got = pread(fd_, buffer, count, static_cast<off_t>(offset));
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }

private:
    int fd_;
    uint64_t size_ = 0;
};

class PosixSink : public ByteSink {
public:
    explicit PosixSink(const std::string &path)
        : fd_(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644))
    {
    }
    ~PosixSink() override
    {
        if (fd_ >= 0)
            close(fd_);
    }
    bool valid() const { return fd_ >= 0; }
    bool Write(const uint8_t *data, std::size_t count) override
    {
        while (count > 0) {
            const ssize_t put = write(fd_, data, count);
            if (put <= 0)
                return false;
            data += put;
            count -= static_cast<std::size_t>(put);
        }
        return true;
    }

private:
    int fd_;
};

// Writes members flat into a folder, like the library's extraction.
class Extract : public MemberHandler {
public:
    explicit Extract(std::string folder) : folder_(std::move(folder)) {}
    ByteSink *Begin(const ArchiveEntry &entry, MemberData) override
    {
        const std::string name = SafeMemberName(entry.name, loom::NoLeadBytes);
        if (name.empty())
            return nullptr;
        sink_ = std::make_unique<PosixSink>(folder_ + "/" + std::to_string(files) + "-" + name);
        if (!sink_->valid())
            return nullptr;
        ++files;
        return sink_.get();
    }
    void End(const ArchiveEntry &, const MemberOutcome &outcome) override
    {
        sink_.reset();
        bytes += outcome.produced;
        failed += outcome.complete() ? 0 : 1;
    }
    uint64_t files = 0, bytes = 0, failed = 0;

private:
    std::string folder_;
    std::unique_ptr<PosixSink> sink_;
};

// Unpacks every member into nothing.
class Discard : public MemberHandler {
public:
    ByteSink *Begin(const ArchiveEntry &entry, MemberData) override
    {
        // Folder members, as in extraction.
        return SafeMemberName(entry.name, loom::NoLeadBytes).empty() ? nullptr : &sink_;
    }
    void End(const ArchiveEntry &, const MemberOutcome &outcome) override
    {
        failed += outcome.complete() ? 0 : 1;
    }
    uint64_t failed = 0;
    uint64_t bytes() const { return sink_.written; }

private:
    CountingSink sink_;
};

// Compares each member with the file of the same stored name.
class Check : public MemberHandler {
public:
    explicit Check(std::string source) : source_(std::move(source)) {}
    ByteSink *Begin(const ArchiveEntry &entry, MemberData) override
    {
        std::string name = entry.name;
        std::replace(name.begin(), name.end(), '\\', '/');
        if (name.empty() || name.back() == '/')
            return nullptr;
        name_ = name;
        sink_ = VectorSink();
        return &sink_;
    }
    void End(const ArchiveEntry &, const MemberOutcome &outcome) override
    {
        std::ifstream in(source_ + "/" + name_, std::ios::binary);
        if (!in) {
            // A name the packer stored in another character set.
            ++unmatched;
            std::fprintf(stderr, "no source file for: %s\n", name_.c_str());
            return;
        }
        const std::vector<uint8_t> expected((std::istreambuf_iterator<char>(in)),
                                            std::istreambuf_iterator<char>());
        ++files;
        if (!outcome.complete() || expected != sink_.bytes) {
            ++mismatches;
            std::fprintf(stderr, "mismatch: %s\n", name_.c_str());
        }
    }
    uint64_t files = 0, mismatches = 0, unmatched = 0;

private:
    std::string source_, name_;
    VectorSink sink_;
};

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4 || (std::strcmp(argv[1], "lha") && std::strcmp(argv[1], "zip"))) {
        std::fprintf(stderr, "usage: archive_bench lha|zip ARCHIVE OUTDIR | --check SRCDIR\n");
        return 2;
    }
    const bool lha = std::strcmp(argv[1], "lha") == 0;
    PosixSource source(argv[2]);
    if (!source.valid()) {
        std::fprintf(stderr, "archive_bench: cannot open %s\n", argv[2]);
        return 1;
    }
    const auto walk = [&](MemberHandler &handler) {
        if (lha)
            return WalkLha(source, LhaOptions(), handler);
        WalkZip(source, handler);
        return true;
    };
    if (std::strcmp(argv[3], "--check") == 0 && argc == 5) {
        Check check(argv[4]);
        walk(check);
        std::printf("checked %llu members, %llu mismatches, %llu without a source file\n",
                    static_cast<unsigned long long>(check.files),
                    static_cast<unsigned long long>(check.mismatches),
                    static_cast<unsigned long long>(check.unmatched));
        return check.mismatches == 0 && check.files > 0 ? 0 : 1;
    }
    if (std::strcmp(argv[3], "--discard") == 0) {
        Discard discard;
        walk(discard);
        std::printf("archive_bench: %.1f MB unpacked, %llu incomplete\n", discard.bytes() / 1e6,
                    static_cast<unsigned long long>(discard.failed));
        return discard.failed == 0 ? 0 : 1;
    }
    Extract extract(argv[3]);
    const auto start = std::chrono::steady_clock::now();
    walk(extract);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("archive_bench: %llu files, %.1f MB in %.2f s (%.0f MB/s), %llu incomplete\n",
                static_cast<unsigned long long>(extract.files), extract.bytes / 1e6, seconds,
                extract.bytes / 1e6 / seconds, static_cast<unsigned long long>(extract.failed));
    return extract.failed == 0 ? 0 : 1;
}
