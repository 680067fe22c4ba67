// What the processor and its operating system let the walk use, from
// CPUID and XGETBV.
#include "scan/processor.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace lex {

ProcessorFeatures FeaturesFromCpuid(const CpuidWords &words)
{
    constexpr uint32_t kSse2 = 1u << 26;                   // leaf 1 EDX
    constexpr uint32_t kOsXsave = 1u << 27, kAvx = 1u << 28;  // leaf 1 ECX
    constexpr uint32_t kAvx2 = 1u << 5;                    // leaf 7 EBX
    constexpr uint32_t kXmmYmmState = 6;                   // XCR0
    ProcessorFeatures features;
    features.sse2 = (words.leaf1Edx & kSse2) != 0;
    const bool ymmSaved = (words.leaf1Ecx & (kOsXsave | kAvx)) == (kOsXsave | kAvx) &&
                          (words.xcr0 & kXmmYmmState) == kXmmYmmState;
    features.avx2 = features.sse2 && ymmSaved && (words.leaf7Ebx & kAvx2) != 0;
    return features;
}

namespace {

ProcessorFeatures AskProcessor()
{
#if defined(__i386__) || defined(__x86_64__)
    // __get_cpuid fails on 32-bit processors too old to have the
    // instruction at all, __get_cpuid_count on those without leaf 7.
    CpuidWords words;
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (!__get_cpuid(1, &a, &b, &c, &d))
        return ProcessorFeatures();
    words.leaf1Ecx = c;
    words.leaf1Edx = d;
    if (__get_cpuid_count(7, 0, &a, &b, &c, &d))
        words.leaf7Ebx = b;
    // XGETBV faults unless the operating system enabled it (OSXSAVE).
    if (words.leaf1Ecx & (1u << 27)) {
        uint32_t low = 0, high = 0;
        __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
        words.xcr0 = low;
    }
    return FeaturesFromCpuid(words);
#else
    return ProcessorFeatures();
#endif
}

} // namespace

ProcessorFeatures DetectedProcessorFeatures()
{
    static const ProcessorFeatures features = AskProcessor();
    return features;
}

bool ProcessorHasSse2()
{
    return DetectedProcessorFeatures().sse2;
}

} // namespace lex
