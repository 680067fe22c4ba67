// Cabinet exports.  Packing and unpacking are done by the system's
// cabinet.dll through its FCI and FDI interfaces; the library is loaded from
// the system folder by full path at the start of every export and freed at
// its end, so no state survives a call.  FDI and FCI get the C runtime's
// file functions and heap; the notifications find the operation's state
// (callback, destination, name list) in the CabinetApi object.
#include "archive/archive_win.h"
#include "archive/cab_search.h"
#include "archive/member_name.h"
#include "util/boundary.h"
#include "util/loomutil.h"
#include "util/mbcs.h"
#include "util/path.h"
#include "util/pending_file_win.h"
#include "util/wide_text_win.h"

#include <fci.h>
#include <fdi.h>

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using namespace loom;
using namespace loom::archive;

using FciCreateFn = HFCI(DIAMONDAPI *)(PERF, PFNFCIFILEPLACED, PFNFCIALLOC, PFNFCIFREE, PFNFCIOPEN,
                                       PFNFCIREAD, PFNFCIWRITE, PFNFCICLOSE, PFNFCISEEK,
                                       PFNFCIDELETE, PFNFCIGETTEMPFILE, PCCAB, void *);
using FciAddFileFn = BOOL(DIAMONDAPI *)(HFCI, char *, char *, BOOL, PFNFCIGETNEXTCABINET,
                                        PFNFCISTATUS, PFNFCIGETOPENINFO, TCOMP);
using FciFlushCabinetFn = BOOL(DIAMONDAPI *)(HFCI, BOOL, PFNFCIGETNEXTCABINET, PFNFCISTATUS);
using FciDestroyFn = BOOL(DIAMONDAPI *)(HFCI);
using FdiCreateFn = HFDI(DIAMONDAPI *)(PFNALLOC, PFNFREE, PFNOPEN, PFNREAD, PFNWRITE, PFNCLOSE,
                                       PFNSEEK, int, PERF);
using FdiIsCabinetFn = BOOL(DIAMONDAPI *)(HFDI, INT_PTR, PFDICABINETINFO);
using FdiCopyFn = BOOL(DIAMONDAPI *)(HFDI, char *, char *, int, PFNFDINOTIFY, PFNFDIDECRYPT,
                                     void *);
using FdiDestroyFn = BOOL(DIAMONDAPI *)(HFDI);

using FdiContext = LoadedHandle<HFDI, FdiDestroyFn>;
using FciContext = LoadedHandle<HFCI, FciDestroyFn>;

constexpr int kCpu80386 = 1;
constexpr char kSpareCabinet[] = "~TMP.cab";
// The largest piece ExtractCabFromFile writes at once.
constexpr std::size_t kCopyChunk = 65535;

// Where a member goes.  A name flagged as UTF-8 is created under its real
// name through the wide file functions; any other is taken in the process's
// code page.  Empty paths: the member has no plain name and is skipped.
struct MemberPath {
    bool wide = false;
    std::string ansi;
    std::wstring unicode;
    bool empty() const { return wide ? unicode.empty() : ansi.empty(); }
};

// The member an extraction is writing: its pending file beside the target
// and the descriptor FDI writes to.
struct CabOutput {
    MemberPath path;
    std::unique_ptr<PendingFile> file;
    int fd = -1;
    uint32_t size = 0; // the member's size in the cabinet
};

// The system's cabinet library for one export call, and the state of the
// operation that its notifications need.
class CabinetApi {
public:
    CabinetApi() : module_(Load())
    {
        complete_ = Find(fciCreate, "FCICreate") & Find(fciAddFile, "FCIAddFile") &
                    Find(fciFlushCabinet, "FCIFlushCabinet") & Find(fciDestroy, "FCIDestroy") &
                    Find(fdiCreate, "FDICreate") & Find(fdiIsCabinet, "FDIIsCabinet") &
                    Find(fdiCopy, "FDICopy") & Find(fdiDestroy, "FDIDestroy");
    }
    // True only when all eight entry points were found.
    bool complete() const { return complete_; }

    FciCreateFn fciCreate = nullptr;
    FciAddFileFn fciAddFile = nullptr;
    FciFlushCabinetFn fciFlushCabinet = nullptr;
    FciDestroyFn fciDestroy = nullptr;
    FdiCreateFn fdiCreate = nullptr;
    FdiIsCabinetFn fdiIsCabinet = nullptr;
    FdiCopyFn fdiCopy = nullptr;
    FdiDestroyFn fdiDestroy = nullptr;

    // The operation under way.
    ArchiveCallback callback = nullptr;
    void *user = nullptr;
    std::string destination;
    StrList *names = nullptr;
    CabOutput output;
    DWORD memberError = 0; // the first member that was not written
    DWORD abortError = 0;  // why the extraction asked FDI to stop

private:
    static HMODULE Load()
    {
        char system[MAX_PATH];
        const UINT length = GetSystemDirectoryA(system, sizeof system);
        if (length == 0 || length >= sizeof system)
            return nullptr;
        return LoadLibraryA(JoinPath(system, "cabinet.dll", SystemLeadByte).c_str());
    }
    template <class Fn>
    bool Find(Fn &fn, const char *name)
    {
        if (!module_.get())
            return false;
        fn = reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(module_.get(), name)));
        return fn != nullptr;
    }

    ModuleHandle module_;
    bool complete_ = false;
};

// File functions for FDI: the C runtime's, passed straight through.
void *DIAMONDAPI CabAlloc(ULONG size)
{
    return std::malloc(size);
}

void DIAMONDAPI CabFree(void *memory)
{
    std::free(memory);
}

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
    path.unicode = Widen(api.destination, CP_ACP, MB_ERR_INVALID_CHARS);
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

// What went wrong while FCI wrote the cabinet or its temporary files: the
// first file system error of a write, an open for writing or a close.
struct FciState {
    DWORD error = 0;
};

void NoteFailure(void *state, DWORD error)
{
    auto *fci = static_cast<FciState *>(state);
    if (fci && !fci->error)
        fci->error = error ? error : ERROR_WRITE_FAULT;
}

// File functions for FCI: the C runtime's, recording errno for FCI.
INT_PTR DIAMONDAPI FciOpen(char *name, int flags, int mode, int *error, void *state)
{
    // A file opened for writing is made afresh: FCI may ask for exclusive
    // creation of a temporary file that GetTempFileName already made.
    const bool writing = (flags & (_O_WRONLY | _O_RDWR)) != 0;
    if (writing)
        DeleteFileA(name);
    const int fd = _open(name, flags, mode);
    if (fd == -1) {
        *error = errno;
        if (writing)
            NoteFailure(state, GetLastError());
    }
    return fd;
}

UINT DIAMONDAPI FciRead(INT_PTR fd, void *buffer, UINT count, int *error, void *)
{
    const int got = _read(static_cast<int>(fd), buffer, count);
    if (got != static_cast<int>(count))
        *error = errno;
    return static_cast<UINT>(got);
}

// Written through the file's own handle, so that a failure keeps the file
// system's code (the runtime's _write may report a full disk as EINVAL).
UINT DIAMONDAPI FciWrite(INT_PTR fd, void *buffer, UINT count, int *error, void *state)
{
    DWORD put = 0;
    const HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(static_cast<int>(fd)));
    if (!WriteFile(file, buffer, count, &put, nullptr) || put != count) {
        const DWORD code = GetLastError();
        *error = code == ERROR_DISK_FULL ? ENOSPC : EIO;
        NoteFailure(state, code ? code : ERROR_DISK_FULL);
    }
    return put;
}

int DIAMONDAPI FciClose(INT_PTR fd, int *error, void *state)
{
    const int result = _close(static_cast<int>(fd));
    if (result != 0) {
        *error = errno;
        NoteFailure(state, GetLastError());
    }
    return result;
}

LONG DIAMONDAPI FciSeek(INT_PTR fd, LONG distance, int origin, int *error, void *)
{
    const LONG result = _lseek(static_cast<int>(fd), distance, origin);
    if (result == -1)
        *error = errno;
    return result;
}

int DIAMONDAPI FciDelete(char *name, int *error, void *)
{
    const int result = std::remove(name);
    if (result != 0)
        *error = errno;
    return result;
}

BOOL DIAMONDAPI FciTempFile(char *name, int size, void *)
{
    char folder[MAX_PATH], path[MAX_PATH];
    const DWORD length = GetTempPathA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder || !GetTempFileNameA(folder, "cab", 0, path))
        return FALSE;
    if (std::strlen(path) >= static_cast<std::size_t>(size)) {
        DeleteFileA(path);
        return FALSE;
    }
    std::strcpy(name, path);
    return TRUE;
}

int DIAMONDAPI FciFilePlaced(PCCAB, char *, LONG, BOOL, void *)
{
    return 0;
}

BOOL DIAMONDAPI FciNextCabinet(PCCAB cab, ULONG previousSize, void *)
{
    if (previousSize != 0)
        std::strcpy(cab->szCab, kSpareCabinet);
    return TRUE;
}

LONG DIAMONDAPI FciStatus(UINT type, ULONG, ULONG size, void *)
{
    // For a finished cabinet FCI asks for its size to be confirmed.
    return type == statusCabinet ? static_cast<LONG>(size) : 0;
}

INT_PTR DIAMONDAPI FciOpenInfo(char *name, USHORT *date, USHORT *time, USHORT *attributes,
                               int *error, void *)
{
    {
        FileHandle file(CreateFileA(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file.valid())
            return -1;
        FILETIME written, local;
        WORD dosDate = 0, dosTime = 0;
        if (GetFileTime(file.get(), nullptr, nullptr, &written) &&
            FileTimeToLocalFileTime(&written, &local))
            FileTimeToDosDateTime(&local, &dosDate, &dosTime);
        *date = dosDate;
        *time = dosTime;
        const DWORD stored = GetFileAttributesA(name);
        *attributes = stored == INVALID_FILE_ATTRIBUTES
                          ? 0
                          : static_cast<USHORT>(stored & (_A_RDONLY | _A_HIDDEN | _A_SYSTEM | _A_ARCH));
    }
    const int fd = _open(name, _O_RDONLY | _O_BINARY);
    if (fd == -1)
        *error = errno;
    return fd;
}

bool CopyOut(SourceReader &reader, uint64_t offset, uint32_t size, HANDLE out)
{
    std::vector<uint8_t> chunk(kCopyChunk);
    reader.Seek(offset);
    while (size > 0) {
        const std::size_t piece = std::min<std::size_t>(size, kCopyChunk);
        // The size was checked against the file: a short read is a read
        // error, and the copy fails rather than leave a short cabinet.
        if (reader.Read(chunk.data(), piece) != piece)
            return false;
        DWORD written = 0;
        if (!WriteFile(out, chunk.data(), static_cast<DWORD>(piece), &written, nullptr) ||
            written != piece)
            return false;
        size -= static_cast<uint32_t>(piece);
    }
    return true;
}

} // namespace

extern "C" {

int __cdecl ExtractCabFromFile(const char *file, const char *destination, char *outPath)
{
    return CallGuarded(0, [&] {
        FileSource source(file);
        if (!source.valid())
            return 0;
        if (outPath)
            outPath[0] = '\0';
        SourceReader reader(source);
        uint64_t offset = 0;
        uint32_t size = 0;
        if (FindCabinet(reader, offset, size) != CabSearchResult::Found)
            return 0;
        if (!destination || !CreateDirectoryAtOnce(destination))
            return 0;
        char path[MAX_PATH];
        if (!GetTempFileNameA(destination, "cab", 0, path))
            return 0;
        {
            FileHandle out(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!out.valid() || !CopyOut(reader, offset, size, out.get()))
                return 0;
        }
        if (outPath)
            std::strcpy(outPath, path);
        return 1;
    });
}

int __cdecl CabCompressFiles(const char *cabPath, const char *mask)
{
    return ReportingLastError([&](DWORD &lastError) {
        CabinetApi api;
        if (!api.complete() || !cabPath || !mask) {
            lastError = ERROR_INVALID_PARAMETER;
            return 0;
        }
        // The cabinet is built under a temporary name beside its target and
        // replaces it only once it is complete.
        PendingFile pending{std::string(cabPath)};
        if (!pending.valid()) {
            lastError = pending.error();
            return 0;
        }
        const std::string building = pending.TemporaryAnsi();
        CCAB cab{};
        cab.cb = 0xFFFFFFFE;
        cab.cbFolderThresh = 0xFFFFFFFE;
        cab.iCab = 1;
        cab.iDisk = 0;
        cab.fFailOnIncompressible = 0;
        cab.setID = 0;
        std::strcpy(cab.szDisk, "Disk1");
        const char *name = ExtractFileName(building.c_str(), SystemLeadByte);
        const std::string folder(building.c_str(), name);
        if (std::strlen(name) >= sizeof cab.szCab || folder.size() >= sizeof cab.szCabPath) {
            lastError = ERROR_FILENAME_EXCED_RANGE;
            return 0;
        }
        std::strcpy(cab.szCab, name);
        std::strcpy(cab.szCabPath, folder.c_str());

        ERF error{};
        FciState state;
        FciContext context(api.fciCreate(&error, FciFilePlaced, CabAlloc, CabFree, FciOpen,
                                         FciRead, FciWrite, FciClose, FciSeek, FciDelete,
                                         FciTempFile, &cab, &state),
                           api.fciDestroy);
        if (!context.get()) {
            lastError = state.error ? state.error : ERROR_NOT_ENOUGH_MEMORY;
            return 0;
        }

        // The files of the mask's folder, not descending into subfolders.
        const std::string maskFolder(mask, ExtractFileName(mask, SystemLeadByte));
        WIN32_FIND_DATAA found;
        FindHandle find(FindFirstFileA(mask, &found));
        bool failed = false;
        if (find.valid()) {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    continue;
                std::string source = maskFolder + found.cFileName;
                std::vector<char> sourceText(source.begin(), source.end());
                sourceText.push_back('\0');
                // A file that cannot be opened or read is left out; any
                // other failure (temporary files, memory) spoils the cabinet.
                failed = !api.fciAddFile(context.get(), sourceText.data(), found.cFileName, FALSE,
                                         FciNextCabinet, FciStatus, FciOpenInfo,
                                         tcompTYPE_MSZIP) &&
                         error.erfOper != FCIERR_OPEN_SRC && error.erfOper != FCIERR_READ_SRC;
            } while (!failed && FindNextFileA(find.get(), &found));
        }
        failed = failed || !api.fciFlushCabinet(context.get(), FALSE, FciNextCabinet, FciStatus);
        DeleteFileA((std::string(cabPath, ExtractFileName(cabPath, SystemLeadByte)) +
                     kSpareCabinet)
                        .c_str());
        if (failed) {
            lastError = state.error ? state.error : ERROR_WRITE_FAULT;
            return 0;
        }
        if (!pending.Commit()) {
            lastError = GetLastError();
            return 0;
        }
        lastError = ERROR_SUCCESS;
        return 1;
    });
}

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
