// What the three archive front ends share on Windows: archive files as byte
// sources, member files as sinks, the extraction filter, the path a member
// is written to, and the DOS time stamps.
#pragma once

#include "archive/byte_stream.h"
#include "archive/loomarchive.h"
#include "archive/member_handler.h"
#include "util/boundary.h"
#include "util/handles_win.h"
#include "util/pending_file_win.h"

#include <memory>
#include <string>

namespace loom::archive {

// Runs the body of an export that reports through the thread's last error:
// the body stores its code in `error`, and the last error is set only once
// everything the body held is released (closing files and freeing
// cabinet.dll may change it).  An exception (out of memory) gives 0 and
// ERROR_NOT_ENOUGH_MEMORY.
template <class Body>
int ReportingLastError(Body &&body)
{
    DWORD error = ERROR_NOT_ENOUGH_MEMORY;
    const int result = CallGuarded(0, [&] { return body(error); });
    SetLastError(error);
    return result;
}

// An archive file opened for reading (read sharing).
class FileSource : public ByteSource {
public:
    explicit FileSource(const char *path);
    bool valid() const { return file_.valid(); }
    uint64_t Size() const override { return size_; }
    std::size_t ReadAt(uint64_t offset, void *buffer, std::size_t count) override;

private:
    FileHandle file_;
    uint64_t size_ = 0;
};

// A member being written into its pending file: opened for writing, closed
// when the sink is destroyed.  error() keeps the file system's code of a
// write that failed.
class FileSink : public ByteSink {
public:
    explicit FileSink(const std::wstring &path);
    bool valid() const { return file_.valid(); }
    bool Write(const uint8_t *data, std::size_t count) override;
    DWORD error() const { return error_; }

private:
    FileHandle file_;
    DWORD error_ = 0;
};

// The extraction filter of all three formats: accepts (1) when the list
// (user) is null or one of its items equals the entry's whole name, letter
// case aside; double-byte characters of the process's code page compare
// exactly.
int CALLBACK NameListFilter(ArchiveEntry *entry, void *list, const char *path);

// The path a member is written to: the destination joined with the last
// plain component of the stored name; empty when the member has none and is
// skipped.
std::string MemberOutputPath(const char *destination, const char *name);

// Sets a file's creation and last-write times to a DOS date and time taken
// as local time; the last-access time stays.  Failures change nothing and
// are not reported.
void SetTimesFromDos(const char *path, uint32_t date, uint32_t time);
void SetTimesFromDosW(const wchar_t *path, uint32_t date, uint32_t time);

// What the thread's last error says of a member that was not written
// whole: ERROR_HANDLE_EOF when its packed data ended early, ERROR_CRC when
// they were damaged (impossible data, a wrong size or CRC), the file
// system's code when writing failed.
DWORD MemberError(MemberStatus status, DWORD writeError);

// The DOS attributes that a file can carry: read-only, hidden, system,
// archive.  Other bits of an archive's attribute word (folder, device,
// name-is-UTF-8) are not file attributes.
DWORD SettableAttributes(uint32_t stored);

// Enumeration: the caller's callback gets a copy of every member's entry
// that is not a folder.
class EnumerateHandler : public MemberHandler {
public:
    using IsFolderFn = bool (*)(const ArchiveEntry &);
    EnumerateHandler(ArchiveCallback callback, void *user, IsFolderFn isFolder)
        : callback_(callback), user_(user), isFolder_(isFolder)
    {
    }
    ByteSink *Begin(const ArchiveEntry &entry, MemberData data) override;
    void End(const ArchiveEntry &, const MemberOutcome &) override {}

private:
    ArchiveCallback callback_;
    void *user_;
    IsFolderFn isFolder_;
};

// Extraction into a destination folder: members that NameListFilter accepts
// are written under their safe name, then get their stored times (and, for
// formats that store DOS attributes, those).  A member is written into a
// pending file beside its target and takes the target's place only when it
// unpacked whole and checked out; otherwise the pending file is deleted and
// a file of the target's name stays as it was.  error() is the code of the
// first selected member that was not written (0 when all were):
// ERROR_INVALID_NAME for a name with no plain file name or a device's, or
// one longer than an entry holds,
// ERROR_NOT_SUPPORTED for a member that cannot be unpacked,
// ERROR_HANDLE_EOF for one cut off by the end of the file, MemberError's
// codes, and the file system's code when the file could not be made or put
// in place (ERROR_PATH_NOT_FOUND for a missing destination folder).
class ExtractHandler : public MemberHandler {
public:
    struct Format {
        bool (*isFolder)(const ArchiveEntry &);
        bool setAttributes;  // the entry's attributes are DOS attributes
        bool pathForFilter;  // the filter's third argument is the output path
    };
    ExtractHandler(const char *destination, StrList *names, const Format &format)
        : destination_(destination), names_(names), format_(format)
    {
    }
    ByteSink *Begin(const ArchiveEntry &entry, MemberData data) override;
    void End(const ArchiveEntry &entry, const MemberOutcome &outcome) override;
    DWORD error() const { return error_; }

private:
    ByteSink *Fail(DWORD error);

    const char *destination_;
    StrList *names_;
    Format format_;
    std::string path_;
    std::unique_ptr<PendingFile> pending_;
    std::unique_ptr<FileSink> sink_;
    DWORD error_ = 0;
};

} // namespace loom::archive
