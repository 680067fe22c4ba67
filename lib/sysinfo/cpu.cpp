// Processor naming.  The name starts as message 27 with the signature; the
// family then picks a vendor's table, and for Intel parts the brand index,
// the second-level cache size and the processor's own brand text refine it.
// Families without a table (7 to 14, and 15 of other vendors) keep message
// 27.
#include "sysinfo/cpu.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

namespace loom {

namespace {

struct ModelName {
    unsigned model;
    const char *name;
};

// The name of `model` in a vendor's list, or null when it is not listed.
const char *ByModel(const ModelName *table, std::size_t count, unsigned model)
{
    for (std::size_t i = 0; i < count; ++i)
        if (table[i].model == model)
            return table[i].name;
    return nullptr;
}

template <std::size_t N>
void NameByModel(std::string &name, const ModelName (&table)[N], unsigned model)
{
    if (const char *found = ByModel(table, N, model))
        name = found;
}

const ModelName kIntel486[] = {
    {0, "Intel 80486DX processor"},     {1, "Intel 80486DX processor"},
    {2, "Intel 80486SX processor"},     {3, "Intel 80486DX2 processor"},
    {4, "Intel 80486SL processor"},     {5, "Intel 80486SX2 processor"},
    {7, "Intel Writeback Enhanced DX2 processor"},
    {8, "Intel DX4 processor"},         {9, "Intel DX4 processor"},
};
const ModelName kCyrix486[] = {
    {4, "Cyrix MediaGX processor"},
    {9, "Cyrix 5x86 processor"},
};
const ModelName kAmd486[] = {
    {3, "AMD 486DX2/DX4 processor"},  {7, "AMD 486DX2/DX4 processor"},
    {8, "AMD 486DX2/DX4 processor"},  {9, "AMD 486DX2/DX4 processor"},
    {14, "AMD 5x86 processor"},       {15, "AMD 5x86 processor"},
};
const ModelName kAmd586[] = {
    {0, "AMD K5 processor"},  {1, "AMD K5 processor"}, {2, "AMD K5 processor"},
    {3, "AMD K5 processor"},  {4, "AMD K5 processor"}, {5, "AMD K5 processor"},
    {6, "AMD K6 processor (166 - 233 MHz)"},
    {7, "AMD K6 processor (266 - 300 MHz)"},
    {8, "AMD K6-2 processor"},
    {9, "AMD K6-III processor (Sharptooth)"},
    {13, "AMD K6-2+/K6-III+ processor"},
};
const ModelName kCentaur586[] = {
    {4, "IDT C6 processor"},
    {8, "IDT WinChip 2 processor (C6-2)"},
    {9, "IDT WinChip 3 processor"},
};
const ModelName kAmd686[] = {
    {1, "AMD Athron processor"}, {2, "AMD Athron processor"},
    {3, "AMD Duron processor"},  {4, "AMD Athron processor"},
    {8, "AMD Athron processor"},
};

// Intel family 5 by the signature without its stepping bits (the type bits
// 12-13 stay, so OverDrive parts differ).
const ModelName kIntel586[] = {
    {0x510, "Intel Pentium processor (60/66MHz)"},
    {0x520, "Intel Pentium processor (75 - 200MHz)"},
    {0x540, "Intel MMX Pentium processor (166/200MHz)"},
    {0x1510, "Intel Pentium processor (60/66MHz) Overdrive"},
    {0x1520, "Intel Pentium processor (75 - 200MHz) Overdrive"},
    {0x1530, "Intel Pentium processor Overdrive for 486"},
    {0x1540, "Intel MMX Pentium processor Overdirve for Pentium(75 - 133MHz)"},
};

bool IsVendor(const std::string &vendor, const char *text)
{
    return vendor == text;
}

// The brand text up to its first NUL (it fills all 48 bytes at most).
std::string BrandText(const CpuidFacts &facts)
{
    return std::string(facts.brand, strnlen(facts.brand, sizeof facts.brand));
}

// The brand index where the processor reports one: leaf 1 exists only when
// leaf 0 says so.
unsigned BrandIndex(const CpuidFacts &facts)
{
    return facts.maxLeaf >= 1 ? (facts.leaf1Ebx & 0xFF) : 0;
}

void ApplyBrandIndex(std::string &name, const CpuidFacts &facts)
{
    if (const char *named =
            BrandIndexName(BrandIndex(facts), static_cast<std::int32_t>(facts.signature)))
        name = named;
}

void NameFamily4(std::string &name, const std::string &vendor, unsigned model, TextFn text)
{
    if (IsVendor(vendor, "GenuineIntel")) {
        name = text(28);
        NameByModel(name, kIntel486, model);
    } else if (IsVendor(vendor, "CyrixInstead")) {
        name = text(29);
        NameByModel(name, kCyrix486, model);
    } else if (IsVendor(vendor, "AuthenticAMD")) {
        name = text(30);
        NameByModel(name, kAmd486, model);
    } else if (IsVendor(vendor, "UMC UMC UMC ")) {
        name = text(31);
    }
}

void NameFamily5(std::string &name, const std::string &vendor, const CpuidFacts &facts,
                 unsigned model)
{
    if (IsVendor(vendor, "GenuineIntel")) {
        name = "Intel Pentium processor";
        NameByModel(name, kIntel586, facts.signature & 0xFFF0);
    } else if (IsVendor(vendor, "AuthenticAMD")) {
        NameByModel(name, kAmd586, model);
    } else if (IsVendor(vendor, "CentaurHauls")) {
        NameByModel(name, kCentaur586, model);
    } else if (IsVendor(vendor, "CyrixInstead")) {
        name = "Cyrix Cx6x86/GXm processor";
    } else if (IsVendor(vendor, "NexGenDriven")) {
        name = "NexGen Nx586 processor";
    } else if (IsVendor(vendor, "GenuineTMx86")) {
        name = "Transmeta Crusoe processor";
    } else if (IsVendor(vendor, "RiseRiseRise")) {
        name = "Rise iDragon/iDragon II processor";
    }
}

void NameIntelFamily6(std::string &name, const CpuidFacts &facts)
{
    name = "Intel Pentium Pro/II/III processor";
    const int cache = facts.l2CacheKb;
    switch (facts.signature & 0xFFF0) {
    case 0x610:
        name = "Intel Pentium Pro processor";
        break;
    case 0x630:
        name = "Intel Pentium II processor (Klamath, 233/266/300MHz)";
        break;
    case 0x650:
        if (cache == 0)
            name = "Intel Celeron processor";
        else if (cache == 1024 || cache == 2048)
            name = "Intel Pentium II Xeon processor (Deschutes)";
        else
            name = "Intel Pentium II (Deschutes)/Xeon processor";
        break;
    case 0x660:
        name = cache == 128 ? "Intel Celeron processor (Mendocino)"
                            : "Intel Pentium II PE processor (Mendocino)";
        break;
    case 0x670:
        name = cache > 512 ? "Intel Pentium III Xeon processor (Katmai)"
                           : "Intel Pentium III (Katmai)/Xeon processor";
        break;
    case 0x680:
        ApplyBrandIndex(name, facts);
        name += " (Coppermine)";
        break;
    case 0x6A0:
        ApplyBrandIndex(name, facts);
        name += " (Cascades)";
        break;
    case 0x6B0:
        ApplyBrandIndex(name, facts);
        break;
    case 0x1630:
        name = "Intel Pentium II processor Overdrive (Klamath, 233/266/300MHz)";
        break;
    default:
        break;
    }
    // The processor's own brand text wins when it is an Intel one.
    if (std::memcmp(facts.brand, "Intel", 5) == 0)
        name = BrandText(facts);
}

void NameFamily6(std::string &name, const std::string &vendor, const CpuidFacts &facts,
                 unsigned model, TextFn text)
{
    if (IsVendor(vendor, "GenuineIntel")) {
        NameIntelFamily6(name, facts);
    } else if (IsVendor(vendor, "AuthenticAMD")) {
        name = "AMD Athron/Duron processor";
        NameByModel(name, kAmd686, model);
    } else if (IsVendor(vendor, "CyrixInstead")) {
        name.clear();
        if (model == 0)
            name = text(32);
        else if (model == 5)
            name = "VIA Cyrix III processor (Joshua)";
    } else if (IsVendor(vendor, "CentaurHauls")) {
        name = "VIA Cyrix III processor (Samuel)";
    } else if (IsVendor(vendor, "GenuineTMx86")) {
        name = "Transmeta Crusoe processor";
    }
}

void NameFamily15(std::string &name, const std::string &vendor, const CpuidFacts &facts)
{
    if (!IsVendor(vendor, "GenuineIntel"))
        return;
    name = "Intel Pentium 4/Xeon processor";
    ApplyBrandIndex(name, facts);
    std::string brand = BrandText(facts);
    if (!brand.empty())
        name = brand.substr(std::min(brand.find_first_not_of(' '), brand.size()));
}

} // namespace

const char *BrandIndexName(unsigned index, std::int32_t signature)
{
    switch (index) {
    case 1:
    case 10:
        return "Intel Celeron processor";
    case 2:
    case 4:
        return "Intel Pentium III processor";
    case 3:
        return signature == 0x6B1 ? "Intel Celeron processor" : "Intel Pentium III Xeon processor";
    case 6:
        return "Mobile Intel Pentium III processor-M";
    case 7:
    case 15:
        return "Mobile Intel Celeron processor";
    case 8:
        return signature >= 0xF13 ? "Intel Genuine processor" : "Intel Pentium 4 processor";
    case 9:
        return "Intel Pentium 4 processor";
    case 11:
        return signature < 0xF13 ? "Intel Xeon processor MP" : "Intel Xeon processor";
    case 12:
        return "Intel Xeon processor MP";
    case 14:
        return signature < 0xF13 ? "Intel Xeon processor" : "Mobile Intel Pentium 4 processor-M";
    default: // 0, 5, 13 and everything above 15
        return nullptr;
    }
}

int L2CacheFromDescriptor(unsigned descriptor)
{
    switch (descriptor) {
    case 0x40:
        return 0;
    case 0x39: case 0x3B: case 0x41: case 0x79:
        return 128;
    case 0x3C: case 0x42: case 0x7A: case 0x82:
        return 256;
    case 0x43: case 0x7B: case 0x83: case 0x86:
        return 512;
    case 0x44: case 0x7C: case 0x84: case 0x87:
        return 1024;
    case 0x45: case 0x85:
        return 2048;
    default:
        return -1;
    }
}

CpuName NameProcessor(const CpuidFacts &facts, TextFn text)
{
    CpuName cpu;
    if (facts.support == CpuidSupport::Present) {
        cpu.vendor.assign(facts.vendor, sizeof facts.vendor);
        cpu.signature = facts.signature;
        cpu.family = (facts.signature >> 8) & 0xF;
    } else {
        cpu.family = facts.support == CpuidSupport::None386 ? 3 : 4;
    }
    cpu.model = (cpu.signature >> 4) & 0xF;
    cpu.stepping = cpu.signature & 0xF;

    cpu.name = FormatText(text(27), static_cast<unsigned>(cpu.signature));
    switch (cpu.family) {
    case 3:
        cpu.name = "Intel 80386 processor";
        break;
    case 4:
        NameFamily4(cpu.name, cpu.vendor, cpu.model, text);
        break;
    case 5:
        NameFamily5(cpu.name, cpu.vendor, facts, cpu.model);
        break;
    case 6:
        NameFamily6(cpu.name, cpu.vendor, facts, cpu.model, text);
        break;
    case 15:
        NameFamily15(cpu.name, cpu.vendor, facts);
        break;
    default:
        break;
    }
    return cpu;
}

std::string SerialNumberText(std::uint32_t signature, std::uint32_t edx, std::uint32_t ecx)
{
    return FormatText("%04X-%04X-%04X-%04X-%04X-%04X", unsigned(signature >> 16),
                      unsigned(signature & 0xFFFF), unsigned(edx >> 16), unsigned(edx & 0xFFFF),
                      unsigned(ecx >> 16), unsigned(ecx & 0xFFFF));
}

namespace {

// Ticks over seconds as a whole number of hertz.  Converting a double that
// does not fit the target type is undefined, so the range is checked first.
std::uint32_t Hertz(std::uint64_t t0, std::uint64_t t1, double seconds)
{
    if (!(seconds > 0))
        return 0;
    double hertz = static_cast<double>(t1 - t0) / seconds;
    if (!std::isfinite(hertz) || hertz >= 4294967295.0)
        return std::numeric_limits<std::uint32_t>::max();
    return hertz > 0 ? static_cast<std::uint32_t>(hertz) : 0;
}

} // namespace

std::uint32_t ClockFromCounter(std::int64_t a, std::int64_t b, std::int64_t c,
                               std::int64_t frequency, std::uint64_t t0, std::uint64_t t1)
{
    if (frequency <= 0)
        return 0;
    double ticks = static_cast<double>(c - b) - static_cast<double>(b - a);
    return Hertz(t0, t1, ticks / static_cast<double>(frequency));
}

std::uint32_t ClockFromTimer(std::uint32_t m0, std::uint32_t m1, std::uint64_t t0,
                             std::uint64_t t1)
{
    return Hertz(t0, t1, static_cast<double>(std::uint32_t(m1 - m0)) * 0.001);
}

} // namespace loom
