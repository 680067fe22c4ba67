// Processor naming from fake CPUID answers: each row is one processor as
// the instruction would describe it, with the name the library must give.
#include "sysinfo/cpu.h"
#include "sysinfo/loomsys.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

#include "lib_messages.h"

namespace {

using namespace loom;
using testsupport::LibText;

const std::string kIntel = "GenuineIntel", kAmd = "AuthenticAMD", kCyrix = "CyrixInstead",
                  kUmc = "UMC UMC UMC ", kNexGen = "NexGenDriven", kCentaur = "CentaurHauls",
                  kRise = "RiseRiseRise", kTransmeta = "GenuineTMx86";

struct Cpu {
    Cpu(std::string vendor_, std::uint32_t signature_, unsigned brandIndex_ = 0,
        std::string brand_ = "", int l2_ = -1, std::uint32_t maxLeaf_ = 3)
        : vendor(vendor_), signature(signature_), brandIndex(brandIndex_), brand(brand_),
          l2(l2_), maxLeaf(maxLeaf_)
    {
    }
    std::string vendor;
    std::uint32_t signature;
    unsigned brandIndex;
    std::string brand; // up to 48 bytes
    int l2;
    std::uint32_t maxLeaf;
};

CpuidFacts Facts(const Cpu &cpu)
{
    CpuidFacts f;
    std::memcpy(f.vendor, cpu.vendor.data(), std::min(cpu.vendor.size(), sizeof f.vendor));
    f.maxLeaf = cpu.maxLeaf;
    f.signature = cpu.signature;
    // The brand index sits in the low byte of EBX, below other fields.
    f.leaf1Ebx = 0x00120800u | cpu.brandIndex;
    std::memcpy(f.brand, cpu.brand.data(), std::min(cpu.brand.size(), sizeof f.brand));
    f.l2CacheKb = cpu.l2;
    return f;
}

std::string Name(const Cpu &cpu)
{
    return NameProcessor(Facts(cpu), LibText).name;
}

std::string Unknown(std::uint32_t signature)
{
    char text[64];
    std::snprintf(text, sizeof text, "不明なプロセッサ (CPUID=0x%X)", signature);
    return text;
}

TEST(NameProcessor, Family4And5ByVendor)
{
    struct Case {
        Cpu cpu;
        std::string name;
    } cases[] = {
        {{kIntel, 0x400}, "Intel 80486DX processor"},
        {{kIntel, 0x412}, "Intel 80486DX processor"},
        {{kIntel, 0x423}, "Intel 80486SX processor"},
        {{kIntel, 0x435}, "Intel 80486DX2 processor"},
        {{kIntel, 0x440}, "Intel 80486SL processor"},
        {{kIntel, 0x450}, "Intel 80486SX2 processor"},
        {{kIntel, 0x460}, "Intel 80486互換 processor"},
        {{kIntel, 0x470}, "Intel Writeback Enhanced DX2 processor"},
        {{kIntel, 0x480}, "Intel DX4 processor"},
        {{kIntel, 0x490}, "Intel DX4 processor"},
        {{kIntel, 0x4A0}, "Intel 80486互換 processor"},
        {{kCyrix, 0x440}, "Cyrix MediaGX processor"},
        {{kCyrix, 0x490}, "Cyrix 5x86 processor"},
        {{kCyrix, 0x410}, "Cyrix 80486互換 processor"},
        {{kAmd, 0x430}, "AMD 486DX2/DX4 processor"},
        {{kAmd, 0x470}, "AMD 486DX2/DX4 processor"},
        {{kAmd, 0x4E0}, "AMD 5x86 processor"},
        {{kAmd, 0x4F4}, "AMD 5x86 processor"},
        {{kAmd, 0x410}, "AMD 486互換 processor"},
        {{kUmc, 0x412}, "UMC 486互換 processor"},
        {{kNexGen, 0x412}, Unknown(0x412)},
        // Intel family 5 by the signature without stepping; type bits count.
        {{kIntel, 0x517}, "Intel Pentium processor (60/66MHz)"},
        {{kIntel, 0x52C}, "Intel Pentium processor (75 - 200MHz)"},
        {{kIntel, 0x543}, "Intel MMX Pentium processor (166/200MHz)"},
        {{kIntel, 0x1513}, "Intel Pentium processor (60/66MHz) Overdrive"},
        {{kIntel, 0x1521}, "Intel Pentium processor (75 - 200MHz) Overdrive"},
        {{kIntel, 0x1532}, "Intel Pentium processor Overdrive for 486"},
        {{kIntel, 0x1544},
         "Intel MMX Pentium processor Overdirve for Pentium(75 - 133MHz)"},
        {{kIntel, 0x580}, "Intel Pentium processor"},
        {{kIntel, 0x2521}, "Intel Pentium processor"},
        {{kAmd, 0x500}, "AMD K5 processor"},
        {{kAmd, 0x553}, "AMD K5 processor"},
        {{kAmd, 0x562}, "AMD K6 processor (166 - 233 MHz)"},
        {{kAmd, 0x570}, "AMD K6 processor (266 - 300 MHz)"},
        {{kAmd, 0x58C}, "AMD K6-2 processor"},
        {{kAmd, 0x591}, "AMD K6-III processor (Sharptooth)"},
        {{kAmd, 0x5D0}, "AMD K6-2+/K6-III+ processor"},
        {{kAmd, 0x5A0}, Unknown(0x5A0)},
        {{kAmd, 0x5E0}, Unknown(0x5E0)},
        {{kCentaur, 0x540}, "IDT C6 processor"},
        {{kCentaur, 0x585}, "IDT WinChip 2 processor (C6-2)"},
        {{kCentaur, 0x590}, "IDT WinChip 3 processor"},
        {{kCentaur, 0x570}, Unknown(0x570)},
        {{kCyrix, 0x520}, "Cyrix Cx6x86/GXm processor"},
        {{kNexGen, 0x500}, "NexGen Nx586 processor"},
        {{kTransmeta, 0x543}, "Transmeta Crusoe processor"},
        {{kRise, 0x500}, "Rise iDragon/iDragon II processor"},
        {{kUmc, 0x500}, Unknown(0x500)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.name, Name(c.cpu)) << c.cpu.vendor << std::hex << " 0x" << c.cpu.signature;
}

TEST(NameProcessor, IntelFamily6)
{
    const std::string fallback = "Intel Pentium Pro/II/III processor";
    struct Case {
        Cpu cpu;
        std::string name;
    } cases[] = {
        {{kIntel, 0x612}, "Intel Pentium Pro processor"},
        {{kIntel, 0x634}, "Intel Pentium II processor (Klamath, 233/266/300MHz)"},
        {{kIntel, 0x1632}, "Intel Pentium II processor Overdrive (Klamath, 233/266/300MHz)"},
        // 0x650 by the cache size.
        {{kIntel, 0x652, 0, "", 0}, "Intel Celeron processor"},
        {{kIntel, 0x652, 0, "", 1024}, "Intel Pentium II Xeon processor (Deschutes)"},
        {{kIntel, 0x653, 0, "", 2048}, "Intel Pentium II Xeon processor (Deschutes)"},
        {{kIntel, 0x652, 0, "", 512}, "Intel Pentium II (Deschutes)/Xeon processor"},
        {{kIntel, 0x652, 0, "", -1}, "Intel Pentium II (Deschutes)/Xeon processor"},
        {{kIntel, 0x665, 0, "", 128}, "Intel Celeron processor (Mendocino)"},
        {{kIntel, 0x665, 0, "", 256}, "Intel Pentium II PE processor (Mendocino)"},
        {{kIntel, 0x672, 0, "", 1024}, "Intel Pentium III Xeon processor (Katmai)"},
        {{kIntel, 0x672, 0, "", 512}, "Intel Pentium III (Katmai)/Xeon processor"},
        {{kIntel, 0x672, 0, "", -1}, "Intel Pentium III (Katmai)/Xeon processor"},
        // The brand index refines 0x680, 0x6A0 and 0x6B0; an index that
        // names nothing keeps the name standing.
        {{kIntel, 0x68A, 2}, "Intel Pentium III processor (Coppermine)"},
        {{kIntel, 0x68A, 5}, fallback + " (Coppermine)"},
        {{kIntel, 0x683, 1}, "Intel Celeron processor (Coppermine)"},
        {{kIntel, 0x683, 0}, fallback + " (Coppermine)"},
        {{kIntel, 0x68A, 2, "", -1, 0}, fallback + " (Coppermine)"}, // no leaf 1
        {{kIntel, 0x6A1, 3}, "Intel Pentium III Xeon processor (Cascades)"},
        {{kIntel, 0x6A0, 13}, fallback + " (Cascades)"},
        {{kIntel, 0x6B1, 3}, "Intel Celeron processor"},
        {{kIntel, 0x6B4, 3}, "Intel Pentium III Xeon processor"},
        {{kIntel, 0x6B1, 6}, "Mobile Intel Pentium III processor-M"},
        {{kIntel, 0x6B1, 0}, fallback},
        {{kIntel, 0x695}, fallback},
        // The processor's own brand text wins when it starts with "Intel".
        {{kIntel, 0x6D6, 0, "Intel(R) Pentium(R) M processor 1.60GHz"},
         "Intel(R) Pentium(R) M processor 1.60GHz"},
        {{kIntel, 0x68A, 2, "Intel(R) Pentium(R) III CPU"}, "Intel(R) Pentium(R) III CPU"},
        {{kIntel, 0x906EA, 0, "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"},
         "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"},
        {{kIntel, 0x6B1, 3, " Intel(R) Celeron(TM)"}, "Intel Celeron processor"},
        {{kIntel, 0x6D6, 0, "intel(R)"}, fallback},
        // A brand text that fills all 48 bytes has no NUL of its own.
        {{kIntel, 0x6F6, 0, "Intel" + std::string(43, 'x')}, "Intel" + std::string(43, 'x')},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.name, Name(c.cpu)) << std::hex << "0x" << c.cpu.signature << " index "
                                       << c.cpu.brandIndex << " cache " << std::dec << c.cpu.l2;
}

TEST(NameProcessor, OtherFamily6AndFamily15)
{
    struct Case {
        Cpu cpu;
        std::string name;
    } cases[] = {
        {{kAmd, 0x612}, "AMD Athron processor"},
        {{kAmd, 0x622}, "AMD Athron processor"},
        {{kAmd, 0x631}, "AMD Duron processor"},
        {{kAmd, 0x642}, "AMD Athron processor"},
        {{kAmd, 0x681}, "AMD Athron processor"},
        {{kAmd, 0x660}, "AMD Athron/Duron processor"},
        {{kCyrix, 0x600}, "Cyrix 6x86互換 processor"},
        {{kCyrix, 0x650}, "VIA Cyrix III processor (Joshua)"},
        {{kCyrix, 0x620}, ""},
        {{kCentaur, 0x670}, "VIA Cyrix III processor (Samuel)"},
        {{kTransmeta, 0x640}, "Transmeta Crusoe processor"},
        {{kNexGen, 0x600}, Unknown(0x600)},
        // Vendor texts compare exactly.
        {{"genuineintel", 0x612}, Unknown(0x612)},
        // Family 15: Intel only, refined by the brand index and then the
        // brand text without its leading blanks.
        {{kIntel, 0xF07}, "Intel Pentium 4/Xeon processor"},
        {{kIntel, 0xF12, 8}, "Intel Pentium 4 processor"},
        {{kIntel, 0xF13, 8}, "Intel Genuine processor"},
        {{kIntel, 0xF12, 9}, "Intel Pentium 4 processor"},
        {{kIntel, 0xF12, 11}, "Intel Xeon processor MP"},
        {{kIntel, 0xF24, 11}, "Intel Xeon processor"},
        {{kIntel, 0xF12, 14}, "Intel Xeon processor"},
        {{kIntel, 0xF29, 14}, "Mobile Intel Pentium 4 processor-M"},
        {{kIntel, 0xF29, 5}, "Intel Pentium 4/Xeon processor"},
        {{kIntel, 0xF29, 16}, "Intel Pentium 4/Xeon processor"},
        {{kIntel, 0xF29, 9, "              Intel(R) Pentium(R) 4 CPU 2.80GHz"},
         "Intel(R) Pentium(R) 4 CPU 2.80GHz"},
        {{kIntel, 0xF29, 9, "Mobile Intel(R) CPU"}, "Mobile Intel(R) CPU"},
        {{kAmd, 0xA20F12, 0, "AMD Ryzen 7 5800X 8-Core Processor"}, Unknown(0xA20F12)},
        {{kAmd, 0xF48}, Unknown(0xF48)},
        // Families without a table.
        {{kIntel, 0x7A0}, Unknown(0x7A0)},
        {{kIntel, 0xE00}, Unknown(0xE00)},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.name, Name(c.cpu)) << c.cpu.vendor << std::hex << " 0x" << c.cpu.signature;
}

TEST(NameProcessor, RecordFieldsFromTheSignature)
{
    struct Case {
        Cpu cpu;
        unsigned family, model, stepping;
    } cases[] = {
        {{kIntel, 0x68A}, 6, 8, 0xA},
        {{kAmd, 0xA20F12}, 15, 1, 2},
        {{kIntel, 0x1632}, 6, 3, 2},
        {{kIntel, 0x906EA}, 6, 0xE, 0xA},
    };
    for (const auto &c : cases) {
        CpuName cpu = NameProcessor(Facts(c.cpu), LibText);
        EXPECT_EQ(c.cpu.vendor, cpu.vendor);
        EXPECT_EQ(c.cpu.signature, cpu.signature);
        EXPECT_EQ(c.family, cpu.family) << std::hex << c.cpu.signature;
        EXPECT_EQ(c.model, cpu.model) << std::hex << c.cpu.signature;
        EXPECT_EQ(c.stepping, cpu.stepping) << std::hex << c.cpu.signature;
    }
}

TEST(NameProcessor, WithoutCpuid)
{
    // Whatever stale values the answers hold, nothing of them is used.
    CpuidFacts facts = Facts({kIntel, 0x68A, 2, "Intel(R) stale"});
    facts.support = CpuidSupport::None386;
    CpuName i386 = NameProcessor(facts, LibText);
    EXPECT_EQ("Intel 80386 processor", i386.name);
    EXPECT_EQ(3u, i386.family);
    EXPECT_EQ("", i386.vendor);
    EXPECT_EQ(0u, i386.signature);
    EXPECT_EQ(0u, i386.model);

    facts.support = CpuidSupport::None486;
    CpuName i486 = NameProcessor(facts, LibText);
    EXPECT_EQ(Unknown(0), i486.name);
    EXPECT_EQ(4u, i486.family);
    EXPECT_EQ("", i486.vendor);
    EXPECT_EQ(0u, i486.signature);
    EXPECT_EQ(0u, i486.stepping);
}

TEST(BrandIndexName, SignatureBoundariesAreSigned)
{
    struct Case {
        unsigned index;
        std::int32_t signature;
        const char *name; // null: nothing written
    } cases[] = {
        {0, 0x68A, nullptr},
        {3, 0x6B1, "Intel Celeron processor"},
        {3, 0x6B0, "Intel Pentium III Xeon processor"},
        {3, 0x6B2, "Intel Pentium III Xeon processor"},
        {8, 0xF12, "Intel Pentium 4 processor"},
        {8, 0xF13, "Intel Genuine processor"},
        {8, -1, "Intel Pentium 4 processor"},      // 0xFFFFFFFF is below 0xF13
        {11, 0xF12, "Intel Xeon processor MP"},
        {11, 0xF13, "Intel Xeon processor"},
        {11, -1, "Intel Xeon processor MP"},
        {14, 0xF12, "Intel Xeon processor"},
        {14, 0xF13, "Mobile Intel Pentium 4 processor-M"},
        {5, 0x68A, nullptr},
        {13, 0xF29, nullptr},
        {15, 0xF29, "Mobile Intel Celeron processor"},
        {16, 0xF29, nullptr},
        {255, 0xF29, nullptr},
    };
    for (const auto &c : cases) {
        const char *name = BrandIndexName(c.index, c.signature);
        if (c.name)
            EXPECT_STREQ(c.name, name) << c.index << " " << c.signature;
        else
            EXPECT_EQ(nullptr, name) << c.index << " " << c.signature;
    }
}

TEST(L2CacheFromDescriptor, KnownSizesNoneAndUnknown)
{
    struct Case {
        unsigned descriptor;
        int kb;
    } cases[] = {
        {0x39, 128},  {0x3B, 128},  {0x41, 128},  {0x79, 128},  {0x3C, 256},  {0x42, 256},
        {0x7A, 256},  {0x82, 256},  {0x43, 512},  {0x7B, 512},  {0x83, 512},  {0x86, 512},
        {0x44, 1024}, {0x7C, 1024}, {0x84, 1024}, {0x87, 1024}, {0x45, 2048}, {0x85, 2048},
        {0x40, 0},    {0x2C, -1},   {0xFF, -1},   {0x00, -1},   {0x3A, -1},   {0x46, -1},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.kb, L2CacheFromDescriptor(c.descriptor)) << std::hex << c.descriptor;
}

TEST(SerialNumberText, HalvesInOrder)
{
    EXPECT_EQ("0000-0686-1234-5678-9ABC-DEF0",
              SerialNumberText(0x00000686, 0x12345678, 0x9ABCDEF0));
    std::string text = SerialNumberText(0xFFFFFFFF, 0, 0xA);
    EXPECT_EQ("FFFF-FFFF-0000-0000-0000-000A", text);
    // The export writes into a 30-byte buffer: the text and its NUL.
    EXPECT_EQ(29u, text.size());
}

TEST(Clock, CounterTakesOffOneReadAndTimerWraps)
{
    const std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();
    // 10 MHz counter: a and b 10 ticks apart, c 0.6 s + 10 ticks after b.
    EXPECT_EQ(2000000000u, ClockFromCounter(0, 10, 6000020, 10000000, 0, 1200000000));
    EXPECT_EQ(2000000000u, ClockFromCounter(100, 100, 6000100, 10000000, 5, 1200000005));
    // Beyond 32 bits: the largest value, never a wrapped small one.
    EXPECT_EQ(kMax, ClockFromCounter(0, 0, 10000000, 10000000, 0, 5000000000ull));
    // No time elapsed, or a frequency that cannot be: no clock.
    EXPECT_EQ(0u, ClockFromCounter(0, 10, 20, 10000000, 0, 1000));
    EXPECT_EQ(0u, ClockFromCounter(0, 10, 5, 10000000, 0, 1000));
    EXPECT_EQ(0u, ClockFromCounter(0, 0, 6000000, 0, 0, 1000));

    EXPECT_EQ(1500000000u, ClockFromTimer(1000, 1600, 0, 900000000));
    EXPECT_EQ(1500000000u, ClockFromTimer(0xFFFFFF00u, 0xFFFFFF00u + 600, 0, 900000000));
    EXPECT_EQ(0u, ClockFromTimer(500, 500, 0, 900000000));
}

} // namespace
