// Processor naming and the arithmetic around the processor's own queries,
// independent of the platform: every rule here is a pure function of the
// values the identification instruction (CPUID) and the counters return.
#pragma once

#include <cstdint>
#include <string>

#include "sysinfo/messages.h"

namespace loom {

// What the flag tests found out about the identification instruction.
enum class CpuidSupport {
    None386, // the alignment-check flag cannot be toggled: an 80386
    None486, // the ID flag cannot be toggled: a 80486 without CPUID
    Present,
};

// The raw answers the naming needs, as the processor gave them.
struct CpuidFacts {
    CpuidSupport support = CpuidSupport::Present;
    char vendor[12] = {};         // EBX, EDX, ECX of leaf 0
    std::uint32_t maxLeaf = 0;    // EAX of leaf 0: the highest standard leaf
    std::uint32_t signature = 0;  // EAX of leaf 1
    std::uint32_t leaf1Ebx = 0;   // EBX of leaf 1: its low byte is the brand index
    char brand[48] = {};          // leaves 0x80000002-0x80000004, zeros when absent
    int l2CacheKb = -1;           // what the cache-descriptor table gives
};

// The fields of the processor record that GetCPUID fills.
struct CpuName {
    std::string name;
    std::string vendor;           // empty without CPUID
    std::uint32_t signature = 0;
    unsigned family = 0, model = 0, stepping = 0;
};

// Names the processor from its answers; messages 27 to 32 come from `text`.
CpuName NameProcessor(const CpuidFacts &facts, TextFn text);

// The name of a brand index (leaf 1, EBX bits 0-7), or null for the indexes
// that name nothing.  `signature` is compared as a signed value.
const char *BrandIndexName(unsigned index, std::int32_t signature);

// The second-level cache in KB for a cache descriptor: 0 for "none", -1
// when the descriptor is not one of the known sizes.
int L2CacheFromDescriptor(unsigned descriptor);

// "XXXX-XXXX-XXXX-XXXX-XXXX-XXXX": the high and low halves of the
// signature, then of EDX and ECX of leaf 3.
std::string SerialNumberText(std::uint32_t signature, std::uint32_t edx, std::uint32_t ecx);

// The clock in hertz from the time-stamp counter read at t0 and t1 while the
// performance counter (frequency `frequency`) read a, b before and c after:
// the elapsed time is (c - b - (b - a)) / frequency, which takes off the cost
// of one counter read.  0 when the time is not positive; a clock beyond 32
// bits reads as the largest 32-bit value.
std::uint32_t ClockFromCounter(std::int64_t a, std::int64_t b, std::int64_t c,
                               std::int64_t frequency, std::uint64_t t0, std::uint64_t t1);

// The same from the multimedia timer's milliseconds m0 and m1 (the
// difference taken as unsigned, so the timer may wrap between them).
std::uint32_t ClockFromTimer(std::uint32_t m0, std::uint32_t m1, std::uint64_t t0,
                             std::uint64_t t1);

} // namespace loom
