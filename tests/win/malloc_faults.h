// Makes malloc fail inside one module, for tests of what a module does when
// memory runs out.  The module's import of msvcrt.dll's malloc is pointed at
// a stub that counts the calls and, once armed, fails a chosen one;
// the test program's own allocations are not touched.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstring>

namespace faults {

class MallocFaults {
public:
    explicit MallocFaults(HMODULE module) : slot_(FindImport(module, "msvcrt.dll", "malloc"))
    {
        if (!slot_)
            return;
        original_ = reinterpret_cast<MallocFn>(*slot_);
        Write(reinterpret_cast<void *>(&Stub));
    }
    ~MallocFaults()
    {
        if (slot_)
            Write(reinterpret_cast<void *>(original_));
        failAt_ = -1;
    }
    MallocFaults(const MallocFaults &) = delete;
    MallocFaults &operator=(const MallocFaults &) = delete;

    bool Patched() const { return slot_ != nullptr; }
    // Counts calls from 0 again; call number `call` fails (-1: none), the
    // others are served: one allocation too big for what is left.
    void FailCall(long call)
    {
        calls_ = 0;
        failAt_ = call;
    }
    long Calls() const { return calls_; }

private:
    using MallocFn = void *(__cdecl *)(std::size_t);

    static void *__cdecl Stub(std::size_t size)
    {
        if (calls_++ == failAt_)
            return nullptr;
        return original_(size);
    }

    void Write(void *target)
    {
        DWORD old = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &old);
        *slot_ = target;
        VirtualProtect(slot_, sizeof *slot_, old, &old);
    }

    // The import address table slot through which `module` calls `name` of
    // `dll`, or null.
    static void **FindImport(HMODULE module, const char *dll, const char *name)
    {
        auto base = reinterpret_cast<BYTE *>(module);
        if (!base)
            return nullptr;
        auto dos = reinterpret_cast<IMAGE_DOS_HEADER *>(base);
        auto nt = reinterpret_cast<IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY &dir =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (dir.VirtualAddress == 0)
            return nullptr;
        for (auto desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + dir.VirtualAddress);
             desc->Name != 0; ++desc) {
            if (lstrcmpiA(reinterpret_cast<const char *>(base + desc->Name), dll) != 0)
                continue;
            auto names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + desc->OriginalFirstThunk);
            auto slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + desc->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal))
                    continue;
                auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
                if (std::strcmp(reinterpret_cast<const char *>(byName->Name), name) == 0)
                    return reinterpret_cast<void **>(&slots->u1.Function);
            }
        }
        return nullptr;
    }

    void **slot_;
    static inline MallocFn original_ = nullptr;
    static inline long calls_ = 0;
    static inline long failAt_ = -1;
};

} // namespace faults
