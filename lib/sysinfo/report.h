// The system information report: the bounded append that every report of
// the library is built with, the record of platform facts the report is
// made from, and the assembly of its text.  The facts are gathered on
// Windows (report_win.cpp); everything else here is portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sysinfo/cpu.h"
#include "sysinfo/messages.h"

namespace loom {

// Appends `piece` to the text in `buffer` when it fits whole: `used` counts
// the text's bytes plus one for its terminating NUL, and the piece goes in
// only when used + its length does not exceed `capacity`.  Returns whether
// it went in; otherwise the buffer and `used` stay as they were.
bool ReportAppend(char *buffer, int capacity, int &used, const std::string &piece);

// A report in a caller's buffer: it starts empty, takes pieces through
// ReportAppend, and stops for good at the first piece that does not fit, so
// it always ends after the last whole piece.  With no buffer or a capacity
// below 1 it is stopped from the start and writes nothing.
class ReportWriter {
public:
    ReportWriter(char *buffer, int capacity);
    // False once the report has stopped.
    bool Append(const std::string &piece);
    bool stopped() const { return stopped_; }

private:
    char *buffer_;
    int capacity_;
    int used_ = 1;
    bool stopped_;
};

// A directory and what CountDirectoryFiles found in it.
struct DirectoryFacts {
    std::string path;
    unsigned files = 0;
    std::uint64_t bytes = 0;
};

// Free and total amount of one kind of memory or of one volume.
struct SpaceFacts {
    std::uint64_t free = 0, total = 0;
};

// One logical drive.  Removable drives and CD-ROMs are never queried, so
// for them only `root` and `type` are set.
struct DriveFacts {
    std::string root;             // "C:\"
    unsigned type = 0;            // the platform's drive type
    bool hasVolume = false;       // the volume information could be read
    std::string fileSystem;
    // How the free space was read: not at all (query failed or missing),
    // in clusters (the early Windows 95 way), or in bytes.
    enum class Space { None, Clusters, Bytes } space = Space::None;
    std::uint32_t sectorsPerCluster = 0, bytesPerSector = 0;
    std::uint32_t freeClusters = 0, totalClusters = 0;
    SpaceFacts bytes;
};

// The platform's drive types the report distinguishes.
enum : unsigned {
    kDriveUnknown = 0,
    kDriveNoRoot = 1,
    kDriveRemovable = 2,
    kDriveFixed = 3,
    kDriveRemote = 4,
    kDriveCdRom = 5,
    kDriveRamDisk = 6,
};

// Whether a drive of this type may be asked for its volume and free space:
// never a removable drive or a CD-ROM, so no medium is touched.
inline bool DriveMayBeQueried(unsigned type)
{
    return type != kDriveRemovable && type != kDriveCdRom;
}

// Everything the report says, in its order.
struct SystemFacts {
    std::string osName;
    std::uint32_t major = 0, minor = 0, build = 0;
    std::string servicePack;
    std::string browserVersion;
    CpuName cpu;
    std::uint32_t clockHz = 0;    // 0: the clock could not be measured
    int l2CacheKb = -1;           // IntelL2CacheSize
    unsigned processors = 0;
    SpaceFacts physicalMemory, virtualMemory, pageFile;
    std::string systemLanguage, userLanguage;
    std::string keyboardLanguage, keyboardLayout;
    DirectoryFacts windowsDir, systemDir;
    std::string path;
    std::vector<DriveFacts> drives;
};

// The language identifier in a keyboard layout name ("00000411" gives
// 0x0411): the characters from the fifth on as a hexadecimal number, where
// a character that is no hexadecimal digit counts as 0 but keeps its place;
// the low 16 bits.
unsigned KeyboardLanguageId(const char *layoutName);

// The display text of a drive type (messages 14 to 20).
std::string DriveTypeName(unsigned type, TextFn text);

// Writes the report into `buffer`: 1 when all of it fitted, 0 when it
// stopped before a piece that did not fit (or writes nothing at all for no
// buffer or a capacity below 1).
int WriteReport(char *buffer, int capacity, const SystemFacts &facts, TextFn text);

#if defined(_WIN32)
// The files of `directory` that match `pattern` (joined as strCatPath
// joins), subdirectories not counted and not entered; their total size goes
// to `bytes` when it is given.  A directory that cannot be listed gives 0
// files and 0 bytes.
unsigned CountDirectoryFiles(const char *directory, const char *pattern, std::uint64_t *bytes);
#endif

} // namespace loom
