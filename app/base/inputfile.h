// Reading a file the way a scan needs it: look the name up, open it for
// reading while others may read and write it, then read it piece by piece
// (or, for small files such as the dictionary, whole).  Portable interface;
// inputfile_posix.cpp and inputfile_win.cpp implement it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace lex {

// Why a file could not be taken in.
enum class InputError {
    None,
    NotFound,    // no directory entry of that name
    CannotOpen,  // the entry exists but cannot be opened for reading (a directory, no access, locked)
    TooLarge,    // 4 GiB or more: offsets are written as eight hexadecimal digits
    NoMemory,    // memory ran out (for the file's buffer, or for the rows of a scan)
    ShortRead,   // a read failed, or the file ended before the size its entry announced
    Stopped,     // the scan was stopped before it reached the end
};

// Largest file a scan takes: offsets are written as eight hexadecimal
// digits, so the last byte of the file must lie below 2^32.
constexpr uint64_t kMaxInputSize = 0xFFFFFFFF;

class InputFile {
public:
    InputFile();
    ~InputFile();
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    // Looks `name` up and opens it.  On success Size() is the size that the
    // directory entry gave.  Others may go on reading the file meanwhile,
    // and writing it unless `denyWrite` (where the platform can refuse).
    InputError Open(const char *name, bool denyWrite = false);
    // Takes the process's standard input, whatever it is (a pipe, a file,
    // a terminal), as data of unknown size.
    InputError OpenStandardInput();
    uint64_t Size() const { return size_; }
    // False for data whose size no directory entry tells: pipes, FIFOs,
    // devices, standard input and, on POSIX systems, files whose entry
    // gives 0 or that lie on the kernel's pseudo file systems (/proc, /sys),
    // which hold other data than their entries say.  Such data is read to
    // its end; Size() is then 0.
    bool SizeKnown() const { return sizeKnown_; }

    // Reads the next bytes, at most `want` (1 or more), into `buffer`;
    // *got is how many arrived (at least one on success).  ShortRead when
    // the read fails or the file has ended; at the end of data of unknown
    // size, None with *got 0.
    InputError Read(uint8_t *buffer, size_t want, size_t *got);

    // Reads up to `want` bytes at `offset`, wherever Read stands, and
    // leaves Read's place as it was; *got is how many arrived (0 at the
    // end).  Only data whose size is known (SizeKnown) can be read so:
    // other data gives CannotOpen.  ShortRead when the read fails.
    InputError ReadAt(uint64_t offset, uint8_t *buffer, size_t want, size_t *got);

    // Takes a buffer of Size() bytes and fills it from the start with one
    // request.  On failure the buffer is released.
    InputError ReadAll(std::unique_ptr<uint8_t[]> &buffer);

    void Close();

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    uint64_t size_ = 0;
    bool sizeKnown_ = true;
};

// A short English description of `error`, for messages.
const char *InputErrorText(InputError error);

} // namespace lex
