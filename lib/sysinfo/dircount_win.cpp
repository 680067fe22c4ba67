// Counting the files of one directory for the system report.
#include <windows.h>

#include "sysinfo/report.h"
#include "util/handles_win.h"
#include "util/mbcs.h"
#include "util/path.h"

namespace loom {

unsigned CountDirectoryFiles(const char *directory, const char *pattern, std::uint64_t *bytes)
{
    unsigned count = 0;
    std::uint64_t total = 0;
    WIN32_FIND_DATAA entry;
    FindHandle find(FindFirstFileA(JoinPath(directory, pattern, SystemLeadByte).c_str(), &entry));
    if (find.valid()) {
        do {
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            ++count;
            total += std::uint64_t(entry.nFileSizeHigh) << 32 | entry.nFileSizeLow;
        } while (FindNextFileA(find.get(), &entry));
    }
    if (bytes)
        *bytes = total;
    return count;
}

} // namespace loom
