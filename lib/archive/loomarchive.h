/* Archive exports of loomlib.dll: listing and extracting cabinet, LHA and
 * ZIP archives, building cabinets, and cutting an embedded cabinet out of
 * another file.  Every export uses the C calling convention; results are 1
 * for success or yes and 0 otherwise.  Paths are ANSI texts.
 *
 * Extracted members land directly in the destination folder under the last
 * plain component of their stored name: folders inside an archive are not
 * recreated, and no stored name ("..", a drive, an absolute path) can place a
 * file anywhere else.  A member without such a component (a folder, "..") or
 * naming a device is skipped. */
#ifndef LOOM_ARCHIVE_LOOMARCHIVE_H
#define LOOM_ARCHIVE_LOOMARCHIVE_H

#include <windows.h>

#include "archive/archive_entry.h"
#include "util/strlist.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The caller's function that an enumeration calls once per member, with the
 * standard Windows calling convention (the callee removes the arguments).
 * entry lives on the library's stack for the call only; user is the
 * caller's value, passed through untouched; the third argument is null when
 * enumerating.  The result is ignored. */
typedef int(CALLBACK *ArchiveCallback)(ArchiveEntry *entry, void *user, const char *path);

/* Cabinets, through the system's cabinet.dll, loaded from the system folder
 * on every call.  A cabinet path without a backslash names a file in the
 * current folder. */

/* Copies the first cabinet found in file (a self-extracting program, an
 * installer) into a new file named "cab....tmp" in destination, which is
 * created with its missing parents (an absolute path).  outPath (at least
 * 260 bytes) receives the new file's path; it is emptied first whenever the
 * file could be opened. */
int __cdecl ExtractCabFromFile(const char *file, const char *destination, char *outPath);
/* Builds the cabinet cabPath (MSZIP) from the files that match the wildcard
 * mask, without descending into folders; 1 when the cabinet could be
 * started, even when files were left out. */
int __cdecl CabCompressFiles(const char *cabPath, const char *mask);
/* Extracts the members whose whole stored name (folder part included, any
 * letter case) is an item of names, or every member when names is null, into
 * the existing folder destination, with their stored times and attributes.
 * 0 when the cabinet could not be read or a member could not be created. */
int __cdecl CabExtractFiles(DWORD ignored, const char *cabPath, const char *destination,
                            StrList *names);
int __cdecl CabExtractAllFiles(DWORD ignored, const char *cabPath, const char *destination);
/* Calls callback for every member; 0 without a callback or a readable
 * cabinet. */
int __cdecl CabEnum(const char *cabPath, void *user, ArchiveCallback callback);
int __cdecl IsFileCabinet(const char *path);

/* LHA archives (levels 0-2, methods lh0 and lh4-lh7), found anywhere in the
 * file.  1 when an archive was found; members that cannot be created are
 * skipped.  Extraction sets the stored times and DOS attributes. */
int __cdecl LhaExtractFiles(DWORD ignored, const char *archive, const char *destination,
                            StrList *names);
int __cdecl LhaExtractAllFiles(DWORD ignored, const char *archive, const char *destination);
/* Folder members are not reported. */
int __cdecl LhaEnum(const char *archive, void *user, ArchiveCallback callback);

/* ZIP archives, read from local header to local header (stored and
 * deflated members).  1 when the file could be opened.  Extraction sets the
 * stored times; the entry's attributes are the general-purpose flag word. */
int __cdecl ZipExtractFiles(DWORD ignored, const char *archive, const char *destination,
                            StrList *names);
int __cdecl ZipExtractAllFiles(DWORD ignored, const char *archive, const char *destination);
/* Folder members (names ending in "/") are not reported. */
int __cdecl ZipEnum(const char *archive, void *user, ArchiveCallback callback);

#ifdef __cplusplus
}
#endif

#endif
