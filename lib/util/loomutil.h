/* Utility exports of loomlib.dll: the string list, in-place text filters and
 * size formatting, registry, path and file-system helpers.  Every function
 * uses the C calling convention; results are 1 for success and 0 for failure
 * unless stated otherwise.  Callers own every buffer they pass.  A null
 * pointer where a list, a text or a buffer is needed gives the failure
 * result (0, or the null pointer given; StrList_Item the empty text;
 * strCatPath with a null component the path unchanged) with
 * ERROR_INVALID_PARAMETER as the thread's last error. */
#ifndef LOOM_UTIL_LOOMUTIL_H
#define LOOM_UTIL_LOOMUTIL_H

#include <windows.h>

#include "util/strlist.h"

#ifdef __cplusplus
extern "C" {
#endif

/* String list; items are numbered from 1.  Each function takes the caller's
 * head, which StrList_New makes empty.  StrList_Add returns 0 and leaves the
 * list unchanged when memory runs out.  StrList_Item returns the head's text
 * for an index of 0 or below and an empty text above the count.  Both sorts
 * compare by character under the process's ANSI code page and return 0 for
 * an empty list. */
int __cdecl StrList_New(StrList *list);
int __cdecl StrList_Count(StrList *list);
int __cdecl StrList_Add(StrList *list, const char *text);
const char *__cdecl StrList_Item(StrList *list, int index);
int __cdecl StrList_Delete(StrList *list, int index);
int __cdecl StrList_Destroy(StrList *list);
int __cdecl StrList_Sort(StrList *list);
int __cdecl StrList_SortAndDelDup(StrList *list);

/* In-place text filters (Shift-JIS lead bytes 0x81-0x9F, 0xE0-0xFC); each
 * returns its argument.  szURLEncode needs room for three times the text's
 * length plus 1 byte. */
char *__cdecl szURLEncode(char *text);
char *__cdecl szDeleteRetTab(char *text);
char *__cdecl szDeleteRetTabCtrl(char *text);

/* The byte count high * 2^32 + low as a short text with a unit, into out (at
 * least 13 bytes); returns out. */
char *__cdecl FormatFileSize(DWORD low, DWORD high, char *out);

/* A registry value as text into out (size bytes, always NUL-terminated);
 * empty when it cannot be read.  Returns out. */
char *__cdecl RegReadString(HKEY root, const char *subkey, const char *name, char *out,
                            DWORD size);
/* Stores text as REG_SZ, or deletes the value when text is null; 1 when the
 * key could be opened or created. */
int __cdecl RegWriteString(HKEY root, const char *subkey, const char *name, const char *text);
/* Deletes every subkey and value below the key, keeping the key itself. */
int __cdecl RegDeleteAllSubKeys(HKEY root, const char *subkey);

/* A file's three times (null pointers are skipped); -1 when the file cannot
 * be opened, otherwise 1. */
int __cdecl GetFileDates(const char *path, FILETIME *created, FILETIME *accessed,
                         FILETIME *written);
int __cdecl SetFileDates(const char *path, const FILETIME *created, const FILETIME *accessed,
                         const FILETIME *written);

/* Path texts; backslashes are found byte by byte. */
const char *__cdecl strExtractFileName(const char *path);
const char *__cdecl strExtractFileExt(const char *path);
char *__cdecl strExtractFileDir(char *path);
char *__cdecl strCatPath(char *path, const char *component);

/* Creates an absolute directory path with its missing parents; 1 when the
 * directory exists at the end. */
int __cdecl CreateDirectoryAtOnce(const char *path);
/* Deletes a directory with everything below it; 1 when all of it is gone.
 * Read-only files are kept and make the result 0. */
int __cdecl DelTree(const char *path);

#ifdef __cplusplus
}
#endif

#endif
