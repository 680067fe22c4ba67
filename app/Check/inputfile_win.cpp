// InputFile on Windows: FindFirstFileA for the size, CreateFileA shared
// with every reader and writer, and one ReadFile (or pieces of it).
#include "Check/inputfile.h"

#include <new>
#include <windows.h>

#include "util/handles_win.h"

namespace lex {

struct InputFile::Handle {
    loom::FileHandle file;
};

InputFile::InputFile() = default;
InputFile::~InputFile() = default;

void InputFile::Close() { handle_.reset(); }

InputError InputFile::Open(const char *name, bool denyWrite)
{
    Close();
    if (!name)
        return InputError::NotFound;
    // The directory search matches entries of any attribute, directories
    // too; those fail at the open below.
    WIN32_FIND_DATAA fd;
    if (!loom::FindHandle(FindFirstFileA(name, &fd)).valid())
        return InputError::NotFound;
    // The whole 64-bit size is kept: taking only the low 32 bits would make
    // a file of 4 GiB and more look small and be scanned only in part.
    size_ = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;

    auto handle = std::make_unique<Handle>();
    const DWORD share = denyWrite ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE;
    handle->file.reset(CreateFileA(name, GENERIC_READ, share, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle->file.valid())
        return InputError::CannotOpen;
    handle_ = std::move(handle);
    return InputError::None;
}

InputError InputFile::ReadAll(std::unique_ptr<uint8_t[]> &buffer, const ReadPause &pause)
{
    buffer.reset();
    if (!handle_)
        return InputError::CannotOpen;
    if (size_ > kMaxInputSize)
        return InputError::TooLarge;
    const DWORD n = static_cast<DWORD>(size_);
    std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[n ? n : 1]);
    if (!data)
        return InputError::NoMemory;
    const DWORD piece = pause ? static_cast<DWORD>(kReadPiece) : n;
    for (DWORD done = 0; done < n;) {
        const DWORD want = n - done < piece ? n - done : piece;
        DWORD got = 0;
        if (!ReadFile(handle_->file.get(), data.get() + done, want, &got, nullptr) || got != want)
            return InputError::ShortRead;
        done += got;
        if (pause && done < n && !pause())
            return InputError::Stopped;
    }
    buffer = std::move(data);
    return InputError::None;
}

} // namespace lex
