// Assembly of the system information report from a record of facts.
//
// The report is a sequence of pieces, each appended whole or not at all;
// the first piece that does not fit ends it.  Labels are the library's
// messages, lines end in CR LF, and a label and its value are separated by
// a TAB.
#include "sysinfo/report.h"

#include <cstring>

#include "util/text.h"

namespace loom {

bool ReportAppend(char *buffer, int capacity, int &used, const std::string &piece)
{
    // 64-bit sum: no overflow whatever the piece's length.
    if (static_cast<long long>(used) + static_cast<long long>(piece.size()) > capacity)
        return false;
    std::memcpy(buffer + used - 1, piece.data(), piece.size());
    used += static_cast<int>(piece.size());
    buffer[used - 1] = '\0';
    return true;
}

ReportWriter::ReportWriter(char *buffer, int capacity)
    : buffer_(buffer), capacity_(capacity), stopped_(!buffer || capacity < 1)
{
    if (!stopped_)
        buffer_[0] = '\0';
}

bool ReportWriter::Append(const std::string &piece)
{
    if (!stopped_ && !ReportAppend(buffer_, capacity_, used_, piece))
        stopped_ = true;
    return !stopped_;
}

unsigned KeyboardLanguageId(const char *layoutName)
{
    std::uint32_t value = 0;
    const std::size_t length = std::strlen(layoutName);
    for (std::size_t i = 4; i < length; ++i) {
        const char c = layoutName[i];
        unsigned digit = 0;
        if (c >= '0' && c <= '9')
            digit = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = unsigned(c - 'A' + 10);
        value = value * 16 + digit;
    }
    return value & 0xFFFF;
}

std::string DriveTypeName(unsigned type, TextFn text)
{
    switch (type) {
    case kDriveUnknown:
        return text(14);
    case kDriveRemovable:
        return text(15);
    case kDriveFixed:
        return text(16);
    case kDriveRemote:
        return text(17);
    case kDriveCdRom:
        return text(18);
    case kDriveRamDisk:
        return text(19);
    default: // no root directory, or a type this table does not know
        return text(20);
    }
}

namespace {

// The free share in percent as free / (total / 100), truncated; 0 when the
// total is below 100 and the divisor would be 0.
int Percent(const SpaceFacts &space)
{
    const std::uint64_t hundredth = space.total / 100;
    if (hundredth == 0)
        return 0;
    const std::uint64_t percent = space.free / hundredth;
    return percent > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(percent);
}

class ReportAssembly {
public:
    ReportAssembly(char *buffer, int capacity, const SystemFacts &facts, TextFn text)
        : out_(buffer, capacity), facts_(facts), text_(text)
    {
        for (unsigned unit = 0; unit < 5; ++unit)
            units_.names[unit] = text(46 + unit);
    }

    int Run()
    {
        return System() && Browser() && Processor() && Memory() && Languages() &&
                       Directories() && Drives() && Put("\r\n")
                   ? 1
                   : 0;
    }

private:
    bool Put(const std::string &piece) { return out_.Append(piece); }
    bool Message(unsigned id) { return Put(text_(id)); }
    std::string Size(std::uint64_t bytes) const { return FormatFileSize(bytes, units_); }

    bool System()
    {
        const SystemFacts &f = facts_;
        return Message(4) && Put(f.osName) &&
               Put(FormatText("\r\nVersion %u.%.2u.%.4u %s\r\n", unsigned(f.major),
                              unsigned(f.minor), unsigned(f.build & 0xFFFF),
                              f.servicePack.c_str()));
    }

    bool Browser()
    {
        return Put("Internet Explorer\r\nVersion ") && Put(facts_.browserVersion) && Put("\r\n");
    }

    bool Processor()
    {
        const SystemFacts &f = facts_;
        const CpuName &cpu = f.cpu;
        std::string piece =
            f.clockHz != 0
                ? FormatText("%s\r\n%u MHz\r\n(%s Family %X Model %X Stepping %X)\r\n",
                             cpu.name.c_str(), unsigned(f.clockHz / 1000000), cpu.vendor.c_str(),
                             cpu.family, cpu.model, cpu.stepping)
                : FormatText("%s\r\n(%s Family %X Model %X Stepping %X)\r\n", cpu.name.c_str(),
                             cpu.vendor.c_str(), cpu.family, cpu.model, cpu.stepping);
        if (!Put(piece))
            return false;
        // A family-15 part reports its cache size by model, whatever the
        // descriptor said, as long as the descriptor gave a size at all.
        if (f.l2CacheKb >= 0) {
            int kb = f.l2CacheKb;
            if (cpu.family == 15)
                kb = cpu.model < 2 ? 256 : 512;
            if (!Put(FormatText("L2 Cache=%d KB\r\n", kb)))
                return false;
        }
        return Message(44) && Put(FormatText("\t%u\r\n", f.processors));
    }

    bool MemoryLine(unsigned id, const SpaceFacts &space)
    {
        return Put(FormatText(text_(id), Size(space.free).c_str(), Size(space.total).c_str(),
                              Percent(space)));
    }

    bool Memory()
    {
        return MemoryLine(5, facts_.physicalMemory) && MemoryLine(6, facts_.virtualMemory) &&
               MemoryLine(7, facts_.pageFile);
    }

    bool Languages()
    {
        const SystemFacts &f = facts_;
        return Message(41) && Put("\t") && Put(f.systemLanguage) && Put("\r\n") &&
               Message(42) && Put("\t") && Put(f.userLanguage) && Put("\r\n") &&
               Message(43) && Put("\t") && Put(f.keyboardLanguage) && Put(" (") &&
               Put(f.keyboardLayout) && Put(")\r\n");
    }

    bool DirectoryCount(const DirectoryFacts &dir)
    {
        return Put(dir.path) &&
               Put(FormatText(text_(52), static_cast<int>(dir.files), Size(dir.bytes).c_str()));
    }

    bool Directories()
    {
        const SystemFacts &f = facts_;
        return Put("%Windows%=") && DirectoryCount(f.windowsDir) && Put("\r\n%System%=") &&
               DirectoryCount(f.systemDir) && Put("\r\n%PATH%=") && Put(f.path) &&
               Put("\r\n\r\n") && Message(8);
    }

    std::string FreeSpace(const DriveFacts &d) const
    {
        switch (d.space) {
        case DriveFacts::Space::Clusters: {
            const std::uint64_t cluster = std::uint64_t(d.sectorsPerCluster) * d.bytesPerSector;
            const int percent =
                d.totalClusters == 0
                    ? 0
                    : static_cast<int>(std::uint64_t(d.freeClusters) * 100 / d.totalClusters);
            return FormatText("%s/%s (%d%%)", Size(cluster * d.freeClusters).c_str(),
                              Size(cluster * d.totalClusters).c_str(), percent);
        }
        case DriveFacts::Space::Bytes:
            return FormatText("%s/%s (%d%%)", Size(d.bytes.free).c_str(),
                              Size(d.bytes.total).c_str(), Percent(d.bytes));
        case DriveFacts::Space::None:
        default:
            return std::string();
        }
    }

    bool Drive(const DriveFacts &d)
    {
        if (!Put(d.root) || !Put("\t") || !Put(DriveTypeName(d.type, text_)))
            return false;
        if (DriveMayBeQueried(d.type)) {
            if (d.hasVolume && !(Put(" (") && Put(d.fileSystem) && Put(")")))
                return false;
            if (!Put("\r\n") || !Put(FreeSpace(d)))
                return false;
        }
        return Put("\r\n");
    }

    bool Drives()
    {
        for (const DriveFacts &d : facts_.drives)
            if (!Drive(d))
                return false;
        return true;
    }

    ReportWriter out_;
    const SystemFacts &facts_;
    TextFn text_;
    SizeUnits units_;
};

} // namespace

int WriteReport(char *buffer, int capacity, const SystemFacts &facts, TextFn text)
{
    return ReportAssembly(buffer, capacity, facts, text).Run();
}

} // namespace loom
