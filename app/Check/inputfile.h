// Reading a whole file into one buffer, the way a scan needs it: look the
// name up, open it for reading while others may read and write it, then
// read it with a single request.  Portable interface; inputfile_posix.cpp
// and inputfile_win.cpp implement it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

namespace lex {

// Why a file could not be taken in.
enum class InputError {
    None,
    NotFound,    // no directory entry of that name
    CannotOpen,  // the entry exists but cannot be opened for reading (a directory, no access)
    TooLarge,    // 2 GiB or more: offsets and the buffer are limited to 31 bits
    NoMemory,    // no buffer of the file's size could be taken
    ShortRead,   // fewer bytes arrived than the directory entry announced
    Stopped,     // the pause callback asked to stop reading
};

// Called between the pieces of a long read; returns false to stop reading.
using ReadPause = std::function<bool()>;

// Size of the pieces a read with a pause callback takes at a time: small
// enough that a stop request is seen within a few milliseconds.
constexpr size_t kReadPiece = size_t(2) << 20;

// Largest file a scan takes: offsets are written as eight hexadecimal digits
// and the size is a signed 32-bit count.
constexpr uint64_t kMaxInputSize = 0x7FFFFFFF;

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
    uint64_t Size() const { return size_; }

    // Takes a buffer of Size() bytes and fills it.  Without `pause` the file
    // is read with one request; with it, in pieces of kReadPiece bytes with
    // a call of `pause` after each, so that a program can keep answering
    // its user while a big file is read.  On failure the buffer is released.
    InputError ReadAll(std::unique_ptr<uint8_t[]> &buffer, const ReadPause &pause = {});

    void Close();

private:
    struct Handle;
    std::unique_ptr<Handle> handle_;
    uint64_t size_ = 0;
};

// A short English description of `error`, for messages.
const char *InputErrorText(InputError error);

} // namespace lex
