// What the processor and its operating system let the string scanner's
// walk use (SSE2, AVX2), from the words of the processor's identification
// (CPUID) and of its extended control register (XGETBV).  Portable: the
// instructions are asked only on x86.
#pragma once

#include <cstdint>

namespace lex {

// What the processor and its operating system let the walk use.
struct ProcessorFeatures {
    bool sse2 = false;
    bool avx2 = false;
};

// The words of the processor's identification that tell it: CPUID leaf 1's
// ECX and EDX, leaf 7's EBX (0 when the processor has no leaf 7), and the
// extended control register 0 (XGETBV; 0 when the operating system did
// not enable the instruction).
struct CpuidWords {
    uint32_t leaf1Ecx = 0;
    uint32_t leaf1Edx = 0;
    uint32_t leaf7Ebx = 0;
    uint32_t xcr0 = 0;
};

// SSE2: leaf 1 EDX bit 26.  AVX2: leaf 7 EBX bit 5, and only where the
// operating system saves the 256-bit registers across task switches:
// OSXSAVE and AVX (leaf 1 ECX bits 27 and 28) with the XMM and YMM state
// enabled in XCR0 (bits 1 and 2).
ProcessorFeatures FeaturesFromCpuid(const CpuidWords &words);
// This processor's, asked once: on x86 (32 and 64 bits) from CPUID, none
// elsewhere.
ProcessorFeatures DetectedProcessorFeatures();
// Whether the processor runs SSE2 code (every x86-64 processor does).
bool ProcessorHasSse2();

} // namespace lex
