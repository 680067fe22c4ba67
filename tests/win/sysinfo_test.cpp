// The system information exports on a real (Wine) machine, called through
// the import library as a program of the suite calls them.  The machine's
// own names and numbers are not known here, so the report is checked for
// its form and for agreement with what the platform says directly.
// Japanese literals are Shift-JIS here, as the library's messages read.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "sysinfo/loomsys.h"
#include "sysinfo/report.h"
#include "util/loomutil.h"
#include "malloc_faults.h"
#include "win_test_util.h"

namespace {

using testsupport::CrLfLines;
using testsupport::InBin;
using testsupport::LibMessage;

std::string Report(int capacity = 32767, int *result = nullptr)
{
    std::vector<char> buffer(static_cast<std::size_t>(capacity) + 1, '\0');
    int r = LoomGetSystemInfo(buffer.data(), capacity);
    if (result)
        *result = r;
    return buffer.data();
}


// A size as the report writes it ("15.6 GB", "1,234 KB", "512 バイト") in
// bytes; -1 when the text is not a size.
double SizeBytes(const std::string &text)
{
    std::smatch m;
    if (!std::regex_match(text, m, std::regex(R"re(([0-9][0-9,]*(\.[0-9]+)?) (バイト|KB|MB|GB|TB))re")))
        return -1;
    std::string digits = m[1];
    digits.erase(std::remove(digits.begin(), digits.end(), ','), digits.end());
    const std::string units[] = {"バイト", "KB", "MB", "GB", "TB"};
    double scale = 1;
    for (const std::string &unit : units) {
        if (m[3] == unit)
            return std::atof(digits.c_str()) * scale;
        scale *= 1024;
    }
    return -1;
}

// "label<TAB>free/total (percent%)": the two sizes and the percentage.
struct Amounts { double free = -1, total = -1; int percent = -1; };
Amounts AmountsOf(const std::string &text)
{
    Amounts a;
    std::smatch m;
    if (std::regex_match(text, m, std::regex(R"re((?:[^\t]+\t)?([^/]+)/([^/]+) \((\d+)%\))re"))) {
        a.free = SizeBytes(m[1]);
        a.total = SizeBytes(m[2]);
        a.percent = std::stoi(m[3]);
    }
    return a;
}

// Files (not folders) directly in a folder, counted with the platform's own
// directory search.
int FilesIn(const std::string &dir)
{
    int files = 0;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((dir + "\\*").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return 0;
    do
        files += (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
    while (FindNextFileA(find, &entry));
    FindClose(find);
    return files;
}

// The Linux kernel's view of the processor (Wine runs the real CPUID), as
// "field: value" lines of the first processor in /proc/cpuinfo.
std::string CpuinfoField(const std::string &field)
{
    std::ifstream in("Z:\\proc\\cpuinfo");
    for (std::string line; std::getline(in, line) && !line.empty();) {
        const std::size_t colon = line.find(':');
        std::string name = line.substr(0, colon);
        name.erase(name.find_last_not_of(" \t") + 1);
        if (colon != std::string::npos && name == field)
            return line.substr(std::min(line.size(), colon + 2));
    }
    return "";
}

// The report against what the platform and the kernel say directly: the
// version, the browser's registry value, the processor of /proc/cpuinfo, the
// processor count, the memory totals, the keyboard layout, the file counts
// of the two directories, the search path and every drive in order.
TEST(LoomGetSystemInfo, ReportAgreesWithThePlatform)
{
    int result = -1;
    const std::vector<std::string> lines = CrLfLines(Report(32767, &result));
    ASSERT_EQ(1, result);
    ASSERT_GT(lines.size(), 20u);
    std::size_t i = 1;
    std::smatch m;

    EXPECT_EQ(0u, lines[i++].find("Microsoft Windows"));
    OSVERSIONINFOA os = {};
    os.dwOSVersionInfoSize = sizeof os;
    ASSERT_TRUE(GetVersionExA(&os));
    ASSERT_TRUE(std::regex_match(lines[i++], m, std::regex(R"re(Version (\d+)\.(\d{2,})\.(\d{4,}) (.*))re")))
        << lines[i - 1];
    EXPECT_EQ(os.dwMajorVersion, std::stoul(m[1]));
    EXPECT_EQ(os.dwMinorVersion, std::stoul(m[2]));
    EXPECT_EQ(os.dwBuildNumber & 0xFFFF, std::stoul(m[3]));
    EXPECT_EQ(os.szCSDVersion, m[4].str());
    EXPECT_EQ("Internet Explorer", lines[i++]);
    char browser[255] = "";
    DWORD size = sizeof browser;
    RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer", "Version",
                 RRF_RT_REG_SZ, nullptr, browser, &size);
    EXPECT_EQ(std::string("Version ") + browser, lines[i++]);

    // Name and signature fields of the processor.  An Intel part of family
    // 6 or 15 with a brand text is named by it; the report shows the base
    // family (15 for every extended one) and the low four bits of the model.
    const std::string vendor = CpuinfoField("vendor_id"), brand = CpuinfoField("model name");
    const int family = std::atoi(CpuinfoField("cpu family").c_str());
    const int model = std::atoi(CpuinfoField("model").c_str());
    const int stepping = std::atoi(CpuinfoField("stepping").c_str());
    ASSERT_FALSE(vendor.empty()) << "no /proc/cpuinfo";
    const std::string name = lines[i++];
    if (vendor == "GenuineIntel" && (family == 6 || family == 15) && brand.compare(0, 5, "Intel") == 0) {
        EXPECT_EQ(brand.substr(0, brand.find_last_not_of(' ') + 1),
                  name.substr(0, name.find_last_not_of(' ') + 1));
    }
    if (std::regex_match(lines[i], m, std::regex(R"re((\d+) MHz)re"))) {
        EXPECT_GE(std::stoi(m[1]), 50);
        EXPECT_LE(std::stoi(m[1]), 10000);
        ++i;
    }
    char fields[200];
    std::snprintf(fields, sizeof fields, "(%s Family %X Model %X Stepping %X)", vendor.c_str(),
                  std::min(family, 15), model & 0xF, stepping);
    EXPECT_EQ(fields, lines[i++]);
    if (lines[i].compare(0, 9, "L2 Cache=") == 0)
        ++i;

    SYSTEM_INFO system;
    GetSystemInfo(&system);
    const std::string processors = "\t" + std::to_string(system.dwNumberOfProcessors);
    EXPECT_EQ(lines[i].size() - processors.size(), lines[i].rfind(processors)) << lines[i];
    ++i;
    // Physical memory, the address space and the page file: free within
    // total, the percentage free; the physical total is the whole of it
    // even above 4 GB.
    MEMORYSTATUSEX memory = {};
    memory.dwLength = sizeof memory;
    ASSERT_TRUE(GlobalMemoryStatusEx(&memory));
    for (int k = 0; k < 3; ++k) {
        const Amounts a = AmountsOf(lines[i++]);
        ASSERT_GE(a.total, 0) << lines[i - 1];
        EXPECT_LE(a.free, a.total * 1.01) << lines[i - 1];
        EXPECT_LE(a.percent, 100) << lines[i - 1];
        if (k == 0) {
            EXPECT_NEAR(double(memory.ullTotalPhys), a.total, memory.ullTotalPhys * 0.01);
        }
    }

    // System and user language, then the keyboard with its layout name.
    for (int k = 0; k < 2; ++k) {
        EXPECT_TRUE(std::regex_match(lines[i++], std::regex("[^\t]+\t.+"))) << lines[i - 1];
    }
    char layout[KL_NAMELENGTH] = "";
    GetKeyboardLayoutNameA(layout);
    const std::string layoutEnd = std::string(" (") + layout + ")";
    EXPECT_EQ(lines[i].size() - layoutEnd.size(), lines[i].rfind(layoutEnd)) << lines[i];
    ++i;

    char windows[MAX_PATH] = "", systemDir[MAX_PATH] = "";
    GetSystemWindowsDirectoryA(windows, MAX_PATH);
    GetSystemDirectoryA(systemDir, MAX_PATH);
    for (const std::string &dir : {std::string(windows), std::string(systemDir)}) {
        const std::string start = (dir == windows ? "%Windows%=" : "%System%=") + dir + " : ";
        ASSERT_EQ(0u, lines[i].find(start)) << lines[i];
        EXPECT_EQ(FilesIn(dir), std::atoi(lines[i++].c_str() + start.size())) << dir;
    }
    char path[1024] = "";
    GetEnvironmentVariableA("PATH", path, sizeof path);
    EXPECT_EQ(std::string("%PATH%=") + path, lines[i++]);
    EXPECT_EQ("", lines[i++]);
    ++i; // the drives' heading

    // Every drive in the platform's order, named by its type; a fixed drive
    // takes a second line with its free space, a removable drive or CD-ROM
    // none.
    char roots[1024] = "";
    GetLogicalDriveStringsA(sizeof roots, roots);
    std::map<UINT, std::string> nameOf; // one name for each type, a different one for each
    std::set<std::string> names;
    for (const char *root = roots; *root; root += std::strlen(root) + 1) {
        ASSERT_LT(i, lines.size());
        const UINT type = GetDriveTypeA(root);
        ASSERT_EQ(0u, lines[i].find(std::string(root) + "\t")) << root;
        const std::string typeName = lines[i++].substr(std::strlen(root) + 1);
        const std::string name = typeName.substr(0, typeName.find(" ("));
        EXPECT_EQ(nameOf.emplace(type, name).first->second, name) << root;
        names.insert(name);
        if (type != DRIVE_REMOVABLE && type != DRIVE_CDROM) {
            const std::string free = lines[i++];
            ULARGE_INTEGER available, total, totalFree;
            if (!free.empty() && GetDiskFreeSpaceExA(root, &available, &total, &totalFree)) {
                const Amounts a = AmountsOf(free);
                EXPECT_NEAR(double(total.QuadPart), a.total, total.QuadPart * 0.01) << free;
            }
        }
    }
    EXPECT_EQ(nameOf.size(), names.size());
    EXPECT_EQ(std::vector<std::string>(2, ""),
              std::vector<std::string>(lines.begin() + i, lines.end()));
}

// A drive letter of a given type on a folder, made through Wine's mount
// manager (what winecfg does) and removed again.
class WineDrive {
public:
    WineDrive(char letter, unsigned type, const std::string &folder) : letter_(letter)
    {
        using UnixName = char *(CDECL *)(LPCWSTR);
        auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void *>(
            GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        std::wstring wide(folder.begin(), folder.end());
        char *target = unixName ? unixName(wide.c_str()) : nullptr;
        ok_ = target && Define(type, target);
        if (target)
            HeapFree(GetProcessHeap(), 0, target);
    }
    ~WineDrive()
    {
        if (ok_)
            Define(DRIVE_NO_ROOT_DIR, "");
    }
    bool ok() const { return ok_; }

private:
    // Wine's request to define or (with no folder) remove a drive.
    struct UnixDrive {
        ULONG size, type, fsType;
        DWORD serial;
        ULONGLONG unixDevice;
        WCHAR letter;
        USHORT mountPointOffset, deviceOffset, labelOffset;
    };

    bool Define(unsigned type, const std::string &target)
    {
        std::vector<char> request(sizeof(UnixDrive) + target.size() + 1, '\0');
        UnixDrive drive = {};
        drive.size = static_cast<ULONG>(request.size());
        drive.type = type;
        drive.letter = static_cast<WCHAR>(letter_);
        drive.mountPointOffset = target.empty() ? 0 : sizeof(UnixDrive);
        std::memcpy(request.data(), &drive, sizeof drive);
        std::memcpy(request.data() + sizeof drive, target.c_str(), target.size());
        HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                     0, nullptr);
        if (manager == INVALID_HANDLE_VALUE)
            return false;
        DWORD returned = 0;
        BOOL done = DeviceIoControl(manager, CTL_CODE(0x6D, 32, METHOD_BUFFERED,
                                                      FILE_READ_ACCESS | FILE_WRITE_ACCESS),
                                    request.data(), drive.size, nullptr, 0, &returned, nullptr);
        CloseHandle(manager);
        return done != FALSE;
    }

    char letter_;
    bool ok_ = false;
};

char FreeDriveLetter(char after)
{
    const DWORD used = GetLogicalDrives();
    for (char letter = after + 1; letter <= 'Y'; ++letter)
        if (!(used & (1u << (letter - 'A'))))
            return letter;
    return 0;
}

TEST(LoomGetSystemInfo, CdRomAndRemovableDrivesAreNotQueried)
{
    // Both drives hold a readable folder: a query would find a volume and
    // free space and the report would show them.
    const std::string folder = testsupport::ScratchDir("loom_media");
    // From T: on, clear of the R: that the path tests map for themselves.
    const char cdLetter = FreeDriveLetter('S'), floppyLetter = FreeDriveLetter(cdLetter);
    ASSERT_NE(0, cdLetter);
    ASSERT_NE(0, floppyLetter);
    WineDrive cd(cdLetter, DRIVE_CDROM, folder), floppy(floppyLetter, DRIVE_REMOVABLE, folder);
    ASSERT_TRUE(cd.ok() && floppy.ok()) << "Wine's mount manager refused the drives";
    const std::string cdRoot = std::string(1, cdLetter) + ":\\";
    const std::string floppyRoot = std::string(1, floppyLetter) + ":\\";
    ASSERT_EQ(static_cast<UINT>(DRIVE_CDROM), GetDriveTypeA(cdRoot.c_str()));
    ASSERT_EQ(static_cast<UINT>(DRIVE_REMOVABLE), GetDriveTypeA(floppyRoot.c_str()));
    ULARGE_INTEGER a, b, c;
    ASSERT_TRUE(GetDiskFreeSpaceExA(cdRoot.c_str(), &a, &b, &c)) << "the medium is readable";

    // One line each: the next line is the next drive's, or the end.
    const std::vector<std::string> lines = CrLfLines(Report());
    for (const std::string &expected :
         {cdRoot + "\t" + LibMessage(18), floppyRoot + "\t" + LibMessage(15)}) {
        auto line = std::find(lines.begin(), lines.end(), expected);
        ASSERT_NE(lines.end(), line) << expected;
        ASSERT_NE(lines.end(), line + 1);
        const std::string &next = line[1];
        EXPECT_TRUE(next.empty() || std::regex_search(next, std::regex("^[A-Z]:\\\\\t")))
            << expected << " is followed by " << next;
    }
}

// The report's PATH line for the search path `path`.
std::string PathLine(const std::string &path)
{
    std::vector<char> saved(32768, '\0');
    const DWORD had = GetEnvironmentVariableA("PATH", saved.data(), DWORD(saved.size()));
    SetEnvironmentVariableA("PATH", path.c_str());
    const std::vector<std::string> lines = CrLfLines(Report());
    SetEnvironmentVariableA("PATH", had ? saved.data() : nullptr);
    for (const std::string &line : lines)
        if (line.compare(0, 7, "%PATH%=") == 0)
            return line.substr(7);
    return "<no PATH line>";
}

TEST(LoomGetSystemInfo, LongSearchPathIsCutBetweenCharacters)
{
    // 日 and 本 in Shift-JIS; the report keeps the first 1,023 bytes.
    const std::string nichi = "\x93\xfa", hon = "\x96\x7b";
    struct Case {
        std::string path, shown;
    } cases[] = {
        {std::string(1022, 'a') + nichi + hon + std::string(2000, 'b'), std::string(1022, 'a')},
        {std::string(1021, 'a') + nichi + hon + "c", std::string(1021, 'a') + nichi},
        {std::string(1023, 'a') + "c", std::string(1023, 'a')},
        {"C:\\x;" + nichi + hon, "C:\\x;" + nichi + hon},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.shown, PathLine(c.path)) << c.path.size();
}

TEST(LoomGetSystemInfo, BadBuffersAndTinyCapacities)
{
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(0, LoomGetSystemInfo(nullptr, 100));
    EXPECT_EQ(0, LoomGetSystemInfo(buffer, 0));
    EXPECT_EQ(0, LoomGetSystemInfo(buffer, -1));
    EXPECT_EQ(std::string(64, 'x'), std::string(buffer, sizeof buffer));

    // Below the first line's length: an empty text, nothing past capacity.
    EXPECT_EQ(0, LoomGetSystemInfo(buffer, 8));
    EXPECT_EQ('\0', buffer[0]);
    EXPECT_EQ(std::string(56, 'x'), std::string(buffer + 8, 56));

    // Room for the first line alone.
    std::memset(buffer, 'x', sizeof buffer);
    const std::string first = LibMessage(4);
    EXPECT_EQ(0, LoomGetSystemInfo(buffer, static_cast<int>(first.size()) + 1));
    EXPECT_EQ(first, buffer);
}

TEST(GetCPUID, RecordIsWellFormed)
{
    CpuInfo cpu;
    std::memset(&cpu, 0xCD, sizeof cpu);
    ASSERT_EQ(1, GetCPUID(&cpu));
    const std::size_t name = strnlen(cpu.Name, sizeof cpu.Name);
    EXPECT_LT(name, sizeof cpu.Name);
    EXPECT_GT(name, 0u);
    ASSERT_EQ(12u, strnlen(cpu.Vendor, sizeof cpu.Vendor)) << "x86 has CPUID";
    for (int k = 0; k < 12; ++k)
        EXPECT_TRUE(cpu.Vendor[k] >= 0x20 && cpu.Vendor[k] < 0x7F) << k;
    EXPECT_EQ((cpu.Signature >> 8) & 0xF, cpu.Family);
    EXPECT_EQ((cpu.Signature >> 4) & 0xF, cpu.Model);
    EXPECT_EQ(cpu.Signature & 0xF, cpu.Stepping);
    // Neither the clock nor the reserved byte are written.
    EXPECT_EQ(0xCDCDCDCDu, cpu.ClockHz);
    EXPECT_EQ(0xCD, cpu.Reserved);

    EXPECT_EQ(0, GetCPUID(nullptr));
}

TEST(ProcessorFreq, PlausibleClockAndPrioritiesPutBack)
{
    HANDLE process = GetCurrentProcess(), thread = GetCurrentThread();
    ASSERT_TRUE(SetPriorityClass(process, BELOW_NORMAL_PRIORITY_CLASS));
    ASSERT_TRUE(SetThreadPriority(thread, THREAD_PRIORITY_LOWEST));
    CpuInfo cpu;
    std::memset(&cpu, 0xCD, sizeof cpu);
    const unsigned hertz = static_cast<unsigned>(ProcessorFreq(&cpu));
    EXPECT_EQ(static_cast<DWORD>(BELOW_NORMAL_PRIORITY_CLASS), GetPriorityClass(process));
    EXPECT_EQ(THREAD_PRIORITY_LOWEST, GetThreadPriority(thread));
    SetPriorityClass(process, NORMAL_PRIORITY_CLASS);
    SetThreadPriority(thread, THREAD_PRIORITY_NORMAL);

    EXPECT_EQ(hertz, cpu.ClockHz);
    EXPECT_GE(hertz, 50000000u);
    EXPECT_LE(hertz, 4294967295u);
    EXPECT_EQ(0xCD, static_cast<unsigned char>(cpu.Name[0])) << "only ClockHz is written";
    // Without a record the clock is only returned.
    EXPECT_NE(0, ProcessorFreq(nullptr));
}

TEST(IntelL2CacheSize, OneOfTheTableSizes)
{
    const int kb = IntelL2CacheSize();
    const int sizes[] = {-1, 0, 128, 256, 512, 1024, 2048};
    EXPECT_NE(std::end(sizes), std::find(std::begin(sizes), std::end(sizes), kb)) << kb;
}

TEST(ProcessorSN, TextOrUntouchedBuffer)
{
    CpuInfo cpu = {};
    GetCPUID(&cpu);
    char buffer[40];
    std::memset(buffer, 'x', sizeof buffer);
    if (ProcessorSN(buffer) == 1) {
        char start[16];
        std::snprintf(start, sizeof start, "%04X-%04X-", cpu.Signature >> 16,
                      cpu.Signature & 0xFFFF);
        EXPECT_TRUE(std::regex_match(std::string(buffer),
                                     std::regex("([0-9A-F]{4}-){5}[0-9A-F]{4}")))
            << buffer;
        EXPECT_EQ(0u, std::string(buffer).find(start));
        EXPECT_EQ('x', buffer[30]);
    } else {
        EXPECT_EQ(std::string(40, 'x'), std::string(buffer, sizeof buffer));
    }
    EXPECT_EQ(0, ProcessorSN(nullptr));
}

TEST(OSName, RecordsFilledByTheCaller)
{
    struct Case {
        DWORD platform, major, minor, build;
        std::string name;
    } cases[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 0x040A08AE, "Microsoft Windows 98 Second Edition"},
        {VER_PLATFORM_WIN32_NT, 6, 0, 6000, "Microsoft Windows Vista"},
        {VER_PLATFORM_WIN32s, 3, 10, 0, "Microsoft Windows 3.1 (Win32s)"},
        {7, 5, 1, 2600, LibMessage(11)},
    };
    for (const auto &c : cases) {
        OSVERSIONINFOA os = {};
        os.dwOSVersionInfoSize = sizeof os;
        os.dwPlatformId = c.platform;
        os.dwMajorVersion = c.major;
        os.dwMinorVersion = c.minor;
        os.dwBuildNumber = c.build;
        EXPECT_EQ(c.name, OSName(&os)) << c.platform << " " << c.major << "." << c.minor;
    }
    EXPECT_EQ(LibMessage(11), OSName(nullptr));
}

TEST(GetIEVersion, RegistryValueWithinTheBuffer)
{
    char expected[255];
    RegReadString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Internet Explorer", "Version",
                  expected, sizeof expected);
    char buffer[255];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(buffer, GetIEVersion(buffer, sizeof buffer));
    EXPECT_STREQ(expected, buffer);

    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(buffer, GetIEVersion(buffer, 0));
    EXPECT_EQ('x', buffer[0]);
    EXPECT_EQ(nullptr, GetIEVersion(nullptr, 10));
}

TEST(IsAdminRunning, AgreesWithTheTokenMembership)
{
    BYTE sid[SECURITY_MAX_SID_SIZE];
    DWORD size = sizeof sid;
    ASSERT_TRUE(CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size));
    BOOL member = FALSE;
    ASSERT_TRUE(CheckTokenMembership(nullptr, sid, &member));
    EXPECT_EQ(member ? 1 : 0, IsAdminRunning());
}

// A top-level window of this process for the instance search.
class TopWindow {
public:
    TopWindow(const std::string &caption, int show)
    {
        window_ = CreateWindowExA(0, "STATIC", caption.c_str(), WS_OVERLAPPEDWINDOW, 10, 10,
                                  200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (show != SW_HIDE)
            ShowWindow(window_, show);
    }
    ~TopWindow() { DestroyWindow(window_); }
    HWND get() const { return window_; }

private:
    HWND window_;
};

TEST(IsInvoked, FindsRestoresAndSkipsTheHelpWindow)
{
    {
        TopWindow running("LoomProbeApp - data.bin", SW_SHOWMINNOACTIVE);
        ASSERT_TRUE(IsIconic(running.get()));
        EXPECT_EQ(1, IsInvoked("LoomProbeApp"));
        EXPECT_FALSE(IsIconic(running.get())) << "a minimised instance is restored";
    }
    {
        // The program's help window is the only visible match.
        TopWindow help("LoomHelpOnly" + LibMessage(38).substr(2), SW_SHOWMINNOACTIVE);
        TopWindow hidden("LoomHelpOnly hidden", SW_HIDE);
        EXPECT_EQ(0, IsInvoked("LoomHelpOnly"));
        EXPECT_TRUE(IsIconic(help.get())) << "nothing was activated";
    }
    EXPECT_EQ(0, IsInvoked("LoomNoSuchWindow"));
    {
        // An empty title would match any window: it finds nothing.
        TopWindow any("LoomAnyWindow", SW_SHOWMINNOACTIVE);
        EXPECT_EQ(0, IsInvoked(""));
        EXPECT_TRUE(IsIconic(any.get()));
    }
    EXPECT_EQ(0, IsInvoked(nullptr));
}

TEST(CountDirectoryFiles, FilesOnlyNotSubdirectories)
{
    const std::string dir = testsupport::ScratchDir("loom_dircount");
    const std::string sub = dir + "\\sub";
    CreateDirectoryA(sub.c_str(), nullptr);
    CreateDirectoryA((dir + "\\sub2").c_str(), nullptr);
    const struct {
        std::string name;
        std::size_t size;
    } files[] = {{dir + "\\a.txt", 10}, {dir + "\\b.bin", 2000}, {dir + "\\c.txt", 0},
                 {sub + "\\inner.txt", 500}};
    for (const auto &f : files)
        std::ofstream(f.name, std::ios::binary) << std::string(f.size, 'z');
    const std::string onlyDirs = testsupport::ScratchDir("loom_dircount_dirs");
    CreateDirectoryA((onlyDirs + "\\x").c_str(), nullptr);

    struct Case {
        std::string directory, pattern;
        unsigned count;
        std::uint64_t bytes;
    } cases[] = {
        {dir, "*.*", 3, 2010},
        {dir + "\\", "*.*", 3, 2010},
        {dir, "*.txt", 2, 10},
        {sub, "*.*", 1, 500},
        {onlyDirs, "*.*", 0, 0},
        {dir + "\\missing", "*.*", 0, 0},
    };
    for (const auto &c : cases) {
        std::uint64_t bytes = 12345;
        EXPECT_EQ(c.count, loom::CountDirectoryFiles(c.directory.c_str(), c.pattern.c_str(), &bytes))
            << c.directory << " " << c.pattern;
        EXPECT_EQ(c.bytes, bytes) << c.directory << " " << c.pattern;
    }
    EXPECT_EQ(3u, loom::CountDirectoryFiles(dir.c_str(), "*.*", nullptr));
}

// Runs the probe program with Wine reporting `version` to it alone and
// returns its output lines.
std::vector<std::string> Probe(const std::string &version, const std::string &arguments = "")
{
    EXPECT_TRUE(testsupport::SetProgramWindowsVersion("sysinfo_probe.exe", version));
    const std::string output = testsupport::ScratchDir("loom_sysprobe") + "\\out.txt";
    DeleteFileA(output.c_str());
    const long code = testsupport::RunProgram("\"" + InBin("sysinfo_probe.exe") + "\" \"" +
                                              output + "\" " + arguments);
    testsupport::SetProgramWindowsVersion("sysinfo_probe.exe", "");
    EXPECT_EQ(0, code) << version << " " << arguments;
    std::ifstream in(output, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

TEST(IsValidOSEx, DecisionsUnderReportedWindowsVersions)
{
    char browser[255];
    GetIEVersion(browser, sizeof browser);
    ASSERT_GE(std::atof(browser), 4.71) << "the prefix's browser version '" << browser << "'";

    struct Case {
        const char *version;
        unsigned long platform, major, minor;
        const char *level0, *level1, *level2;
        const char *name;
    } cases[] = {
        {"win31", VER_PLATFORM_WIN32s, 3, 10, "0", "0", "0", "Microsoft Windows 3.1 (Win32s)"},
        {"win95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, "1", "1", "0", "Microsoft Windows 95"},
        {"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, "1", "1", "1", nullptr},
        {"nt351", VER_PLATFORM_WIN32_NT, 3, 51, "0", "0", "0", "Microsoft Windows NT 3.51"},
        {"nt40", VER_PLATFORM_WIN32_NT, 4, 0, "1", "0", "0", "Microsoft Windows NT 4"},
        {"win2k", VER_PLATFORM_WIN32_NT, 5, 0, "1", "1", "1", "Microsoft Windows 2000"},
        {"winxp", VER_PLATFORM_WIN32_NT, 5, 1, "1", "1", "1", "Microsoft Windows XP"},
    };
    for (const auto &c : cases) {
        std::vector<std::string> out = Probe(c.version);
        ASSERT_EQ(8u, out.size()) << c.version;
        ASSERT_EQ(std::to_string(c.platform), out[0]) << c.version << ": Wine did not report it";
        ASSERT_EQ(std::to_string(c.major), out[1]) << c.version;
        ASSERT_EQ(std::to_string(c.minor), out[2]) << c.version;
        EXPECT_EQ(c.level0, out[3]) << c.version << " level 0";
        EXPECT_EQ(c.level1, out[4]) << c.version << " level 1";
        EXPECT_EQ(c.level2, out[5]) << c.version << " level 2";
        // Platforms without security count everybody as administrator.
        if (c.platform != VER_PLATFORM_WIN32_NT) {
            EXPECT_EQ("1", out[6]) << c.version;
        }
        if (c.name)
            EXPECT_EQ(c.name, out[7]) << c.version;
        else
            EXPECT_EQ(0u, out[7].find("Microsoft Windows 98")) << c.version;
    }
}

TEST(IsValidOSEx, ErrorBoxSaysWhy)
{
    struct Case {
        const char *version, *mode;
        int level;
        unsigned message;
    } cases[] = {
        {"nt40", "box", 1, 35},
        {"nt351", "box", 0, 34},
        {"win95", "box", 2, 45},
        {"nt40", "os", 2, 45},
    };
    for (const auto &c : cases) {
        std::vector<std::string> out =
            Probe(c.version, std::string(c.mode) + " " + std::to_string(c.level));
        ASSERT_EQ(3u, out.size()) << c.version;
        EXPECT_EQ("0", out[0]) << c.version;
        EXPECT_EQ(LibMessage(33), out[1]) << c.version;
        EXPECT_EQ(LibMessage(c.message), out[2]) << c.version << " level " << c.level;
    }
    // A platform that meets the level shows nothing.
    std::vector<std::string> met = Probe("win2k", "box 2");
    ASSERT_EQ(3u, met.size());
    EXPECT_EQ("1", met[0]);
    EXPECT_EQ("", met[1]);
}

// With malloc failing inside loomlib.dll at each allocation of a call in
// turn (for the report, which measures the clock on every call, at the
// first, a middle and the last one), the exports give their documented
// failure and work again afterwards.
TEST(SysinfoGuard, RunningOutOfMemory)
{
    faults::MallocFaults faults(GetModuleHandleA("loomlib.dll"));
    ASSERT_TRUE(faults.Patched());
    CpuInfo cpu;
    char text[32767];
    const struct {
        const char *name;
        std::function<int()> call;  // 1 success, 0 the documented failure
        bool everyAllocation;
        long leastAllocations;
    } cases[] = {
        {"GetCPUID", [&] { return GetCPUID(&cpu); }, true, 1},
        {"IsInvoked", [] { return IsInvoked("LoomNoSuchWindow") == 0 ? 1 : -1; }, true, 1},
        {"IsValidOSEx", [] { return IsValidOSEx(0, 0); }, true, 0},
        {"LoomGetSystemInfo", [&] { return LoomGetSystemInfo(text, sizeof text); }, false, 20},
    };
    for (const auto &c : cases) {
        faults.FailCall(-1);
        ASSERT_EQ(1, c.call()) << c.name;
        const long n = faults.Calls();
        EXPECT_GE(n, c.leastAllocations) << c.name;
        std::vector<long> failing;
        for (long k = 0; k < n; ++k)
            if (c.everyAllocation || k == 0 || k == n / 2 || k == n - 1)
                failing.push_back(k);
        for (long k : failing) {
            faults.FailCall(k);
            const int result = c.call();
            faults.FailCall(-1);
            EXPECT_TRUE(result == 0 || result == 1) << c.name << " failing at " << k;
        }
        EXPECT_EQ(1, c.call()) << c.name << " after the faults";
    }
    // A report cut short by memory is still a terminated text.
    EXPECT_LT(std::strlen(text), sizeof text);
}

} // namespace
