// Version resource reader of loomlib: the record and the two exports.
//
// The record is exchanged by address with programs built elsewhere, so its
// layout is fixed byte for byte: eleven 255-byte ANSI string fields, no
// header, no padding.
#pragma once

#include <stddef.h>

#include "util/loomdefs.h"

#if defined(_WIN32)
#define LOOM_CDECL __cdecl
#else
#define LOOM_CDECL
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define FILEVERINFO_FIELD_SIZE 255

typedef struct FileVerInfo {
    char FileVersion[FILEVERINFO_FIELD_SIZE];
    char FileDescription[FILEVERINFO_FIELD_SIZE];
    char LegalCopyright[FILEVERINFO_FIELD_SIZE];
    char Comments[FILEVERINFO_FIELD_SIZE];
    char CompanyName[FILEVERINFO_FIELD_SIZE];
    char Language[FILEVERINFO_FIELD_SIZE];
    char LegalTrademarks[FILEVERINFO_FIELD_SIZE];
    char OriginalFileName[FILEVERINFO_FIELD_SIZE];
    char ProductVersion[FILEVERINFO_FIELD_SIZE];
    char ProductName[FILEVERINFO_FIELD_SIZE];
    char InternalName[FILEVERINFO_FIELD_SIZE];
} FileVerInfo;

// Fills `out` (2,805 writable bytes) from the string table of the version
// resource of the file `path`, in the language and code page of the first
// translation entry.  Returns 1 when the resource and its translation table
// were read (single fields may still be empty), 0 when the file has no
// readable version resource; the fields are cleared first in every case.
int LOOM_CDECL GetFileVerInfo(const char *path, FileVerInfo *out);

// The language identifier of the first translation entry of the file's
// version resource, or 0 when there is none or it cannot be read.
int LOOM_CDECL GetFileVerLCID(const char *path);

#ifdef __cplusplus
}
#endif

LOOM_STATIC_ASSERT(sizeof(FileVerInfo) == 2805, "FileVerInfo is 2,805 bytes");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, FileVersion) == 0, "FileVersion at 0");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, FileDescription) == 255, "FileDescription at 255");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, LegalCopyright) == 510, "LegalCopyright at 510");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, Comments) == 765, "Comments at 765");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, CompanyName) == 1020, "CompanyName at 1020");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, Language) == 1275, "Language at 1275");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, LegalTrademarks) == 1530, "LegalTrademarks at 1530");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, OriginalFileName) == 1785, "OriginalFileName at 1785");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, ProductVersion) == 2040, "ProductVersion at 2040");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, ProductName) == 2295, "ProductName at 2295");
LOOM_STATIC_ASSERT(offsetof(FileVerInfo, InternalName) == 2550, "InternalName at 2550");
