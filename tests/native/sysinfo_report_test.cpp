// The system report's text from fake platform facts: the whole text of a
// known machine at every capacity from 0 up, the
// cache, clock and drive lines, and the keyboard-layout parse.  Buffers are
// exactly as large as the capacity given, so ASan sees any write past it.
#include "sysinfo/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "lib_messages.h"

namespace {

using namespace loom;
using testsupport::LibText;

constexpr std::uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024;

DriveFacts Drive(const char *root, unsigned type)
{
    DriveFacts d;
    d.root = root;
    d.type = type;
    return d;
}

DriveFacts FixedNtfs(const char *root, std::uint64_t free, std::uint64_t total)
{
    DriveFacts d = Drive(root, kDriveFixed);
    d.hasVolume = true;
    d.fileSystem = "NTFS";
    d.space = DriveFacts::Space::Bytes;
    d.bytes = {free, total};
    return d;
}

// A Windows XP machine of its time.
SystemFacts Machine()
{
    SystemFacts f;
    f.osName = "Microsoft Windows XP";
    f.major = 5;
    f.minor = 1;
    f.build = 2600;
    f.servicePack = "Service Pack 3";
    f.browserVersion = "6.0.2900.5512";
    f.cpu.name = "Intel Pentium III processor (Coppermine)";
    f.cpu.vendor = "GenuineIntel";
    f.cpu.signature = 0x68A;
    f.cpu.family = 6;
    f.cpu.model = 8;
    f.cpu.stepping = 0xA;
    f.clockHz = 866123456;
    f.l2CacheKb = 256;
    f.processors = 2;
    f.physicalMemory = {512 * MiB, 1 * GiB};
    f.virtualMemory = {2000000000, 2147352576};
    f.pageFile = {0, 50};
    f.systemLanguage = "日本語";
    f.userLanguage = "英語 (米国)";
    f.keyboardLanguage = "日本語";
    f.keyboardLayout = "00000411";
    f.windowsDir = {"C:\\WINDOWS", 120, 3 * MiB};
    f.systemDir = {"C:\\WINDOWS\\system32", 0, 0};
    f.path = "C:\\WINDOWS\\system32;C:\\WINDOWS";
    DriveFacts remote = Drive("Z:\\", kDriveRemote);
    f.drives = {Drive("A:\\", kDriveRemovable), FixedNtfs("C:\\", 10 * GiB, 40 * GiB),
                Drive("D:\\", kDriveCdRom), remote};
    return f;
}

const std::string kMachineReport =
    "システム情報:\r\n"
    "Microsoft Windows XP\r\n"
    "Version 5.01.2600 Service Pack 3\r\n"
    "Internet Explorer\r\n"
    "Version 6.0.2900.5512\r\n"
    "Intel Pentium III processor (Coppermine)\r\n"
    "866 MHz\r\n"
    "(GenuineIntel Family 6 Model 8 Stepping A)\r\n"
    "L2 Cache=256 KB\r\n"
    "CPU の数\t2\r\n"
    "物理メモリ (空き/総容量):\t512 MB/1.00 GB (50%)\r\n"
    "仮想メモリ (空き/総容量):\t1.86 GB/1.99 GB (93%)\r\n"
    "ページファイル (空き/総容量):\t0 バイト/50.0 バイト (0%)\r\n"
    "システム言語\t日本語\r\n"
    "ユーザー言語\t英語 (米国)\r\n"
    "キーボード レイアウト\t日本語 (00000411)\r\n"
    "%Windows%=C:\\WINDOWS : 120 個、3.00 MBのファイル\r\n"
    "%System%=C:\\WINDOWS\\system32 : 0 個、0 バイトのファイル\r\n"
    "%PATH%=C:\\WINDOWS\\system32;C:\\WINDOWS\r\n"
    "\r\n"
    "ドライブの情報 (空き/総容量):\r\n"
    "A:\\\tリムーバブル ドライブ\r\n"
    "C:\\\tローカル ディスク (NTFS)\r\n"
    "10.0 GB/40.0 GB (25%)\r\n"
    "D:\\\tCD-ROM/DVD-ROM ドライブ\r\n"
    "Z:\\\tネットワーク ドライブ\r\n"
    "\r\n"
    "\r\n";

struct Written {
    int result;
    std::string text;
};

// Runs the report into a buffer of exactly `capacity` bytes, checks that the
// text is terminated inside it, and returns result and text.
Written Write(const SystemFacts &facts, int capacity)
{
    std::vector<char> buffer(static_cast<std::size_t>(capacity), '\x7F');
    Written w;
    w.result = WriteReport(buffer.data(), capacity, facts, LibText);
    auto nul = std::find(buffer.begin(), buffer.end(), '\0');
    EXPECT_NE(buffer.end(), nul) << "no NUL within capacity " << capacity;
    w.text.assign(buffer.begin(), nul);
    return w;
}

std::string FullText(const SystemFacts &facts)
{
    std::vector<char> buffer(65536);
    EXPECT_EQ(1, WriteReport(buffer.data(), int(buffer.size()), facts, LibText));
    return buffer.data();
}

// Every capacity from 1 up gives a prefix of the whole text, terminated
// within the capacity, of whole pieces: one byte short leaves out only the
// final CR LF, room up to the memory lines ends after the page-file line,
// less room than the first line gives an empty text.  No buffer or no room:
// nothing is written at all.
TEST(WriteReport, EveryCapacityGivesAWholePiecePrefix)
{
    const std::string full = FullText(Machine());
    ASSERT_EQ(kMachineReport, full);
    std::size_t previous = 0;
    for (int capacity = 1; capacity <= int(full.size()) + 1; ++capacity) {
        Written w = Write(Machine(), capacity);
        ASSERT_EQ(capacity == int(full.size()) + 1 ? 1 : 0, w.result) << capacity;
        ASSERT_LT(w.text.size(), std::size_t(capacity));
        ASSERT_EQ(full.substr(0, w.text.size()), w.text) << capacity;
        ASSERT_GE(w.text.size(), previous) << capacity;
        previous = w.text.size();
    }
    const std::string first = LibText(4);
    const std::string pageLine = "ページファイル (空き/総容量):\t0 バイト/50.0 バイト (0%)\r\n";
    const std::size_t afterPage = full.find(pageLine) + pageLine.size();
    const struct {
        std::size_t capacity, length;
    } cases[] = {
        {full.size() + 1, full.size()}, {full.size(), full.size() - 2},
        {afterPage + 1, afterPage},     {first.size() + 1, first.size()},
        {first.size(), 0},              {5, 0},
        {2, 0},                         {1, 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(full.substr(0, c.length), Write(Machine(), int(c.capacity)).text) << c.capacity;

    char sentinel[4] = {'x', 'y', 'z', '\0'};
    EXPECT_EQ(0, WriteReport(sentinel, 0, Machine(), LibText));
    EXPECT_EQ(0, WriteReport(sentinel, -5, Machine(), LibText));
    EXPECT_STREQ("xyz", sentinel);
    EXPECT_EQ(0, WriteReport(nullptr, 100, Machine(), LibText));
}

// The text between the processor piece and the CPU count line.
std::string CacheLine(const std::string &report)
{
    std::size_t from = report.find("Stepping");
    from = report.find("\r\n", from) + 2;
    return report.substr(from, report.find("CPU の数") - from);
}

TEST(WriteReport, SecondLevelCacheLine)
{
    struct Case {
        unsigned family, model;
        int l2;
        std::string line;
    } cases[] = {
        {6, 8, 256, "L2 Cache=256 KB\r\n"},
        {6, 5, 0, "L2 Cache=0 KB\r\n"},
        {6, 5, -1, ""},
        {15, 0, 0, "L2 Cache=256 KB\r\n"},
        {15, 1, 2048, "L2 Cache=256 KB\r\n"},
        {15, 2, 128, "L2 Cache=512 KB\r\n"},
        {15, 3, 1024, "L2 Cache=512 KB\r\n"},
        {15, 1, -1, ""},
        {15, 3, -1, ""},
    };
    for (const auto &c : cases) {
        SystemFacts f = Machine();
        f.cpu.family = c.family;
        f.cpu.model = c.model;
        f.l2CacheKb = c.l2;
        EXPECT_EQ(c.line, CacheLine(FullText(f)))
            << "family " << c.family << " model " << c.model << " l2 " << c.l2;
    }
}

TEST(WriteReport, ProcessorPieceWithAndWithoutClock)
{
    SystemFacts f = Machine();
    f.clockHz = 0;
    f.cpu.name = "不明なプロセッサ (CPUID=0xA20F12)";
    f.cpu.vendor = "AuthenticAMD";
    f.cpu.family = 15;
    f.cpu.model = 1;
    f.cpu.stepping = 2;
    std::string text = FullText(f);
    EXPECT_NE(std::string::npos,
              text.find("Version 6.0.2900.5512\r\n不明なプロセッサ (CPUID=0xA20F12)\r\n"
                        "(AuthenticAMD Family F Model 1 Stepping 2)\r\nL2"));
    EXPECT_EQ(std::string::npos, text.find("MHz"));

    // A clock above 2.1 GHz still reads as a positive number of MHz.
    f.clockHz = 3500999999u;
    EXPECT_NE(std::string::npos, FullText(f).find(")\r\n3500 MHz\r\n(AuthenticAMD"));
}

// The lines of the drive part, after its heading and before the final CR LF.
std::string DriveLines(const DriveFacts &drive)
{
    SystemFacts f = Machine();
    f.drives = {drive};
    std::string text = FullText(f);
    const std::string heading = "ドライブの情報 (空き/総容量):\r\n";
    std::size_t from = text.find(heading) + heading.size();
    return text.substr(from, text.size() - 2 - from);
}

TEST(WriteReport, DriveLines)
{
    DriveFacts noVolume = FixedNtfs("C:\\", 1 * GiB, 4 * GiB);
    noVolume.hasVolume = false;
    DriveFacts failedSpace = FixedNtfs("E:\\", 0, 0);
    failedSpace.space = DriveFacts::Space::None;
    DriveFacts remote = FixedNtfs("N:\\", 300 * MiB, 1000 * MiB);
    remote.type = kDriveRemote;
    remote.fileSystem = "SMB";
    DriveFacts clusters = Drive("C:\\", kDriveFixed);
    clusters.hasVolume = true;
    clusters.fileSystem = "FAT";
    clusters.space = DriveFacts::Space::Clusters;
    clusters.sectorsPerCluster = 8;
    clusters.bytesPerSector = 512;
    clusters.freeClusters = 1000;
    clusters.totalClusters = 4000;
    DriveFacts emptyVolume = clusters;
    emptyVolume.freeClusters = emptyVolume.totalClusters = 0;
    // Facts a removable drive or CD-ROM never gets are not printed for it.
    DriveFacts cdrom = FixedNtfs("D:\\", 1, 700 * MiB);
    cdrom.type = kDriveCdRom;
    DriveFacts floppy = FixedNtfs("A:\\", 1, 2);
    floppy.type = kDriveRemovable;
    DriveFacts ram = FixedNtfs("R:\\", 64, 99);
    ram.type = kDriveRamDisk;
    DriveFacts odd = Drive("Q:\\", 9);

    struct Case {
        DriveFacts drive;
        std::string lines;
    } cases[] = {
        {FixedNtfs("C:\\", 10 * GiB, 40 * GiB), "C:\\\tローカル ディスク (NTFS)\r\n10.0 GB/40.0 GB (25%)\r\n"},
        {noVolume, "C:\\\tローカル ディスク\r\n1.00 GB/4.00 GB (25%)\r\n"},
        {failedSpace, "E:\\\tローカル ディスク (NTFS)\r\n\r\n"},
        {remote, "N:\\\tネットワーク ドライブ (SMB)\r\n300 MB/0.97 GB (30%)\r\n"},
        {clusters, "C:\\\tローカル ディスク (FAT)\r\n3.90 MB/15.6 MB (25%)\r\n"},
        {emptyVolume, "C:\\\tローカル ディスク (FAT)\r\n0 バイト/0 バイト (0%)\r\n"},
        {cdrom, "D:\\\tCD-ROM/DVD-ROM ドライブ\r\n"},
        {floppy, "A:\\\tリムーバブル ドライブ\r\n"},
        // A total below 100 bytes: the percentage divisor would be 0.
        {ram, "R:\\\tRAM ディスク (NTFS)\r\n64.0 バイト/99.0 バイト (0%)\r\n"},
        {odd, "Q:\\\t(ドライブがありません)\r\n\r\n"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.lines, DriveLines(c.drive)) << c.drive.root << " type " << c.drive.type;
}

TEST(WriteReport, ZeroMemoryTotalsWriteZeroPercent)
{
    SystemFacts f = Machine();
    f.physicalMemory = {0, 0};
    f.virtualMemory = {5, 0};
    EXPECT_NE(std::string::npos,
              FullText(f).find("物理メモリ (空き/総容量):\t0 バイト/0 バイト (0%)\r\n"
                               "仮想メモリ (空き/総容量):\t5.00 バイト/0 バイト (0%)\r\n"));
}

TEST(KeyboardLanguageId, CharactersFromTheFifthOn)
{
    struct Case {
        const char *layout;
        unsigned id;
    } cases[] = {
        {"00000411", 0x0411}, {"00000409", 0x0409}, {"00010409", 0x0409},
        {"E0010411", 0x0411}, {"0000e001", 0xE001}, {"abcdEF12", 0xEF12},
        {"0000041Z", 0x0410}, // Z counts as 0 and keeps its place
        {"0000 411", 0x0411}, {"000004110", 0x4110}, {"0411", 0}, {"", 0},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.id, KeyboardLanguageId(c.layout)) << c.layout;
}

// Every type has a name of its own; a type past the table reads as "no
// drive", like type 1.
TEST(DriveTypeName, EveryType)
{
    std::set<std::string> names;
    for (unsigned type = 0; type <= 6; ++type)
        names.insert(DriveTypeName(type, LibText));
    EXPECT_EQ(7u, names.size());
    EXPECT_EQ(0u, names.count(""));
    for (unsigned type : {7u, 8u, 100u})
        EXPECT_EQ(DriveTypeName(1, LibText), DriveTypeName(type, LibText)) << type;
}

TEST(ReportAppend, WholePiecesOnly)
{
    struct Case {
        int capacity, used;
        std::string piece;
        bool fits;
    } cases[] = {
        {10, 1, "123456789", true},  // fills the buffer to its last byte
        {10, 1, "1234567890", false},
        {10, 10, "", true},
        {10, 10, "x", false},
        {-1, 1, "", false},          // the comparison is signed
        {0, 1, "", false},
    };
    for (const auto &c : cases) {
        std::vector<char> buffer(std::size_t(std::max(c.capacity, 1)), '\0');
        int used = c.used;
        const int before = used;
        EXPECT_EQ(c.fits, ReportAppend(buffer.data(), c.capacity, used, c.piece))
            << c.capacity << " " << c.used << " '" << c.piece << "'";
        EXPECT_EQ(c.fits ? before + int(c.piece.size()) : before, used);
    }
}

TEST(ReportWriter, StopsForGoodAtTheFirstPieceThatDoesNotFit)
{
    char buffer[8];
    ReportWriter out(buffer, sizeof buffer);
    EXPECT_TRUE(out.Append("abc"));
    EXPECT_FALSE(out.Append("defgh"));
    // A smaller piece would fit, but the report has ended.
    EXPECT_FALSE(out.Append("d"));
    EXPECT_TRUE(out.stopped());
    EXPECT_STREQ("abc", buffer);
}

} // namespace
