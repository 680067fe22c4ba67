// The archive front ends' shared Windows pieces.
#include "archive/archive_win.h"

#include "archive/member_name.h"
#include "util/boundary.h"
#include "util/mbcs.h"
#include "util/path.h"
#include "util/wide_text_win.h"

#include <algorithm>

namespace loom::archive {

namespace {

// ReadFile and WriteFile take 32-bit counts.
constexpr std::size_t kMaxIo = 1u << 30;

} // namespace

FileSource::FileSource(const char *path)
    : file_(path ? CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                               FILE_FLAG_SEQUENTIAL_SCAN, nullptr)
                 : INVALID_HANDLE_VALUE)
{
    LARGE_INTEGER size;
    if (file_.valid() && GetFileSizeEx(file_.get(), &size))
        size_ = static_cast<uint64_t>(size.QuadPart);
}

std::size_t FileSource::ReadAt(uint64_t offset, void *buffer, std::size_t count)
{
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_.get(), position, nullptr, FILE_BEGIN))
        return 0;
    auto *to = static_cast<uint8_t *>(buffer);
    std::size_t done = 0;
    while (done < count) {
        DWORD got = 0;
        const DWORD ask = static_cast<DWORD>(std::min(count - done, kMaxIo));
        if (!ReadFile(file_.get(), to + done, ask, &got, nullptr) || got == 0)
            break;
        done += got;
    }
    return done;
}

FileSink::FileSink(const std::wstring &path)
    : file_(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr))
{
}

bool FileSink::Write(const uint8_t *data, std::size_t count)
{
    while (count > 0) {
        DWORD written = 0;
        const DWORD ask = static_cast<DWORD>(std::min(count, kMaxIo));
        if (!WriteFile(file_.get(), data, ask, &written, nullptr) || written == 0) {
            error_ = written == 0 && GetLastError() == 0 ? ERROR_DISK_FULL : GetLastError();
            return false;
        }
        data += written;
        count -= written;
    }
    return true;
}

int CALLBACK NameListFilter(ArchiveEntry *entry, void *list, const char *)
{
    return CallGuarded(0, [&] {
        return NameListAccepts(static_cast<const StrList *>(list), entry->name, SystemLeadByte)
                   ? 1
                   : 0;
    });
}

std::string MemberOutputPath(const char *destination, const char *name)
{
    const std::string base = SafeMemberName(name, SystemLeadByte);
    if (base.empty())
        return base;
    return JoinPath(destination ? destination : "", base, SystemLeadByte);
}

void SetTimesFromDosW(const wchar_t *path, uint32_t date, uint32_t time)
{
    FILETIME local, universal;
    if (!DosDateTimeToFileTime(static_cast<WORD>(date), static_cast<WORD>(time), &local) ||
        !LocalFileTimeToFileTime(&local, &universal))
        return;
    FileHandle file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.valid())
        SetFileTime(file.get(), &universal, nullptr, &universal);
}

void SetTimesFromDos(const char *path, uint32_t date, uint32_t time)
{
    // The ANSI name in the process's code page, as CreateFileA reads it.
    const std::wstring wide = Widen(path, CP_ACP, MB_ERR_INVALID_CHARS);
    if (!wide.empty())
        SetTimesFromDosW(wide.c_str(), date, time);
}

DWORD MemberError(MemberStatus status, DWORD writeError)
{
    switch (status) {
    case MemberStatus::Complete: return ERROR_SUCCESS;
    case MemberStatus::DataEnded: return ERROR_HANDLE_EOF;
    case MemberStatus::Damaged: return ERROR_CRC;
    case MemberStatus::WriteFailed: return writeError ? writeError : ERROR_WRITE_FAULT;
    }
    return ERROR_CRC;
}

DWORD SettableAttributes(uint32_t stored)
{
    const DWORD kept = stored & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    return kept ? kept : FILE_ATTRIBUTE_NORMAL;
}

ByteSink *EnumerateHandler::Begin(const ArchiveEntry &entry, MemberData data)
{
    if (data != MemberData::PastEnd && !isFolder_(entry)) {
        // The callback may write to the record: it gets its own copy.
        ArchiveEntry copy = entry;
        callback_(&copy, user_, nullptr);
    }
    return nullptr;
}

ByteSink *ExtractHandler::Fail(DWORD error)
{
    if (error_ == 0)
        error_ = error;
    return nullptr;
}

ByteSink *ExtractHandler::Begin(const ArchiveEntry &entry, MemberData data)
{
    // Folders are not recreated.
    if (format_.isFolder(entry) || NamesFolder(entry.name, SystemLeadByte))
        return nullptr;
    path_ = MemberOutputPath(destination_, entry.name);
    ArchiveEntry copy = entry;
    const ArchiveCallback filter = NameListFilter;
    if (filter(&copy, names_, format_.pathForFilter ? path_.c_str() : nullptr) != 1)
        return nullptr;
    if (path_.empty() || data == MemberData::NameTooLong)
        return Fail(ERROR_INVALID_NAME);
    // Decided before any file is made: a member that will not be unpacked
    // leaves a file of its name as it was, and makes none.
    if (data == MemberData::PastEnd)
        return Fail(ERROR_HANDLE_EOF);
    if (data == MemberData::NoDecoder)
        return Fail(ERROR_NOT_SUPPORTED);
    pending_ = std::make_unique<PendingFile>(path_);
    if (!pending_->valid())
        return Fail(pending_->error());
    sink_ = std::make_unique<FileSink>(pending_->temporary());
    if (!sink_->valid()) {
        Fail(GetLastError());
        pending_.reset();
        sink_.reset();
        return nullptr;
    }
    return sink_.get();
}

void ExtractHandler::End(const ArchiveEntry &entry, const MemberOutcome &outcome)
{
    const DWORD writeError = sink_->error();
    sink_.reset(); // closes the file
    const bool placed = outcome.complete() && pending_->Commit();
    if (!placed)
        Fail(outcome.complete() ? GetLastError() : MemberError(outcome.status, writeError));
    pending_.reset(); // deletes what was not put in place
    if (!placed)
        return;
    SetTimesFromDos(path_.c_str(), entry.date, entry.time);
    if (format_.setAttributes)
        SetFileAttributesA(path_.c_str(), SettableAttributes(entry.attributes));
}

} // namespace loom::archive
