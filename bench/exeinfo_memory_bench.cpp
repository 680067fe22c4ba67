// Memory of the executable examination on crafted files whose tables repeat
// one name millions of times.  "make" writes the file; "run", in a process
// of its own so that the peak is the call's, runs one examination through
// the library's exports and prints the answer and the peak working set.
// bench/exeinfo-memory.sh runs every case.
//   exeinfo_memory_bench make|run CASE FILE
//   CASE: exports   a 40 MB PE whose export-name table points 10 million
//                   times at one name (GetExeInfo with names)
//         imports   a 40 MB PE with 2 million import descriptors naming
//                   one module (GetExeInfo with names)
//         dllnames  160 MB of "kernel32.dll " repeated (SearchDll)
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "exe_builder.h"
#include "util/loomutil.h"
#include "version/exeinfo.h"

namespace {

using exefix::Image;

// A PE whose data section is stretched to `extra` more bytes, for a table
// that points `count` times at the same place.
Image Stretched(std::size_t extra, exefix::PeShape &shape)
{
    Image m = exefix::Pe(shape);
    const std::size_t section = shape.sectionTable + 40 * shape.extraSections.size();
    const std::uint32_t size = m.Get32(section + 16) + static_cast<std::uint32_t>(extra);
    m.U32(section + 8, size);
    m.U32(section + 16, size);
    m.Grow(shape.dataRaw + size);
    return m;
}

Image RepeatedExportName()
{
    exefix::PeShape shape;
    shape.exportName = "repeat.dll";
    shape.exports = {"OneName"};
    const std::uint32_t count = 10000000;
    const std::size_t oldSize = exefix::Pe(shape).bytes.size() - shape.dataRaw;
    Image m = Stretched(4u * count, shape);
    const std::size_t dir = shape.exportDir;
    const std::size_t table = shape.dataRaw + oldSize;
    const std::uint32_t name = m.Get32(m.Get32(dir + 32) - shape.dataVa + shape.dataRaw);
    m.U32(dir + 24, count);
    m.U32(dir + 32, static_cast<std::uint32_t>(shape.dataVa + oldSize));
    for (std::uint32_t i = 0; i < count; ++i)
        m.U32(table + 4 * i, name);
    return m;
}

Image RepeatedImport()
{
    exefix::PeShape shape;
    shape.imports = {{"kernel32.dll", {"ExitProcess"}}};
    const std::uint32_t count = 2000000;
    const std::size_t oldSize = exefix::Pe(shape).bytes.size() - shape.dataRaw;
    Image m = Stretched(20u * (count + 1), shape);
    const std::size_t first = shape.dataRaw; // the one descriptor
    const std::size_t table = shape.dataRaw + oldSize;
    for (std::uint32_t i = 0; i < count; ++i)
        std::memcpy(&m.bytes[table + 20 * i], &m.bytes[first], 20);
    // The import directory moves to the long table.
    const std::size_t dirs = shape.pe + 24 + 96;
    m.U32(dirs + 8, static_cast<std::uint32_t>(shape.dataVa + oldSize));
    return m;
}

Image RepeatedDllNames()
{
    const std::string piece = "kernel32.dll ";
    Image m;
    m.bytes.reserve(160u << 20);
    while (m.bytes.size() + piece.size() <= (160u << 20))
        m.bytes.insert(m.bytes.end(), piece.begin(), piece.end());
    return m;
}

bool Write(const char *path, const Image &m)
{
    HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, m.bytes.data(), static_cast<DWORD>(m.bytes.size()), &written,
                              nullptr);
    CloseHandle(file);
    return ok && written == m.bytes.size();
}

double PeakMegabytes()
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize / 1048576.0;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string mode = argc == 4 ? argv[1] : "";
    if (mode != "make" && mode != "run") {
        std::fprintf(stderr, "usage: exeinfo_memory_bench make|run exports|imports|dllnames FILE\n");
        return 2;
    }
    const std::string which = argv[2];
    const char *path = argv[3];
    if (mode == "make") {
        const Image m = which == "exports"   ? RepeatedExportName()
                        : which == "imports" ? RepeatedImport()
                                             : RepeatedDllNames();
        if (!Write(path, m)) {
            std::fprintf(stderr, "cannot write %s\n", path);
            return 1;
        }
        return 0;
    }
    WIN32_FILE_ATTRIBUTE_DATA facts{};
    GetFileAttributesExA(path, GetFileExInfoStandard, &facts);
    const double before = PeakMegabytes();
    ExeInfo info{};
    std::strncpy(info.Path, path, sizeof info.Path - 1);
    const DWORD start = GetTickCount();
    const int result = which == "dllnames" ? SearchDll(&info) : GetExeInfo(&info, 1, 0);
    const DWORD took = GetTickCount() - start;
    std::printf("%-9s file %5.1f MB: result %d, exports %d, imported DLLs %d, functions %d, "
                "found DLLs %d, %lu ms, peak working set %.1f MB (%.1f MB before the call)\n",
                which.c_str(), facts.nFileSizeLow / 1048576.0, result,
                StrList_Count(&info.ExportedNames), StrList_Count(&info.ImportedDlls),
                StrList_Count(&info.ImportedFunctions), StrList_Count(&info.FoundDlls),
                static_cast<unsigned long>(took), PeakMegabytes(), before);
    // The lists are left to the end of the process: StrList_Destroy deletes
    // last item first, in time that grows with the square of the count.
    return 0;
}
