/* System information exports of loomlib.dll: the processor, the platform
 * and the multi-line system report.  Every function uses the C calling
 * convention; results are 1 for yes or success and 0 for no or failure
 * unless stated otherwise.  Callers own every buffer and record they pass.
 *
 * CpuInfo is exchanged by address with programs built elsewhere, so its
 * layout is fixed byte for byte (280 bytes). */
#ifndef LOOM_SYSINFO_LOOMSYS_H
#define LOOM_SYSINFO_LOOMSYS_H

#include <stddef.h>
#include <stdint.h>

#include "util/loomdefs.h"

#if defined(_WIN32)
#include <windows.h>
#define LOOM_SYS_CDECL __cdecl
#else
#define LOOM_SYS_CDECL
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define CPUINFO_NAME_SIZE 255
#define CPUINFO_VENDOR_SIZE 13

typedef struct CpuInfo {
    char Name[CPUINFO_NAME_SIZE];     /* display name, NUL-terminated */
    char Vendor[CPUINFO_VENDOR_SIZE]; /* 12 characters of CPUID leaf 0; empty without CPUID */
    uint32_t ClockHz;                 /* written only by ProcessorFreq */
    uint32_t Signature;               /* EAX of CPUID leaf 1; 0 without CPUID */
    uint8_t Family;                   /* 3 or 4 when the processor has no CPUID */
    uint8_t Model;
    uint8_t Stepping;
    uint8_t Reserved;                 /* never written */
} CpuInfo;

#if defined(_WIN32)

/* Names the processor: fills every field but ClockHz and Reserved.  Returns
 * 1; 0 without writing for a null record. */
int LOOM_SYS_CDECL GetCPUID(CpuInfo *info);

/* Measures the clock against the performance counter (or the multimedia
 * timer) for about 600 ms at real-time priority, stores it in ClockHz and
 * returns it (hertz; read it as unsigned, a clock above 2.1 GHz does not fit
 * a signed int).  0, record untouched, without CPUID or time-stamp counter.
 * A null record only skips the store. */
int LOOM_SYS_CDECL ProcessorFreq(CpuInfo *info);

/* The second-level cache in KB from the processor's cache descriptor; 0 for
 * "no second-level cache", -1 when unknown. */
int LOOM_SYS_CDECL IntelL2CacheSize(void);

/* The serial number as "XXXX-XXXX-XXXX-XXXX-XXXX-XXXX" into `out` (at least
 * 30 bytes).  0 without writing when the processor cannot report one or
 * `out` is null. */
int LOOM_SYS_CDECL ProcessorSN(char *out);

/* The browser component's version text from the registry into `buffer`
 * (`size` bytes, always terminated); empty when missing.  Returns buffer. */
char *LOOM_SYS_CDECL GetIEVersion(char *buffer, int size);

/* A display name for a version record that the caller has filled (148-byte
 * OSVERSIONINFOA).  A constant text of the library, never to be freed; no
 * later call changes it, the unknown name included. */
const char *LOOM_SYS_CDECL OSName(const OSVERSIONINFOA *version);

/* 1 when the caller may act as an administrator (always on platforms
 * without security), else 0. */
int LOOM_SYS_CDECL IsAdminRunning(void);

/* 1 when the platform meets `level` (2 strictest, 1, any other value the
 * basic level); otherwise 0, after an error box saying why when `show` is
 * non-zero.  IsValidOS(level) is IsValidOSEx(level, 1). */
int LOOM_SYS_CDECL IsValidOSEx(int level, int show);
int LOOM_SYS_CDECL IsValidOS(int level);

/* Brings a visible top-level window whose caption begins with `title` to
 * the front (restoring it when minimised) and returns 1; the program's own
 * help window ("<title>のヘルプ") does not count.  0 when none was found,
 * and for a null or empty title. */
int LOOM_SYS_CDECL IsInvoked(const char *title);

/* Writes the system report into `buffer` (`capacity` bytes, NUL-terminated
 * text).  Returns 1 when all of it fitted, 0 when it stopped before a piece
 * that did not fit; pieces are never cut.  A null buffer or a capacity of 0
 * or less returns 0 and writes nothing. */
int LOOM_SYS_CDECL LoomGetSystemInfo(char *buffer, int capacity);

#endif /* _WIN32 */

#ifdef __cplusplus
}
#endif

LOOM_STATIC_ASSERT(sizeof(CpuInfo) == 280, "CpuInfo is 280 bytes");
LOOM_STATIC_ASSERT(offsetof(CpuInfo, Name) == 0, "Name at 0");
LOOM_STATIC_ASSERT(offsetof(CpuInfo, Vendor) == 255, "Vendor at 255");
LOOM_STATIC_ASSERT(offsetof(CpuInfo, ClockHz) == 268, "ClockHz at 268");
LOOM_STATIC_ASSERT(offsetof(CpuInfo, Signature) == 272, "Signature at 272");
LOOM_STATIC_ASSERT(offsetof(CpuInfo, Family) == 276, "Family at 276");
LOOM_STATIC_ASSERT(offsetof(CpuInfo, Model) == 277, "Model at 277");
LOOM_STATIC_ASSERT(offsetof(CpuInfo, Stepping) == 278, "Stepping at 278");
LOOM_STATIC_ASSERT(offsetof(CpuInfo, Reserved) == 279, "Reserved at 279");
#if defined(_WIN32)
LOOM_STATIC_ASSERT(sizeof(OSVERSIONINFOA) == 148, "the basic version record is 148 bytes");
#endif

#endif
