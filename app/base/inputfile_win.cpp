// InputFile on Windows: FindFirstFileA for the size, CreateFileA shared
// with every reader and writer, and ReadFile.
#include "base/inputfile.h"

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
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!handle->file.valid())
        return InputError::CannotOpen;
    sizeKnown_ = true;
    handle_ = std::move(handle);
    return InputError::None;
}

InputError InputFile::OpenStandardInput()
{
    Close();
    // A handle of its own, so that closing the input leaves the process's
    // standard handle as it is.
    const HANDLE self = GetCurrentProcess();
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    HANDLE copy = nullptr;
    if (in == nullptr || in == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(self, in, self, &copy, 0, FALSE, DUPLICATE_SAME_ACCESS))
        return InputError::CannotOpen;
    auto handle = std::make_unique<Handle>();
    handle->file.reset(copy);
    size_ = 0;
    sizeKnown_ = false;
    handle_ = std::move(handle);
    return InputError::None;
}

InputError InputFile::Read(uint8_t *buffer, size_t want, size_t *got)
{
    *got = 0;
    if (!handle_)
        return InputError::CannotOpen;
    // One request takes at most 1 GiB: ReadFile counts in 32 bits.
    const DWORD ask = want > (size_t(1) << 30) ? DWORD(1) << 30 : static_cast<DWORD>(want);
    DWORD n = 0;
    // A read that fails (a range another process locked, a vanished
    // network share) or finds the file ended is a short read; a pipe whose
    // writer has closed it reports its end as ERROR_BROKEN_PIPE.
    const BOOL read = ReadFile(handle_->file.get(), buffer, ask, &n, nullptr);
    if (!sizeKnown_ && (read ? n == 0 : GetLastError() == ERROR_BROKEN_PIPE))
        return InputError::None;
    if (!read || n == 0)
        return InputError::ShortRead;
    *got = n;
    return InputError::None;
}

// A read at an offset moves a synchronous handle's file pointer, which
// Read goes by: it is put back afterwards.
InputError InputFile::ReadAt(uint64_t offset, uint8_t *buffer, size_t want, size_t *got)
{
    *got = 0;
    if (!handle_ || !sizeKnown_ || GetFileType(handle_->file.get()) != FILE_TYPE_DISK)
        return InputError::CannotOpen;
    if (offset >= size_)
        return InputError::None;
    LARGE_INTEGER here;
    const LARGE_INTEGER zero = {};
    if (!SetFilePointerEx(handle_->file.get(), zero, &here, FILE_CURRENT))
        return InputError::ShortRead;
    const DWORD ask = want > (size_t(1) << 30) ? DWORD(1) << 30 : static_cast<DWORD>(want);
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD n = 0;
    const BOOL read = ReadFile(handle_->file.get(), buffer, ask, &n, &at);
    const DWORD why = read ? ERROR_SUCCESS : GetLastError();
    if (!SetFilePointerEx(handle_->file.get(), here, nullptr, FILE_BEGIN))
        return InputError::ShortRead;
    if (!read && why != ERROR_HANDLE_EOF)
        return InputError::ShortRead;
    *got = n;
    return InputError::None;
}

} // namespace lex
