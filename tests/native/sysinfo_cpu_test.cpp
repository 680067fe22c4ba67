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
#include <vector>

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
    std::snprintf(text, sizeof text, LibText(27), signature); // the unknown part's message
    return text;
}

// Real processors by the signatures (and, for Intel parts, the brand indexes
// and cache sizes) that the vendors' processor identification notes give
// them: the name holds the words of the vendor's own name for the part.
TEST(NameProcessor, RealProcessorsAreNamedAsTheirVendorsNameThem)
{
    struct Case {
        Cpu cpu;
        std::vector<std::string> words;
    } cases[] = {
        {{kIntel, 0x435}, {"Intel", "486DX2"}},
        {{kIntel, 0x480}, {"Intel", "DX4"}},
        {{kIntel, 0x517}, {"Pentium", "60/66"}},
        {{kIntel, 0x543}, {"MMX", "Pentium"}},
        {{kIntel, 0x1532}, {"Pentium", "Overdrive", "486"}},
        {{kIntel, 0x617}, {"Pentium Pro"}},
        {{kIntel, 0x634}, {"Pentium II", "Klamath"}},
        {{kIntel, 0x1632}, {"Pentium II", "Overdrive"}},
        {{kIntel, 0x650, 0, "", 0}, {"Celeron"}},
        {{kIntel, 0x652, 0, "", 512}, {"Pentium II", "Deschutes"}},
        {{kIntel, 0x652, 0, "", 1024}, {"Pentium II Xeon"}},
        {{kIntel, 0x665, 0, "", 128}, {"Celeron", "Mendocino"}},
        {{kIntel, 0x672, 0, "", 512}, {"Pentium III", "Katmai"}},
        {{kIntel, 0x672, 0, "", 2048}, {"Pentium III Xeon", "Katmai"}},
        {{kIntel, 0x683, 1}, {"Celeron", "Coppermine"}},
        {{kIntel, 0x68A, 2}, {"Pentium III", "Coppermine"}},
        {{kIntel, 0x6A1, 3}, {"Pentium III Xeon", "Cascades"}},
        {{kIntel, 0x6B1, 3}, {"Celeron"}},
        {{kIntel, 0x6B4, 6}, {"Mobile", "Pentium III", "-M"}},
        {{kIntel, 0xF12, 8}, {"Pentium 4"}},
        {{kIntel, 0xF24, 9}, {"Pentium 4"}},
        {{kIntel, 0xF27, 15}, {"Mobile", "Celeron"}},
        {{kAmd, 0x435}, {"AMD", "486DX2"}},
        {{kAmd, 0x4F4}, {"AMD", "5x86"}},
        {{kAmd, 0x501}, {"AMD", "K5"}},
        {{kAmd, 0x562}, {"AMD", "K6"}},
        {{kAmd, 0x58C}, {"AMD", "K6-2"}},
        {{kAmd, 0x591}, {"AMD", "K6-III"}},
        {{kAmd, 0x5D0}, {"AMD", "K6-2+"}},
        {{kAmd, 0x630}, {"AMD", "Duron"}},
        {{kCyrix, 0x440}, {"Cyrix", "MediaGX"}},
        {{kCyrix, 0x520}, {"Cyrix", "6x86"}},
        {{kCyrix, 0x600}, {"Cyrix", "6x86"}},
        {{kCyrix, 0x650}, {"Cyrix III", "Joshua"}},
        {{kCentaur, 0x540}, {"IDT", "C6"}},
        {{kCentaur, 0x585}, {"IDT", "WinChip 2"}},
        {{kCentaur, 0x670}, {"Cyrix III", "Samuel"}},
        {{kUmc, 0x412}, {"UMC", "486"}},
        {{kNexGen, 0x500}, {"NexGen", "Nx586"}},
        {{kTransmeta, 0x543}, {"Transmeta", "Crusoe"}},
        {{kRise, 0x500}, {"Rise", "iDragon"}},
    };
    for (const auto &c : cases) {
        const std::string name = Name(c.cpu);
        for (const std::string &word : c.words)
            EXPECT_NE(std::string::npos, name.find(word))
                << c.cpu.vendor << std::hex << " 0x" << c.cpu.signature << ": " << name;
        // Below family 6 and outside Intel's, the stepping does not name a part.
        if ((c.cpu.signature >> 8 & 0xF) < 6 || c.cpu.vendor != kIntel)
            for (std::uint32_t stepping = 0; stepping < 16; ++stepping) {
                Cpu other = c.cpu;
                other.signature = (c.cpu.signature & ~0xFu) | stepping;
                EXPECT_EQ(name, Name(other)) << std::hex << other.signature;
            }
    }
}

TEST(NameProcessor, TheProcessorsOwnBrandText)
{
    const std::string fallback = Name({kIntel, 0x695});
    struct Case {
        Cpu cpu;
        std::string name;
    } cases[] = {
        // An Intel family-6 part whose brand text begins "Intel" is named by
        // it, whatever the tables say; a brand text of all 48 bytes has no
        // NUL of its own.
        {{kIntel, 0x6D6, 0, "Intel(R) Pentium(R) M processor 1.60GHz"},
         "Intel(R) Pentium(R) M processor 1.60GHz"},
        {{kIntel, 0x68A, 2, "Intel(R) Pentium(R) III CPU"}, "Intel(R) Pentium(R) III CPU"},
        {{kIntel, 0x906EA, 0, "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"},
         "Intel(R) Core(TM) i7-8700 CPU @ 3.20GHz"},
        {{kIntel, 0x6F6, 0, "Intel" + std::string(43, 'x')}, "Intel" + std::string(43, 'x')},
        // Otherwise the tables name it.
        {{kIntel, 0x6B1, 3, " Intel(R) Celeron(TM)"}, Name({kIntel, 0x6B1, 3})},
        {{kIntel, 0x6D6, 0, "intel(R)"}, fallback},
        // Family 15: any brand text wins, without its leading blanks.
        {{kIntel, 0xF29, 9, "              Intel(R) Pentium(R) 4 CPU 2.80GHz"},
         "Intel(R) Pentium(R) 4 CPU 2.80GHz"},
        {{kIntel, 0xF29, 9, "Mobile Intel(R) CPU"}, "Mobile Intel(R) CPU"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(c.name, Name(c.cpu)) << std::hex << "0x" << c.cpu.signature;
}

TEST(NameProcessor, TheBrandIndexRefinesFamilySix)
{
    // 0x680 and 0x6A0 keep the part's code name behind whatever name the
    // brand index gives, or behind the family's name when it gives none.
    const std::string fallback = Name({kIntel, 0x695});
    EXPECT_EQ(Name({kIntel, 0x6B4, 2}) + " (Coppermine)", Name({kIntel, 0x68A, 2}));
    EXPECT_EQ(fallback + " (Coppermine)", Name({kIntel, 0x68A, 5}));
    EXPECT_EQ(fallback + " (Coppermine)", Name({kIntel, 0x68A, 2, "", -1, 0})); // no leaf 1
    EXPECT_EQ(fallback + " (Cascades)", Name({kIntel, 0x6A0, 13}));
    EXPECT_EQ(fallback, Name({kIntel, 0x6B1, 0}));
    // Index 3 names a Xeon except on signature 0x6B1 exactly.
    EXPECT_EQ(Name({kIntel, 0x6B1, 1}), Name({kIntel, 0x6B1, 3}));
    EXPECT_NE(Name({kIntel, 0x6B1, 3}), Name({kIntel, 0x6B2, 3}));
}

TEST(NameProcessor, UnknownPartsShowTheirSignature)
{
    const Cpu cases[] = {
        {kAmd, 0xA20F10, 0, "AMD Ryzen 7 5800X 8-Core Processor"}, // family 15: Intel only
        {kAmd, 0xF48},
        {kAmd, 0x5A0},
        {kCentaur, 0x570},
        {kNexGen, 0x412},
        {kNexGen, 0x600},
        {kUmc, 0x500},
        {"genuineintel", 0x612}, // vendor texts compare exactly
        {kIntel, 0x7A0},         // families 7 to 14 have no table
        {kIntel, 0xE00},
    };
    for (const auto &cpu : cases)
        EXPECT_EQ(Unknown(cpu.signature), Name(cpu)) << cpu.vendor << std::hex << cpu.signature;
    // A family-6 Cyrix part of a model without a name gets an empty one.
    EXPECT_EQ("", Name({kCyrix, 0x620}));
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
    // 0xFFFFFFFF compares as -1, below 0xF13: the names of older parts.
    for (unsigned index : {8u, 11u, 14u})
        EXPECT_STREQ(BrandIndexName(index, 0xF12), BrandIndexName(index, -1)) << index;
    for (unsigned index : {0u, 5u, 13u, 16u, 255u})
        EXPECT_EQ(nullptr, BrandIndexName(index, 0xF29)) << index;
}

// Intel's table of cache descriptors: second-level sizes in KB, 0x40 for no
// second-level cache, anything else unknown.
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
