// Texts of the input errors, and the whole-file read, shared by both
// implementations.
#include "base/inputfile.h"

#include <new>

namespace lex {

const char *InputErrorText(InputError error)
{
    switch (error) {
    case InputError::None: return "no error";
    case InputError::NotFound: return "file not found";
    case InputError::CannotOpen: return "cannot be opened for reading";
    case InputError::TooLarge: return "file too large (4 GiB or more)";
    case InputError::NoMemory: return "out of memory";
    case InputError::ShortRead: return "read error: the file could not be read to its end";
    case InputError::Stopped: return "stopped";
    }
    return "unknown error";
}

InputError InputFile::ReadAll(std::unique_ptr<uint8_t[]> &buffer)
{
    buffer.reset();
    if (!handle_)
        return InputError::CannotOpen;
    if (size_ > kMaxInputSize || size_ >= SIZE_MAX)
        return InputError::TooLarge;
    const size_t n = static_cast<size_t>(size_);
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[n ? n : 1]);
    if (!data)
        return InputError::NoMemory;
    for (size_t done = 0; done < n;) {
        size_t got = 0;
        const InputError why = Read(data.get() + done, n - done, &got);
        if (why != InputError::None)
            return why;
        done += got;
    }
    buffer = std::move(data);
    return InputError::None;
}

} // namespace lex
