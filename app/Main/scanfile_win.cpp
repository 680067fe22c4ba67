#include "Main/scanfile_win.h"

#include <windows.h>

#include <memory>
#include <new>

#include "Check/inputfile.h"

namespace lex {
namespace {

// Between two pumps the read takes 2 MB at a time (some 10 to 30 ms here).
constexpr DWORD kReadPiece = 2u << 20;

struct FileHandle {
    HANDLE h = INVALID_HANDLE_VALUE;
    FileHandle() = default;
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    ~FileHandle()
    {
        if (h != INVALID_HANDLE_VALUE)
            CloseHandle(h);
    }
};

} // namespace

int ScanFileResponsive(const char *fileName, int minLength, const ExtractionSettings &settings,
                       const EnglishWordMarker *marker, ScanHost &host)
{
    // The directory entry gives the size (all 64 bits of it) and tells a
    // missing file from one that cannot be opened.
    WIN32_FIND_DATAA fd;
    HANDLE find = FindFirstFileA(fileName, &fd);
    if (find == INVALID_HANDLE_VALUE)
        return 1;
    FindClose(find);
    const uint64_t size = (static_cast<uint64_t>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;

    FileHandle file;
    file.h = CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file.h == INVALID_HANDLE_VALUE || size > kMaxInputSize)
        return 1;

    // The old rows go once the file is known to be there and readable.
    host.ClearRows();
    const size_t n = static_cast<size_t>(size);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[n ? n : 1]);
    if (!buffer)
        return 1;
    for (size_t done = 0; done < n;) {
        DWORD want = static_cast<DWORD>(n - done < kReadPiece ? n - done : kReadPiece);
        DWORD got = 0;
        if (!ReadFile(file.h, buffer.get() + done, want, &got, nullptr) || got != want)
            return 1;
        done += got;
        host.ProcessEvents();
        if (host.AbortRequested())
            return 0;
    }
    CloseHandle(file.h);
    file.h = INVALID_HANDLE_VALUE;
    return ScanBuffer(buffer.get(), n, minLength, settings, marker, host);
}

} // namespace lex
