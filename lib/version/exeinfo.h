/* Executable identification of loomlib: the record and its exports.
 *
 * The caller allocates an ExeInfo, fills Path and clears the rest; the
 * examination fills the other fields and the four string lists, which then
 * belong to the caller (free them with StrList_Destroy).  The record is
 * exchanged by address with programs built elsewhere, so in the 32-bit
 * library its layout is fixed byte for byte (1,116 bytes). */
#ifndef LOOM_VERSION_EXEINFO_H
#define LOOM_VERSION_EXEINFO_H

#include <stddef.h>
#include <stdint.h>

#include "util/loomdefs.h"
#include "util/strlist.h"

#if defined(_WIN32)
#define LOOM_EXE_CDECL __cdecl
#else
#define LOOM_EXE_CDECL
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define EXEINFO_TEXT_SIZE 255

/* Flags word. */
#define EXEINFO_MZ 0x01     /* "MZ" or "ZM" signature */
#define EXEINFO_DOS 0x02    /* DOS program without a new-style header */
#define EXEINFO_PE 0x04     /* PE file */
#define EXEINFO_PE64 0x10   /* PE for a 64-bit-class machine */

/* A file time in the platform's layout: 100-ns units since 1601 (UTC). */
typedef struct ExeFileTime {
    uint32_t dwLowDateTime;
    uint32_t dwHighDateTime;
} ExeFileTime;

typedef struct ExeInfo {
    char Path[EXEINFO_TEXT_SIZE];        /* in: the file to examine */
    char Description[EXEINFO_TEXT_SIZE]; /* self-extractor kind, NE description */
    char Reserved1[EXEINFO_TEXT_SIZE];   /* never written */
    char ModuleName[EXEINFO_TEXT_SIZE];  /* export-directory or first resident name */
    uint32_t FileSize;                   /* low 32 bits */
    uint32_t Attributes;                 /* the platform's file attributes */
    uint32_t TimeStamp;                  /* PE time-date stamp, else 0 */
    uint32_t CodeSize;                   /* PE size of code, else 0xFFFFFFFF */
    uint32_t ResourceSize;               /* PE resource directory size, else 0xFFFFFFFF */
    int32_t DebugSize;                   /* PE debug directory size, else -1 */
    ExeFileTime LastWriteTime;
    uint16_t MinAlloc;                   /* DOS minimum extra paragraphs x 16 */
    uint16_t MaxAlloc;                   /* DOS maximum extra paragraphs x 16 */
    uint16_t Flags;                      /* EXEINFO_ bits */
    uint16_t CompilerCode;               /* see CompilerName; 0 when unknown */
    /* PE: OS major, minor; image major, minor; subsystem major, minor.
       NE: the last two hold the expected Windows major and minor. */
    uint16_t Versions[6];
    uint16_t LinkerMajor;
    uint16_t LinkerMinor;
    uint16_t Machine;
    uint16_t Subsystem;                  /* 3 before examination, 2 for NE */
    uint16_t ModuleCount;                /* items of ImportedDlls */
    uint16_t Reserved2;
    StrList ImportedFunctions;           /* "%-14s  %s": module, function */
    StrList ExportedNames;
    StrList ImportedDlls;                /* lower case, sorted, no duplicates */
    StrList FoundDlls;                   /* content scan, not in ImportedDlls */
} ExeInfo;

/* Examines the file named by info->Path; withNames fills ImportedFunctions
 * and ExportedNames (and for NE files ModuleName and Description), scanDlls
 * runs the content scan into FoundDlls.  Returns the flags word; 0 when the
 * file cannot be opened or is no executable. */
int LOOM_EXE_CDECL GetExeInfo(ExeInfo *info, int withNames, int scanDlls);

/* Only the content scan: the four lists are made empty, ModuleName cleared,
 * and FoundDlls filled.  0 when the file cannot be opened, else 1. */
int LOOM_EXE_CDECL SearchDll(ExeInfo *info);

/* 1 when the file starts with "MZ" or "ZM", else 0. */
int LOOM_EXE_CDECL IsFileExecutable(const char *path);

/* 1 when the file exports "DllCanUnloadNow" among its first eleven names. */
int LOOM_EXE_CDECL IsFileActiveX(const char *path);

/* The first of firstDir, the system directory and the Windows directory
 * that holds fileName as an executable (MZ), into out (at least 260 bytes);
 * out is empty when none does.  Returns out. */
char *LOOM_EXE_CDECL SeekFileInPossibleDir(const char *fileName, const char *firstDir, char *out);

/* Display names of the numeric results; constant texts of the library,
 * never to be freed.  No later call changes a text once returned, the name
 * of an unknown code ("不明", "不明な OS") included. */
const char *LOOM_EXE_CDECL SubSystemName(int code);
const char *LOOM_EXE_CDECL MachineName(int code);
const char *LOOM_EXE_CDECL CompilerName(int code);

#ifdef __cplusplus
}
#endif

LOOM_STATIC_ASSERT(offsetof(ExeInfo, Description) == 255, "Description at 255");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, ModuleName) == 765, "ModuleName at 765");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, FileSize) == 1020, "file size at 1020");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, Attributes) == 1024, "attributes at 1024");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, TimeStamp) == 1028, "time stamp at 1028");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, CodeSize) == 1032, "code size at 1032");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, ResourceSize) == 1036, "resource size at 1036");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, DebugSize) == 1040, "debug size at 1040");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, LastWriteTime) == 1044, "last write time at 1044");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, MinAlloc) == 1052, "minimum allocation at 1052");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, MaxAlloc) == 1054, "maximum allocation at 1054");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, Flags) == 1056, "flags at 1056");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, CompilerCode) == 1058, "compiler code at 1058");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, Versions) == 1060, "versions at 1060");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, LinkerMajor) == 1072, "linker major at 1072");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, LinkerMinor) == 1074, "linker minor at 1074");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, Machine) == 1076, "machine at 1076");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, Subsystem) == 1078, "subsystem at 1078");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, ModuleCount) == 1080, "module count at 1080");
/* The lists hold pointers: the record is 1,116 bytes where they are 32-bit. */
#if defined(_WIN32) && !defined(_WIN64)
LOOM_STATIC_ASSERT(offsetof(ExeInfo, ImportedFunctions) == 1084, "ImportedFunctions at 1084");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, ExportedNames) == 1092, "ExportedNames at 1092");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, ImportedDlls) == 1100, "ImportedDlls at 1100");
LOOM_STATIC_ASSERT(offsetof(ExeInfo, FoundDlls) == 1108, "FoundDlls at 1108");
LOOM_STATIC_ASSERT(sizeof(ExeInfo) == 1116, "ExeInfo is 1,116 bytes");
#endif

#endif
