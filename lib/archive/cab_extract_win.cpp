// Cabinet listing and extraction exports, through FDI: the C runtime's file
// functions, passed straight through, and notifications that list members
// or write each one into a pending file beside its target.
#include "archive/cab_win.h"
#include "archive/member_name.h"
#include "util/boundary.h"
#include "util/mbcs.h"
#include "util/pending_file_win.h"
#include "util/wide_text_win.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace loom;
using namespace loom::archive;

// File functions for FDI: the C runtime's, passed straight through.
INT_PTR DIAMONDAPI FdiOpen(char *name, int flags, int mode)
{
    return _open(name, flags, mode);
}

UINT DIAMONDAPI FdiRead(INT_PTR fd, void *buffer, UINT count)
{
    return static_cast<UINT>(_read(static_cast<int>(fd), buffer, count));
}

UINT DIAMONDAPI FdiWrite(INT_PTR fd, void *buffer, UINT count)
{
    return static_cast<UINT>(_write(static_cast<int>(fd), buffer, count));
}

int DIAMONDAPI FdiClose(INT_PTR fd)
{
    return _close(static_cast<int>(fd));
}

LONG DIAMONDAPI FdiSeek(INT_PTR fd, LONG distance, int origin)
{
    return _lseek(static_cast<int>(fd), distance, origin);
}

FdiContext CreateFdi(const CabinetApi &api, ERF &error)
{
    return FdiContext(api.fdiCreate(CabAlloc, CabFree, FdiOpen, FdiRead, FdiWrite, FdiClose,
                                    FdiSeek, kCpu80386, &error),
                      api.fdiDestroy);
}

// A cabinet path as FDI and FCI take it: the name after the last
// backslash, and the folder up to and including it ("" for the current
// folder).  Mutable copies: the interfaces take char *.
struct SplitPath {
    explicit SplitPath(const char *path)
    {
        const char *name = ExtractFileName(path, SystemLeadByte);
        folder.assign(path, name);
        file.assign(name, name + std::strlen(name));
        folder.push_back('\0');
        file.push_back('\0');
    }
    std::vector<char> folder, file;
};

void FillEntry(const FDINOTIFICATION &note, ArchiveEntry &entry)
{
    entry = ArchiveEntry();
    SetEntryName(entry.name, note.psz1, std::strlen(note.psz1));
    entry.originalSize = static_cast<uint32_t>(note.cb);
    entry.date = note.date;
    entry.time = note.time;
    entry.attributes = note.attribs;
    entry.kind = ARCHIVE_KIND_CABINET;
}

INT_PTR DIAMONDAPI EnumerateNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note)
{
    return CallGuarded(INT_PTR{-1}, [&]() -> INT_PTR {
        if (type != fdintCOPY_FILE)
            return 0;
        const auto *api = static_cast<const CabinetApi *>(note->pv);
        ArchiveEntry entry;
        FillEntry(*note, entry);
        api->callback(&entry, api->user, nullptr);
        return 0; // nothing is written
    });
}

MemberPath OutputPathOf(const CabinetApi &api, const char *name, USHORT attributes)
{
    MemberPath path;
    if (!(attributes & _A_NAME_IS_UTF)) {
        path.ansi = MemberOutputPath(api.destination.c_str(), name);
        return path;
    }
    path.wide = true;
    // UTF-8 has no lead bytes that could hide a separator.
    const std::wstring base =
        Widen(SafeMemberName(name, NoLeadBytes), CP_UTF8, MB_ERR_INVALID_CHARS);
    if (base.empty())
        return path;
    // The destination converted as the ANSI file functions convert it, so
    // that the wide path names the folder they would (bytes that are no
    // character of the code page included).  A destination that gives no
    // text at all is no folder to write to: the member is refused rather
    // than written into the current folder.
    const std::wstring folder = Widen(api.destination, CP_ACP);
    if (folder.empty() && !api.destination.empty())
        return path;
    path.unicode = folder;
    if (!path.unicode.empty() && path.unicode.back() != L'\\')
        path.unicode += L'\\';
    path.unicode += base;
    return path;
}

// A member that was not written; `abort` also stops the extraction, which
// then fails with this code.
INT_PTR Refuse(CabinetApi &api, DWORD error, bool abort)
{
    if (!api.memberError)
        api.memberError = error;
    if (abort && !api.abortError)
        api.abortError = error;
    return abort ? -1 : 0;
}

// Starts a member: its bytes go to a pending file beside the target.
INT_PTR OpenMember(CabinetApi &api, const FDINOTIFICATION &note)
{
    // The extraction was stopped, but FDI went on.
    if (api.abortError)
        return -1;
    ArchiveEntry entry;
    FillEntry(note, entry);
    const ArchiveCallback filter = NameListFilter;
    if (filter(&entry, api.names, nullptr) != 1)
        return 0;
    CabOutput &out = api.output;
    out.path = OutputPathOf(api, note.psz1, note.attribs);
    if (out.path.empty())
        return NamesFolder(note.psz1, SystemLeadByte) ? 0 : Refuse(api, ERROR_INVALID_NAME, false);
    out.file = out.path.wide ? std::make_unique<PendingFile>(out.path.unicode)
                             : std::make_unique<PendingFile>(out.path.ansi);
    if (!out.file->valid())
        return Refuse(api, out.file->error(), true);
    out.fd = _wopen(out.file->temporary().c_str(),
                    _O_CREAT | _O_TRUNC | _O_WRONLY | _O_BINARY | _O_SEQUENTIAL,
                    _S_IREAD | _S_IWRITE);
    if (out.fd == -1) {
        const DWORD error = GetLastError();
        out.file.reset();
        return Refuse(api, error ? error : ERROR_ACCESS_DENIED, true);
    }
    out.size = static_cast<uint32_t>(note.cb);
    return out.fd;
}

// Why a member's file came out short: FDI may take a write that failed for
// done, so a disk too full for the missing bytes tells a full disk;
// otherwise the data were damaged.
DWORD ShortMemberError(const PendingFile &file, uint32_t size)
{
    WIN32_FILE_ATTRIBUTE_DATA facts;
    ULARGE_INTEGER free;
    const std::wstring &path = file.temporary();
    if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &facts) &&
        facts.nFileSizeHigh == 0 && facts.nFileSizeLow < size &&
        GetDiskFreeSpaceExW(path.substr(0, path.find_last_of(L"\\/") + 1).c_str(), &free,
                            nullptr, nullptr) &&
        free.QuadPart < size - facts.nFileSizeLow)
        return ERROR_DISK_FULL;
    return ERROR_CRC;
}

// Ends a member: put in place when it has all its bytes.  FDI may report a
// member closed even when its data failed (it then fails the whole copy),
// so the member's size is checked too.
INT_PTR CloseMember(CabinetApi &api, const FDINOTIFICATION &note)
{
    CabOutput &out = api.output;
    _close(static_cast<int>(note.hf));
    out.fd = -1;
    WIN32_FILE_ATTRIBUTE_DATA facts;
    const bool whole =
        out.file && GetFileAttributesExW(out.file->temporary().c_str(), GetFileExInfoStandard,
                                         &facts) &&
        facts.nFileSizeHigh == 0 && facts.nFileSizeLow == out.size;
    if (!whole) {
        Refuse(api, ShortMemberError(*out.file, out.size), true);
        out.file.reset();
        return FALSE;
    }
    const bool placed = out.file->Commit();
    const DWORD error = GetLastError();
    out.file.reset();
    if (!placed) {
        Refuse(api, error, true);
        return FALSE;
    }
    const DWORD attributes = SettableAttributes(note.attribs);
    if (out.path.wide) {
        SetTimesFromDosW(out.path.unicode.c_str(), note.date, note.time);
        SetFileAttributesW(out.path.unicode.c_str(), attributes);
    } else {
        SetTimesFromDos(out.path.ansi.c_str(), note.date, note.time);
        SetFileAttributesA(out.path.ansi.c_str(), attributes);
    }
    return TRUE;
}

INT_PTR DIAMONDAPI ExtractNotify(FDINOTIFICATIONTYPE type, PFDINOTIFICATION note)
{
    return CallGuarded(INT_PTR{-1}, [&]() -> INT_PTR {
        auto *api = static_cast<CabinetApi *>(note->pv);
        if (type == fdintCOPY_FILE)
            return OpenMember(*api, *note);
        if (type == fdintCLOSE_FILE_INFO)
            return CloseMember(*api, *note);
        return 0;
    });
}

// After a failed copy: the member FDI was writing is deleted.  FDI may have
// closed its descriptor already; while it is still open the file cannot be
// deleted, and only then is it closed here.
void DropUnfinishedMember(CabOutput &out)
{
    if (!out.file)
        return;
    if (out.fd != -1 && !DeleteFileW(out.file->temporary().c_str()) &&
        GetLastError() == ERROR_SHARING_VIOLATION)
        _close(out.fd);
    out.fd = -1;
    out.file.reset();
}

// The thread's last error for a copy that FDI failed by itself.
DWORD FdiError(const ERF &error)
{
    switch (error.erfOper) {
    case FDIERROR_CABINET_NOT_FOUND: return ERROR_FILE_NOT_FOUND;
    case FDIERROR_NOT_A_CABINET:
    case FDIERROR_UNKNOWN_CABINET_VERSION:
    case FDIERROR_BAD_COMPR_TYPE: return ERROR_BAD_FORMAT;
    case FDIERROR_ALLOC_FAIL: return ERROR_NOT_ENOUGH_MEMORY;
    case FDIERROR_TARGET_FILE: return ERROR_WRITE_FAULT;
    default: return ERROR_CRC;
    }
}

// FDICopy over the whole cabinet with a notification; 1 when it reported
// success.  `result` becomes the extraction's code: after 1, 0 or the code
// of the first member that was not written; after 0, the cause.
int CopyCabinet(CabinetApi &api, const char *cabinet, PFNFDINOTIFY notify, DWORD &result)
{
    ERF error{};
    FdiContext context = CreateFdi(api, error);
    if (!context.get()) {
        result = ERROR_NOT_ENOUGH_MEMORY;
        return 0;
    }
    SplitPath split(cabinet);
    const BOOL copied = api.fdiCopy(context.get(), split.file.data(), split.folder.data(), 0,
                                    notify, nullptr, &api);
    DropUnfinishedMember(api.output);
    // FDI may go on after a member it was told to stop at: that member
    // still fails the extraction.
    const bool whole = copied && !api.abortError;
    result = whole ? api.memberError : api.abortError ? api.abortError : FdiError(error);
    return whole ? 1 : 0;
}

} // namespace

extern "C" {

int __cdecl CabExtractFiles(DWORD, const char *cabPath, const char *destination, StrList *names)
{
    return ReportingLastError([&](DWORD &error) {
        CabinetApi api;
        if (!api.complete() || !cabPath) {
            error = ERROR_INVALID_PARAMETER;
            return 0;
        }
        api.destination = destination ? destination : "";
        api.names = names;
        return CopyCabinet(api, cabPath, ExtractNotify, error);
    });
}

int __cdecl CabExtractAllFiles(DWORD ignored, const char *cabPath, const char *destination)
{
    return CabExtractFiles(ignored, cabPath, destination, nullptr);
}

int __cdecl CabEnum(const char *cabPath, void *user, ArchiveCallback callback)
{
    return CallGuarded(0, [&] {
        CabinetApi api;
        if (!callback || !api.complete() || !cabPath)
            return 0;
        api.callback = callback;
        api.user = user;
        DWORD error;
        return CopyCabinet(api, cabPath, EnumerateNotify, error);
    });
}

int __cdecl IsFileCabinet(const char *path)
{
    return CallGuarded(0, [&] {
        CabinetApi api;
        if (!api.complete() || !path)
            return 0;
        ERF error{};
        FdiContext context = CreateFdi(api, error);
        if (!context.get())
            return 0;
        CrtFile file(_open(path, _O_RDONLY | _O_BINARY));
        if (!file.valid())
            return 0;
        FDICABINETINFO info{};
        return api.fdiIsCabinet(context.get(), file.get(), &info) ? 1 : 0;
    });
}

} // extern "C"
