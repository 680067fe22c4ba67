// A file that takes the place of its target only once it is whole.  Its
// bytes go to a temporary file made in the target's folder; Commit() then
// replaces the target with it in one rename.  Until then the target stays as
// it was, and a pending file that is never committed is deleted, so a
// failure part-way (a download cut off, a damaged archive member) neither
// leaves a partial file behind nor destroys a good one.
#pragma once

#include <windows.h>

#include <string>

namespace loom {

// The longest folder in which GetTempFileName may be asked for a name: the
// name it adds ("\~lm" or "\cab", four hex digits, ".tmp") must fit in
// MAX_PATH characters with the terminator.  A longer folder is refused
// before the call, since an implementation may write the name past the
// caller's MAX_PATH buffer.
constexpr std::size_t kMaxTempFolderChars = MAX_PATH - 14;

class PendingFile {
public:
    // A target named in the process's ANSI code page, or in UTF-16.
    explicit PendingFile(const std::string &target);
    explicit PendingFile(const std::wstring &target);
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;
    // Deletes the temporary file unless it was committed.
    ~PendingFile();

    // False when the temporary file could not be made; error() tells why
    // (ERROR_PATH_NOT_FOUND for a missing folder, ERROR_ACCESS_DENIED,
    // ERROR_FILENAME_EXCED_RANGE for a target of MAX_PATH characters or more
    // or a folder too long for a temporary name, ...).
    bool valid() const { return !temporary_.empty(); }
    DWORD error() const { return error_; }
    // The temporary file (empty, already created) that the writer opens.
    const std::wstring &temporary() const { return temporary_; }
    std::string TemporaryAnsi() const;
    const std::wstring &target() const { return target_; }

    // Puts the temporary file in the target's place, replacing a file of
    // that name.  False, with the temporary file deleted and the thread's
    // last error set, when it cannot (a read-only target, a name the file
    // system refuses).  The writer must have closed the file.
    bool Commit();
    // Deletes the temporary file now; the target stays as it was.
    void Discard();

private:
    void Create();

    std::wstring target_;
    std::wstring temporary_;
    DWORD error_ = 0;
};

} // namespace loom
