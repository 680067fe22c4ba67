// Files written under a temporary name and renamed into place when whole.
#include "util/pending_file_win.h"

#include "util/wide_text_win.h"

namespace loom {

namespace {

// The folder a path names its file in: up to its last separator or drive
// colon, "." for a bare name.
std::wstring FolderOf(const std::wstring &path)
{
    const std::size_t end = path.find_last_of(L"\\/:");
    if (end == std::wstring::npos)
        return L".";
    return path.substr(0, end + 1);
}

} // namespace

PendingFile::PendingFile(const std::string &target) : target_(Widen(target, CP_ACP))
{
    Create();
}

PendingFile::PendingFile(const std::wstring &target) : target_(target)
{
    Create();
}

void PendingFile::Create()
{
    if (target_.empty()) {
        error_ = ERROR_INVALID_NAME;
        return;
    }
    // GetTempFileName makes the file, so no other writer can take the name;
    // "~lm....tmp" tells a user what a left-over file is.
    wchar_t path[MAX_PATH];
    const std::wstring folder = FolderOf(target_);
    if (target_.size() >= MAX_PATH || folder.size() > kMaxTempFolderChars) {
        error_ = ERROR_FILENAME_EXCED_RANGE;
        return;
    }
    if (!GetTempFileNameW(folder.c_str(), L"~lm", 0, path)) {
        error_ = GetLastError();
        // A folder that does not exist: the code CreateFile gives for it.
        if (error_ == ERROR_DIRECTORY && GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES)
            error_ = ERROR_PATH_NOT_FOUND;
        return;
    }
    temporary_ = path;
}

PendingFile::~PendingFile()
{
    Discard();
}

std::string PendingFile::TemporaryAnsi() const
{
    return NarrowAnsi(temporary_);
}

bool PendingFile::Commit()
{
    if (temporary_.empty()) {
        SetLastError(error_ ? error_ : ERROR_INVALID_HANDLE);
        return false;
    }
    // Windows does not replace a read-only file; neither does this on a
    // system that would.
    const DWORD existing = GetFileAttributesW(target_.c_str());
    if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_READONLY)) {
        Discard();
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    if (MoveFileExW(temporary_.c_str(), target_.c_str(), MOVEFILE_REPLACE_EXISTING)) {
        temporary_.clear();
        return true;
    }
    const DWORD error = GetLastError();
    Discard();
    SetLastError(error);
    return false;
}

void PendingFile::Discard()
{
    if (temporary_.empty())
        return;
    const DWORD error = GetLastError();
    DeleteFileW(temporary_.c_str());
    temporary_.clear();
    SetLastError(error);
}

} // namespace loom
