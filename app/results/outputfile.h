// Writing an output file without losing the file it replaces: the bytes go
// to a new file in the same folder, which takes the name only once every
// byte has reached the disk.  A failure on the way (a full disk, a file
// that cannot be replaced) removes the new file and leaves the old one as
// it was.  The results file and the front end's -o write through it.
// Portable interface; outputfile_posix.cpp and outputfile_win.cpp implement
// it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lex {

enum class OutputError {
    None,
    CannotCreate,  // the file cannot be created or replaced (no folder, no access, read-only, in use)
    WriteFailed,   // not every byte could be written (a full disk)
};

class OutputFile {
public:
    OutputFile();
    ~OutputFile();  // a file not committed is removed
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    // Creates the new file beside `path`.  Where no file can stand beside
    // it (a device, or a folder that takes no new files while the file in
    // it may be written), `path` itself is written.
    OutputError Open(const char *path);
    OutputError Write(const void *data, size_t size);
    // Makes the bytes reach the disk, then puts the new file in the place
    // of `path`.
    OutputError Commit();

    // The system's reason for the last failure, for messages.
    std::string ErrorText() const;

    // Tests: every file opened after this call takes at most `bytes`
    // bytes and then fails as on a full disk; kUnlimited ends that.
    static constexpr uint64_t kUnlimited = UINT64_MAX;
    static void SetSpaceForTests(uint64_t bytes);

private:
    // Open starts each file with the space tests gave; Write asks how many
    // of `want` bytes the space left takes.
    void ResetSpace();
    size_t Room(size_t want);

    struct Handle;
    std::unique_ptr<Handle> handle_;
    uint64_t space_ = kUnlimited;
};

// True when both names lead to one existing file, however they are spelled
// (another case, a link, "." and ".." in the path): the same device and
// inode, or volume serial number and file index.
bool SameFile(const char *a, const char *b);

} // namespace lex
