// The archive front ends' shared Windows pieces.
#include "archive/archive_win.h"

#include "archive/member_name.h"
#include "util/boundary.h"
#include "util/mbcs.h"
#include "util/path.h"

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

FileSink::FileSink(const std::string &path)
    : file_(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr))
{
}

bool FileSink::Write(const uint8_t *data, std::size_t count)
{
    while (count > 0) {
        DWORD written = 0;
        const DWORD ask = static_cast<DWORD>(std::min(count, kMaxIo));
        if (!WriteFile(file_.get(), data, ask, &written, nullptr) || written == 0)
            return false;
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
    const std::wstring wide = Widen(path, CP_ACP);
    if (!wide.empty())
        SetTimesFromDosW(wide.c_str(), date, time);
}

std::wstring Widen(const std::string &text, UINT codePage)
{
    if (text.empty())
        return std::wstring();
    const int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(),
                                           static_cast<int>(text.size()), nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, text.data(), static_cast<int>(text.size()),
                        &wide[0], length);
    return wide;
}

DWORD SettableAttributes(uint32_t stored)
{
    const DWORD kept = stored & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                 FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
    return kept ? kept : FILE_ATTRIBUTE_NORMAL;
}

ByteSink *EnumerateHandler::Begin(const ArchiveEntry &entry)
{
    if (!isFolder_(entry)) {
        // The callback may write to the record: it gets its own copy.
        ArchiveEntry copy = entry;
        callback_(&copy, user_, nullptr);
    }
    return nullptr;
}

ByteSink *ExtractHandler::Begin(const ArchiveEntry &entry)
{
    // A folder member is no file; neither is a name without a plain part.
    if (format_.isFolder(entry))
        return nullptr;
    path_ = MemberOutputPath(destination_, entry.name);
    if (path_.empty())
        return nullptr;
    ArchiveEntry copy = entry;
    const ArchiveCallback filter = NameListFilter;
    if (filter(&copy, names_, format_.pathForFilter ? path_.c_str() : nullptr) != 1)
        return nullptr;
    sink_ = std::make_unique<FileSink>(path_);
    if (!sink_->valid()) {
        sink_.reset();
        return nullptr;
    }
    return sink_.get();
}

void ExtractHandler::End(const ArchiveEntry &entry, const MemberOutcome &)
{
    sink_.reset(); // closes the file
    SetTimesFromDos(path_.c_str(), entry.date, entry.time);
    if (format_.setAttributes)
        SetFileAttributesA(path_.c_str(), SettableAttributes(entry.attributes));
}

} // namespace loom::archive
