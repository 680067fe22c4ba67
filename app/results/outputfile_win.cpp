// OutputFile on Windows: a new file made with CREATE_NEW beside the target,
// FlushFileBuffers, then MoveFileEx with MOVEFILE_REPLACE_EXISTING over the
// target, which swaps the names in one step.  ReplaceFile would keep more
// of the old file's metadata, but it fails where no old file exists, and
// Wine's moves the old file away and deletes it before it moves the new one
// in: a failure there would lose both.
#include "results/outputfile.h"

#include <windows.h>

#include "base/systemerror_win.h"
#include "util/handles_win.h"
#include "util/mbcs.h"

namespace lex {
namespace {

struct Output {
    loom::FileHandle file;
    std::string target;  // the name the bytes end up under
    std::string temp;    // the new file beside it; empty when the target itself is written
    DWORD error = 0;

    ~Output()
    {
        file.reset();
        if (!temp.empty())
            DeleteFileA(temp.c_str());
    }
};

OutputError Fail(Output &h, OutputError why, DWORD error)
{
    h.error = error;
    return why;
}

// The target itself, created or emptied, as a plain save would.
OutputError OpenTarget(Output &h)
{
    h.file.reset(CreateFileA(h.target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
    return h.file.valid() ? OutputError::None : Fail(h, OutputError::CannotCreate, GetLastError());
}

// The folder part of a path, up to its last "\", "/" or ":"; the second
// byte of a double-byte character is never taken for one.
std::string FolderOf(const std::string &path)
{
    size_t end = 0;
    for (const char *p = path.c_str(); *p; p += loom::CharLength(p, loom::SystemLeadByte)) {
        if (loom::CharLength(p, loom::SystemLeadByte) == 1 && (*p == '\\' || *p == '/' || *p == ':'))
            end = static_cast<size_t>(p - path.c_str()) + 1;
    }
    return path.substr(0, end);
}

// A new file of a name of its own in the target's folder.
bool CreateTemp(Output &h)
{
    const std::string stem =
        FolderOf(h.target) + "~lexprobe-" + std::to_string(GetCurrentProcessId()) + "-";
    for (int n = 0; n < 100; ++n) {
        const std::string name = stem + std::to_string(n) + ".tmp";
        h.file.reset(CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        if (h.file.valid()) {
            h.temp = name;
            return true;
        }
        h.error = GetLastError();
        if (h.error != ERROR_FILE_EXISTS && h.error != ERROR_ALREADY_EXISTS)
            break;
    }
    return false;
}

// Opens an existing file for its attributes only, whatever others hold.
loom::FileHandle OpenForInformation(const char *path)
{
    return loom::FileHandle(CreateFileA(path, FILE_READ_ATTRIBUTES,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                        nullptr));
}

} // namespace

struct OutputFile::Handle : Output {};

OutputFile::OutputFile() = default;
OutputFile::~OutputFile() = default;

OutputError OutputFile::Open(const char *path)
{
    ResetSpace();
    handle_ = std::make_unique<Handle>();
    Handle &h = *handle_;
    h.target = path;
    BY_HANDLE_FILE_INFORMATION info = {};
    bool exists = false;
    if (loom::FileHandle old = OpenForInformation(path); old.valid()) {
        // A device (NUL, CON, a pipe) cannot be replaced, and holds nothing
        // to lose.
        if (GetFileType(old.get()) != FILE_TYPE_DISK)
            return OpenTarget(h);
        exists = GetFileInformationByHandle(old.get(), &info) != 0;
    }
    // A folder, and a file marked read-only, stay as they are.
    if (exists && (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
        return Fail(h, OutputError::CannotCreate, ERROR_ACCESS_DENIED);
    if (CreateTemp(h))
        return OutputError::None;
    // The folder takes no new file, but the file in it may be written: in
    // place, as the only way left.
    return exists ? OpenTarget(h) : Fail(h, OutputError::CannotCreate, h.error);
}

OutputError OutputFile::Write(const void *data, size_t size)
{
    if (!handle_ || !handle_->file.valid())
        return OutputError::WriteFailed;
    Handle &h = *handle_;
    const size_t room = Room(size);
    const char *p = static_cast<const char *>(data);
    for (size_t left = room; left > 0;) {
        const DWORD want = left > (DWORD(1) << 30) ? (DWORD(1) << 30) : static_cast<DWORD>(left);
        DWORD put = 0;
        if (!WriteFile(h.file.get(), p, want, &put, nullptr))
            return Fail(h, OutputError::WriteFailed, GetLastError());
        if (put == 0)
            return Fail(h, OutputError::WriteFailed, ERROR_DISK_FULL);
        p += put;
        left -= put;
    }
    return room == size ? OutputError::None : Fail(h, OutputError::WriteFailed, ERROR_DISK_FULL);
}

OutputError OutputFile::Commit()
{
    if (!handle_ || !handle_->file.valid())
        return OutputError::WriteFailed;
    Handle &h = *handle_;
    // Some file systems report a full disk only when the data is flushed.
    if (!h.temp.empty() && !FlushFileBuffers(h.file.get()))
        return Fail(h, OutputError::WriteFailed, GetLastError());
    const BOOL closed = CloseHandle(h.file.release());
    if (!closed)
        return Fail(h, OutputError::WriteFailed, GetLastError());
    if (h.temp.empty())
        return OutputError::None;
    if (!MoveFileExA(h.temp.c_str(), h.target.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return Fail(h, OutputError::CannotCreate, GetLastError());
    h.temp.clear();
    return OutputError::None;
}

std::string OutputFile::ErrorText() const
{
    return SystemErrorText(handle_ ? handle_->error : 0);
}

bool SameFile(const char *a, const char *b)
{
    BY_HANDLE_FILE_INFORMATION ia, ib;
    loom::FileHandle fa = OpenForInformation(a), fb = OpenForInformation(b);
    return fa.valid() && fb.valid() && GetFileInformationByHandle(fa.get(), &ia) &&
           GetFileInformationByHandle(fb.get(), &ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
}

} // namespace lex
