// CabCompressFiles: a cabinet built by FCI from the files of a mask, under
// a temporary name beside its target, which it replaces only when whole.
#include "archive/cab_win.h"
#include "util/boundary.h"
#include "util/handles_win.h"
#include "util/mbcs.h"
#include "util/path.h"
#include "util/pending_file_win.h"
#include "util/wide_text_win.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace loom;
using namespace loom::archive;

constexpr char kSpareCabinet[] = "~TMP.cab";

// What went wrong while FCI wrote the cabinet or its temporary files: the
// first file system error of a write, an open for writing or a close; and
// whether FCI was given the spare cabinet's name, which it then made.
struct FciState {
    DWORD error = 0;
    bool spareCabinet = false;
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

BOOL DIAMONDAPI FciNextCabinet(PCCAB cab, ULONG previousSize, void *state)
{
    if (previousSize != 0) {
        std::strcpy(cab->szCab, kSpareCabinet);
        static_cast<FciState *>(state)->spareCabinet = true;
    }
    return TRUE;
}

// The full path of a file name, so that two spellings of one file compare
// equal; the name itself when it has none.
std::wstring FullPathOf(const std::wstring &path)
{
    wchar_t full[MAX_PATH];
    const DWORD length = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    return length > 0 && length < MAX_PATH ? std::wstring(full, length) : path;
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

} // namespace

extern "C" {

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
        // The cabinet being built may lie there too: it is not packed into
        // itself.
        const std::string maskFolder(mask, ExtractFileName(mask, SystemLeadByte));
        const std::wstring ownFile = FullPathOf(pending.temporary());
        WIN32_FIND_DATAA found;
        FindHandle find(FindFirstFileA(mask, &found));
        bool failed = false;
        if (find.valid()) {
            do {
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    continue;
                std::string source = maskFolder + found.cFileName;
                if (lstrcmpiW(FullPathOf(Widen(source, CP_ACP)).c_str(), ownFile.c_str()) == 0)
                    continue;
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
        // Only a spare cabinet that FCI made is deleted, never a file of
        // that name that was there before.
        if (state.spareCabinet)
            DeleteFileA((folder + kSpareCabinet).c_str());
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

} // extern "C"
