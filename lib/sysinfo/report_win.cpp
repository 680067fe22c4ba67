// The system information report: the platform facts are gathered here, the
// text is assembled in report.cpp.
#include <windows.h>

#include <new>
#include <string>
#include <vector>

#include "sysinfo/cpu_win.h"
#include "sysinfo/loomsys.h"
#include "sysinfo/platform_win.h"
#include "sysinfo/report.h"
#include "util/boundary.h"
#include "util/libtext.h"
#include "util/mbcs.h"

namespace {

// The size platform calls are given for one value.
constexpr DWORD kValueBytes = 1024;
// The longest file-system name read.
constexpr DWORD kFileSystemBytes = 256;
// The longest browser version text read.
constexpr int kBrowserVersionBytes = 255;

using GetSystemWindowsDirectoryFn = UINT(WINAPI *)(LPSTR, UINT);
using GetDiskFreeSpaceExFn = BOOL(WINAPI *)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER,
                                           PULARGE_INTEGER);
using GlobalMemoryStatusExFn = BOOL(WINAPI *)(LPMEMORYSTATUSEX);

// A function of kernel32 that older systems lack, looked up by name.
template <class Fn>
Fn Kernel32Function(const char *name)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    return kernel ? reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(kernel, name)))
                  : nullptr;
}

// The text a platform call left in a zeroed buffer of kValueBytes; empty
// when it wrote nothing.
template <class Call>
std::string ValueText(Call call)
{
    char buffer[kValueBytes] = {};
    call(buffer, kValueBytes);
    buffer[kValueBytes - 1] = '\0';
    return buffer;
}

std::string LanguageName(LCID locale)
{
    return ValueText([&](char *buffer, DWORD size) {
        GetLocaleInfoA(locale, LOCALE_SLANGUAGE, buffer, static_cast<int>(size));
    });
}

// The Windows directory: the system-wide one where the platform has it (a
// terminal server gives each user a Windows directory of their own).
std::string WindowsDirectory(const loom::OsVersion &version)
{
    GetSystemWindowsDirectoryFn systemWide = nullptr;
    if (version.major >= 5)
        systemWide = Kernel32Function<GetSystemWindowsDirectoryFn>("GetSystemWindowsDirectoryA");
    return ValueText([&](char *buffer, DWORD size) {
        if (systemWide)
            systemWide(buffer, size);
        else
            GetWindowsDirectoryA(buffer, size);
    });
}

loom::DirectoryFacts Directory(std::string path)
{
    loom::DirectoryFacts dir;
    dir.path = std::move(path);
    dir.files = loom::CountDirectoryFiles(dir.path.c_str(), "*.*", &dir.bytes);
    return dir;
}

// PATH as far as its first 1,023 bytes go, never cutting a character.  It
// is read as UTF-16 and converted to the ANSI code page: Wine's ANSI call
// counts the double-byte value's length in UTF-16 units and cuts its end.
std::string SearchPath()
{
    DWORD needed = GetEnvironmentVariableW(L"PATH", nullptr, 0);
    if (needed == 0)
        return std::string();
    std::vector<wchar_t> wide(needed + 1, L'\0');
    DWORD length = GetEnvironmentVariableW(L"PATH", wide.data(), needed + 1);
    if (length == 0 || length > needed)
        return std::string();
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(length),
                                          nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return std::string();
    std::vector<char> value(static_cast<std::size_t>(bytes) + 1, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(length), value.data(), bytes,
                        nullptr, nullptr);
    char cut[kValueBytes];
    loom::CopyBounded(cut, value.data(), sizeof cut - 1, loom::SystemLeadByte);
    return cut;
}

void ReadMemory(loom::SystemFacts &facts)
{
    if (auto statusEx = Kernel32Function<GlobalMemoryStatusExFn>("GlobalMemoryStatusEx")) {
        MEMORYSTATUSEX status = {};
        status.dwLength = sizeof status;
        if (statusEx(&status)) {
            facts.physicalMemory = {status.ullAvailPhys, status.ullTotalPhys};
            facts.virtualMemory = {status.ullAvailVirtual, status.ullTotalVirtual};
            facts.pageFile = {status.ullAvailPageFile, status.ullTotalPageFile};
            return;
        }
    }
    // Older systems: the sizes of the 32-bit status.
    MEMORYSTATUS status = {};
    status.dwLength = sizeof status;
    GlobalMemoryStatus(&status);
    facts.physicalMemory = {status.dwAvailPhys, status.dwTotalPhys};
    facts.virtualMemory = {status.dwAvailVirtual, status.dwTotalVirtual};
    facts.pageFile = {status.dwAvailPageFile, status.dwTotalPageFile};
}

// Volume name and free space of one drive.  Called only for drives whose
// medium cannot be missing (never removable drives or CD-ROMs).
void QueryDrive(loom::DriveFacts &drive, const loom::OsVersion &version)
{
    char fileSystem[kFileSystemBytes] = {};
    if (GetVolumeInformationA(drive.root.c_str(), nullptr, 0, nullptr, nullptr, nullptr,
                              fileSystem, sizeof fileSystem)) {
        fileSystem[sizeof fileSystem - 1] = '\0';
        drive.hasVolume = true;
        drive.fileSystem = fileSystem;
    }
    const bool early95 =
        version.platform == loom::kPlatformWindows95 && (version.build & 0xFFFF) < 1000;
    if (early95) {
        DWORD sectors = 0, bytes = 0, freeClusters = 0, totalClusters = 0;
        if (GetDiskFreeSpaceA(drive.root.c_str(), &sectors, &bytes, &freeClusters,
                              &totalClusters)) {
            drive.space = loom::DriveFacts::Space::Clusters;
            drive.sectorsPerCluster = sectors;
            drive.bytesPerSector = bytes;
            drive.freeClusters = freeClusters;
            drive.totalClusters = totalClusters;
        }
        return;
    }
    // Without the 64-bit query the free-space piece is left out.
    auto freeSpaceEx = Kernel32Function<GetDiskFreeSpaceExFn>("GetDiskFreeSpaceExA");
    ULARGE_INTEGER available, total, totalFree;
    if (freeSpaceEx && freeSpaceEx(drive.root.c_str(), &available, &total, &totalFree)) {
        drive.space = loom::DriveFacts::Space::Bytes;
        drive.bytes = {totalFree.QuadPart, total.QuadPart};
    }
}

// Keeps the system from asking the user for a medium while drives are
// queried; the caller's mode is put back afterwards.
class QuietErrorMode {
public:
    QuietErrorMode() : old_(SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX)) {}
    QuietErrorMode(const QuietErrorMode &) = delete;
    QuietErrorMode &operator=(const QuietErrorMode &) = delete;
    ~QuietErrorMode() { SetErrorMode(old_); }

private:
    UINT old_;
};

std::vector<loom::DriveFacts> Drives(const loom::OsVersion &version)
{
    char list[kValueBytes + 1] = {};
    DWORD length = GetLogicalDriveStringsA(kValueBytes, list);
    if (length > kValueBytes)
        length = 0;
    QuietErrorMode quiet;
    std::vector<loom::DriveFacts> drives;
    for (const char *root = list; root < list + length && *root; root += lstrlenA(root) + 1) {
        loom::DriveFacts drive;
        drive.root = root;
        drive.type = GetDriveTypeA(root);
        if (loom::DriveMayBeQueried(drive.type))
            QueryDrive(drive, version);
        drives.push_back(std::move(drive));
    }
    return drives;
}

loom::SystemFacts GatherFacts()
{
    loom::SystemFacts facts;
    // The three snapshots every later value comes from.
    OSVERSIONINFOA os;
    const loom::OsVersion version = loom::ReadOsVersion(&os);
    ReadMemory(facts);
    SYSTEM_INFO system = {};
    GetSystemInfo(&system);

    facts.osName = OSName(&os);
    facts.major = os.dwMajorVersion;
    facts.minor = os.dwMinorVersion;
    facts.build = os.dwBuildNumber;
    os.szCSDVersion[sizeof os.szCSDVersion - 1] = '\0';
    facts.servicePack = os.szCSDVersion;

    char browser[kBrowserVersionBytes];
    facts.browserVersion = GetIEVersion(browser, sizeof browser);

    facts.cpu = loom::NameProcessor(loom::ReadCpuidFacts(), LoadLibText);
    facts.clockHz = static_cast<std::uint32_t>(ProcessorFreq(nullptr));
    facts.l2CacheKb = IntelL2CacheSize();
    facts.processors = system.dwNumberOfProcessors;

    facts.systemLanguage = LanguageName(GetSystemDefaultLCID());
    facts.userLanguage = LanguageName(GetUserDefaultLCID());
    char layout[KL_NAMELENGTH] = {};
    GetKeyboardLayoutNameA(layout);
    facts.keyboardLayout = layout;
    facts.keyboardLanguage = LanguageName(
        MAKELCID(static_cast<WORD>(loom::KeyboardLanguageId(layout)), SORT_DEFAULT));

    facts.windowsDir = Directory(WindowsDirectory(version));
    facts.systemDir = Directory(ValueText([](char *buffer, DWORD size) {
        GetSystemDirectoryA(buffer, size);
    }));
    facts.path = SearchPath();
    facts.drives = Drives(version);
    return facts;
}

} // namespace


extern "C" {

int __cdecl LoomGetSystemInfo(char *buffer, int capacity)
{
    if (!buffer || capacity <= 0)
        return 0;
    buffer[0] = '\0';
    return loom::CallGuarded(0, [&] {
        return loom::WriteReport(buffer, capacity, GatherFacts(), LoadLibText);
    });
}

} // extern "C"
