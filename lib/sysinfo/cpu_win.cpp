// Processor exports: the identification instruction (CPUID), the EFLAGS
// tests that tell whether it exists, and the clock measurement against the
// time-stamp counter.  The naming rules live in cpu.cpp.
#include <windows.h>
#include <mmsystem.h>

#include <cstring>

#include "sysinfo/cpu.h"
#include "sysinfo/cpu_win.h"
#include "sysinfo/loomsys.h"
#include "util/boundary.h"
#include "util/libtext.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#include <x86intrin.h>
#define LOOM_HAVE_CPUID 1
#else
#define LOOM_HAVE_CPUID 0
#endif

namespace {

constexpr std::uint32_t kAlignmentCheckFlag = 1u << 18;
constexpr std::uint32_t kIdFlag = 1u << 21;
constexpr std::uint32_t kTimeStampCounterBit = 1u << 4; // EDX of leaf 1
constexpr DWORD kMeasureMilliseconds = 600;

struct Registers {
    std::uint32_t a = 0, b = 0, c = 0, d = 0;
};

#if LOOM_HAVE_CPUID

// Whether a bit of EFLAGS can be flipped: the processor keeps bits it does
// not know at their fixed value.  The flags are put back as they were.
// (The pushes go below the stack pointer; Windows has no red zone there
// that the compiler could be using.)
bool FlagToggles(std::uint32_t mask)
{
#if defined(__i386__)
    std::uint32_t original, changed;
    __asm__ volatile("pushfl\n\t"
                     "popl %0\n\t"
                     "movl %0, %1\n\t"
                     "xorl %2, %1\n\t"
                     "pushl %1\n\t"
                     "popfl\n\t"
                     "pushfl\n\t"
                     "popl %1\n\t"
                     "pushl %0\n\t"
                     "popfl"
                     : "=&r"(original), "=&r"(changed)
                     : "r"(mask)
                     : "cc");
#else
    std::uint64_t original, changed;
    const std::uint64_t wide = mask;
    __asm__ volatile("pushfq\n\t"
                     "popq %0\n\t"
                     "movq %0, %1\n\t"
                     "xorq %2, %1\n\t"
                     "pushq %1\n\t"
                     "popfq\n\t"
                     "pushfq\n\t"
                     "popq %1\n\t"
                     "pushq %0\n\t"
                     "popfq"
                     : "=&r"(original), "=&r"(changed)
                     : "r"(wide)
                     : "cc");
#endif
    return ((original ^ changed) & mask) != 0;
}

loom::CpuidSupport Support()
{
    if (!FlagToggles(kAlignmentCheckFlag))
        return loom::CpuidSupport::None386;
    if (!FlagToggles(kIdFlag))
        return loom::CpuidSupport::None486;
    return loom::CpuidSupport::Present;
}

// <cpuid.h> keeps EBX intact where it holds the PIC base in 32-bit code.
Registers Cpuid(std::uint32_t leaf)
{
    Registers r;
    __cpuid(leaf, r.a, r.b, r.c, r.d);
    return r;
}

// The time-stamp counter after CPUID has drained the instructions before.
std::uint64_t SerialisedTimeStamp()
{
    Cpuid(0);
    return __rdtsc();
}

#else

// Another processor architecture: no identification instruction.
loom::CpuidSupport Support()
{
    return loom::CpuidSupport::None486;
}

Registers Cpuid(std::uint32_t)
{
    return Registers();
}

std::uint64_t SerialisedTimeStamp()
{
    return 0;
}

#endif

bool HasCpuid()
{
    return Support() == loom::CpuidSupport::Present;
}

// The cache descriptor table's answer, for a processor known to have CPUID.
int CacheFromLeaf2()
{
    const unsigned descriptor = Cpuid(0).a >= 2 ? (Cpuid(2).d & 0xFF) : 0xFF;
    return loom::L2CacheFromDescriptor(descriptor);
}

// Real-time class for the process and time-critical priority for the
// thread while the clock is measured; both are put back as they were.
class PriorityBoost {
public:
    PriorityBoost()
        : process_(GetCurrentProcess()), thread_(GetCurrentThread()),
          oldClass_(GetPriorityClass(process_)), oldPriority_(GetThreadPriority(thread_))
    {
        SetPriorityClass(process_, REALTIME_PRIORITY_CLASS);
        SetThreadPriority(thread_, THREAD_PRIORITY_TIME_CRITICAL);
    }
    PriorityBoost(const PriorityBoost &) = delete;
    PriorityBoost &operator=(const PriorityBoost &) = delete;
    ~PriorityBoost()
    {
        SetPriorityClass(process_, oldClass_ ? oldClass_ : NORMAL_PRIORITY_CLASS);
        SetThreadPriority(thread_, oldPriority_ != THREAD_PRIORITY_ERROR_RETURN
                                       ? oldPriority_
                                       : THREAD_PRIORITY_NORMAL);
    }

private:
    HANDLE process_, thread_;
    DWORD oldClass_;
    int oldPriority_;
};

void BusyWait(DWORD milliseconds)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < milliseconds) {
    }
}

std::uint32_t MeasureClock()
{
    PriorityBoost boost;
    LARGE_INTEGER frequency;
    if (QueryPerformanceFrequency(&frequency) && frequency.QuadPart > 0) {
        LARGE_INTEGER a, b, c;
        QueryPerformanceCounter(&a);
        QueryPerformanceCounter(&b);
        const std::uint64_t t0 = SerialisedTimeStamp();
        BusyWait(kMeasureMilliseconds);
        QueryPerformanceCounter(&c);
        const std::uint64_t t1 = SerialisedTimeStamp();
        QueryPerformanceFrequency(&frequency);
        return loom::ClockFromCounter(a.QuadPart, b.QuadPart, c.QuadPart, frequency.QuadPart, t0,
                                      t1);
    }
    const DWORD m0 = timeGetTime();
    const std::uint64_t t0 = SerialisedTimeStamp();
    BusyWait(kMeasureMilliseconds);
    const DWORD m1 = timeGetTime();
    const std::uint64_t t1 = SerialisedTimeStamp();
    return loom::ClockFromTimer(m0, m1, t0, t1);
}

} // namespace

namespace loom {

CpuidFacts ReadCpuidFacts()
{
    CpuidFacts facts;
    facts.support = Support();
    if (facts.support != CpuidSupport::Present)
        return facts;
    const Registers leaf0 = Cpuid(0);
    facts.maxLeaf = leaf0.a;
    std::memcpy(facts.vendor, &leaf0.b, 4);
    std::memcpy(facts.vendor + 4, &leaf0.d, 4);
    std::memcpy(facts.vendor + 8, &leaf0.c, 4);
    const Registers leaf1 = Cpuid(1);
    facts.signature = leaf1.a;
    facts.leaf1Ebx = leaf1.b;
    if (Cpuid(0x80000000).a >= 0x80000004) {
        for (std::uint32_t i = 0; i < 3; ++i) {
            const Registers r = Cpuid(0x80000002 + i);
            const std::uint32_t words[4] = {r.a, r.b, r.c, r.d};
            std::memcpy(facts.brand + 16 * i, words, sizeof words);
        }
    }
    facts.l2CacheKb = CacheFromLeaf2();
    return facts;
}

} // namespace loom

namespace {

void StoreCpuName(const loom::CpuName &cpu, CpuInfo *info)
{
    const std::size_t length = cpu.name.size() < sizeof info->Name ? cpu.name.size()
                                                                   : sizeof info->Name - 1;
    std::memcpy(info->Name, cpu.name.data(), length);
    info->Name[length] = '\0';
    const std::size_t vendorLength = cpu.vendor.size() < sizeof info->Vendor
                                         ? cpu.vendor.size()
                                         : sizeof info->Vendor - 1;
    std::memcpy(info->Vendor, cpu.vendor.data(), vendorLength);
    info->Vendor[vendorLength] = '\0';
    info->Signature = cpu.signature;
    info->Family = static_cast<std::uint8_t>(cpu.family);
    info->Model = static_cast<std::uint8_t>(cpu.model);
    info->Stepping = static_cast<std::uint8_t>(cpu.stepping);
}

} // namespace

extern "C" {

int __cdecl GetCPUID(CpuInfo *info)
{
    return loom::CallGuarded(0, [&] {
        if (!info)
            return 0;
        StoreCpuName(loom::NameProcessor(loom::ReadCpuidFacts(), LoadLibText), info);
        return 1;
    });
}

int __cdecl ProcessorFreq(CpuInfo *info)
{
    return loom::CallGuarded(0, [&] {
        if (!HasCpuid() || Cpuid(0).a < 1 || !(Cpuid(1).d & kTimeStampCounterBit))
            return 0;
        const std::uint32_t hertz = MeasureClock();
        if (info)
            info->ClockHz = hertz;
        // Above 2.1 GHz the bits read as a negative int; callers read them
        // as unsigned.
        return static_cast<int>(hertz);
    });
}

int __cdecl IntelL2CacheSize(void)
{
    return loom::CallGuarded(-1, [] { return HasCpuid() ? CacheFromLeaf2() : -1; });
}

int __cdecl ProcessorSN(char *out)
{
    return loom::CallGuarded(0, [&] {
        if (!out || !HasCpuid() || Cpuid(0).a < 3)
            return 0;
        const Registers leaf3 = Cpuid(3);
        const std::string text = loom::SerialNumberText(Cpuid(1).a, leaf3.d, leaf3.c);
        std::memcpy(out, text.c_str(), text.size() + 1);
        return 1;
    });
}

} // extern "C"
