// What the cabinet exports share: the entry points of the system's
// cabinet.dll, loaded from the system folder by full path at the start of
// every export and freed at its end (so no state survives a call), and the
// heap that FDI and FCI are given.  The extraction's notifications find the
// operation's state (callback, destination, name list) in the CabinetApi
// object.
#pragma once

#include "archive/archive_win.h"
#include "util/handles_win.h"
#include "util/mbcs.h"
#include "util/path.h"
#include "util/pending_file_win.h"

#include <fci.h>
#include <fdi.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace loom::archive {

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

// The heap of FDI and FCI: the C runtime's.
inline void *DIAMONDAPI CabAlloc(ULONG size)
{
    return std::malloc(size);
}

inline void DIAMONDAPI CabFree(void *memory)
{
    std::free(memory);
}

} // namespace loom::archive
