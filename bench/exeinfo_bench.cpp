// Executable examination speed: every file below the folders named on the
// command line goes through the examination once with names and once with
// names and the content scan.  Prints files per second, bytes per second and
// the slowest file of each pass.
//   exeinfo_bench DIR...
// Built natively it runs the portable core over pread; built for Windows it
// calls the library's own GetExeInfo, as a program of the suite does.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#if defined(_WIN32)
#include <windows.h>

#include "util/loomutil.h"
#include "version/exeinfo.h"
#else
#include "posix_file_source.h"
#include "util/strlist.h"
#include "version/exe.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

void FreeLists(ExeInfo &info)
{
#if defined(_WIN32)
    StrList_Destroy(&info.ImportedFunctions);
    StrList_Destroy(&info.ExportedNames);
    StrList_Destroy(&info.ImportedDlls);
    StrList_Destroy(&info.FoundDlls);
#else
    loom::StrListDestroy(&info.ImportedFunctions);
    loom::StrListDestroy(&info.ExportedNames);
    loom::StrListDestroy(&info.ImportedDlls);
    loom::StrListDestroy(&info.FoundDlls);
#endif
}

// One examination; the flags word.
int Examine(const std::string &path, bool scan)
{
    ExeInfo info;
    std::memset(&info, 0, sizeof info);
    std::snprintf(info.Path, sizeof info.Path, "%s", path.c_str());
#if defined(_WIN32)
    int flags = GetExeInfo(&info, 1, scan ? 1 : 0);
#else
    loom::InitExeInfo(&info);
    PosixFileSource file(path.c_str());
    int flags = 0;
    if (file.ok()) {
        loom::ExeHooks hooks;
        hooks.isLead = loom::IsShiftJisLeadByte;
        flags = loom::ExamineExe(&info, file, true, scan, loom::kNoNameLimit, hooks);
    }
#endif
    FreeLists(info);
    return flags;
}

struct File {
    std::string path;
    std::uintmax_t size;
};

void Pass(const std::vector<File> &files, bool scan)
{
    double slowest = 0, total = 0;
    std::string slowestPath;
    std::uintmax_t bytes = 0;
    int pe = 0;
    for (const File &f : files) {
        auto start = Clock::now();
        int flags = Examine(f.path, scan);
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        total += seconds;
        bytes += f.size;
        pe += (flags & EXEINFO_PE) != 0;
        if (seconds > slowest) {
            slowest = seconds;
            slowestPath = f.path;
        }
    }
    std::printf("%-22s %6zu files (%d PE) in %6.2f s: %8.0f files/s, %7.1f MB/s; "
                "slowest %.1f ms: %s\n",
                scan ? "names + content scan:" : "names, no scan:", files.size(), pe, total,
                files.size() / total, bytes / total / 1e6, slowest * 1e3, slowestPath.c_str());
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<File> files;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        for (const auto &entry : std::filesystem::directory_iterator(argv[i], error)) {
            if (entry.is_regular_file())
                files.push_back({entry.path().string(), entry.file_size()});
        }
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: exeinfo_bench DIR...  (no files found)\n");
        return 2;
    }
    std::sort(files.begin(), files.end(), [](const File &a, const File &b) { return a.path < b.path; });
    std::uintmax_t bytes = 0;
    for (const File &f : files)
        bytes += f.size;
    std::printf("exeinfo_bench (%s): %zu files, %.1f MB\n",
#if defined(_WIN32)
                "GetExeInfo of loomlib.dll",
#else
                "portable core",
#endif
                files.size(), bytes / 1e6);
    // A first pass warms the file cache, so both timed passes read from it.
    for (const File &f : files)
        Examine(f.path, false);
    Pass(files, false);
    Pass(files, true);
    return 0;
}
