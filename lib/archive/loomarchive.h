/* Archive exports of loomlib.dll: listing and extracting cabinet, LHA and
 * ZIP archives, building cabinets, and cutting an embedded cabinet out of
 * another file.  Every export uses the C calling convention; results are 1
 * for success or yes and 0 otherwise.  Paths are ANSI texts.
 *
 * Extracted members land directly in the destination folder under the last
 * plain component of their stored name: folders inside an archive are not
 * recreated, and no stored name ("..", a drive, an absolute path) can place a
 * file anywhere else.  The name is taken as the file system stores it: a
 * lead byte of the process's code page without its second byte (at the end,
 * or before a dot, a space or a separator) is dropped wherever it stands,
 * then dots and spaces at the end; a member without such a component (a
 * folder, "..") or naming a device ("CON", "COM5", ... with any extension)
 * is skipped.
 *
 * A member is written under a temporary name ("~lm....tmp") in the
 * destination folder and takes its own name only once it unpacked whole: to
 * exactly its declared size and, for LHA and ZIP, with its stored CRC.  A
 * member that fails (damaged or cut-off data, a wrong CRC, more or fewer
 * bytes than declared, a full disk) is deleted: it never stays behind under
 * its name, and a file of that name that was there stays as it was.  A
 * member that cannot be unpacked at all (a method without a decoder, an
 * encrypted ZIP member) makes no file, not even an empty one, and leaves a
 * file of its name as it was.
 *
 * After an extraction export, the thread's last error (GetLastError) tells
 * what became of the members selected.  When the export returns 1 it is 0
 * when every one was written, otherwise the code of the first that was not
 * (the others are still extracted):
 *   ERROR_CRC (23)            damaged data, a wrong CRC or a wrong size
 *   ERROR_HANDLE_EOF (38)     the packed data end early (a cut-off archive)
 *   ERROR_NOT_SUPPORTED (50)  a method without a decoder, or encrypted
 *   ERROR_INVALID_NAME (123)  no plain file name, a device's name, or a
 *                             stored name longer than 259 bytes (listed
 *                             cut, but the cut name may name another file)
 *   ERROR_FILENAME_EXCED_RANGE (206)  a destination folder too long for a
 *                             temporary name in it (over 246 characters)
 *                             or a member's path of 260 characters or more
 *   the file system's code    the file could not be made or put in place:
 *                             ERROR_PATH_NOT_FOUND (3) for a missing
 *                             destination folder, ERROR_ACCESS_DENIED (5)
 *                             for a read-only file of the member's name,
 *                             ERROR_DISK_FULL (112), ...
 * The same codes mean the same in all three formats.  For a cabinet, a
 * member that cannot be made or put in place, and damaged data, also stop
 * the extraction: the export returns 0 with that code. */
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
 * file could be opened.  A copy that fails (a full volume) leaves no file,
 * with the cause in the thread's last error; a destination of more than
 * 246 characters, too long for the new file's name, is refused with
 * ERROR_FILENAME_EXCED_RANGE before anything is made. */
int __cdecl ExtractCabFromFile(const char *file, const char *destination, char *outPath);
/* Builds the cabinet cabPath (MSZIP) from the files that match the wildcard
 * mask, without descending into folders.  The cabinet is written under a
 * temporary name beside cabPath and replaces a file of that name only when
 * complete.  The cabinet being written is never packed into itself, and the
 * spare cabinet's name "~TMP.cab" beside it is deleted only when the call
 * made that file.  1 when it was written, even when files that could not be
 * opened or read were left out; 0 when it could not be completed (a missing or
 * unwritable folder, a full disk, a read-only file at cabPath), with the
 * cause in the thread's last error and a file at cabPath as it was. */
int __cdecl CabCompressFiles(const char *cabPath, const char *mask);
/* Extracts the members whose whole stored name (folder part included, any
 * letter case) is an item of names, or every member when names is null, into
 * the existing folder destination, with their stored times and attributes.
 * 0 when the cabinet could not be read, its data were damaged, or a member
 * could not be created or put in place; the last error tells which (see
 * above; ERROR_FILE_NOT_FOUND or ERROR_BAD_FORMAT when there is no cabinet
 * to read).  The members before stay. */
int __cdecl CabExtractFiles(DWORD ignored, const char *cabPath, const char *destination,
                            StrList *names);
int __cdecl CabExtractAllFiles(DWORD ignored, const char *cabPath, const char *destination);
/* Calls callback for every member; 0 without a callback or a readable
 * cabinet. */
int __cdecl CabEnum(const char *cabPath, void *user, ArchiveCallback callback);
int __cdecl IsFileCabinet(const char *path);

/* LHA archives (levels 0-2, methods lh0 and lh4-lh7), found anywhere in the
 * file.  1 when an archive was found; members that cannot be written are
 * skipped and reported in the last error (see above).  Extraction sets the
 * stored times and DOS attributes. */
int __cdecl LhaExtractFiles(DWORD ignored, const char *archive, const char *destination,
                            StrList *names);
int __cdecl LhaExtractAllFiles(DWORD ignored, const char *archive, const char *destination);
/* Folder members (method -lhd-, or the folder attribute) are not reported. */
int __cdecl LhaEnum(const char *archive, void *user, ArchiveCallback callback);

/* ZIP archives, read from local header to local header (stored and
 * deflated members; members of the other methods the format defines, such
 * as bzip2, LZMA, Deflate64 or AES encryption, are listed, and extracting
 * them fails with ERROR_NOT_SUPPORTED).  1 when the file could be opened; members that cannot
 * be written are skipped and reported in the last error (see above).
 * Extraction checks each member's CRC-32 and sets the stored times; the
 * entry's attributes are the general-purpose flag word.  A member whose
 * local header leaves its sizes to the data descriptor (flag bit 3, as
 * writers streaming to a pipe store them) takes them from the central
 * directory, else from the data descriptor; its data are never searched for
 * further members. */
int __cdecl ZipExtractFiles(DWORD ignored, const char *archive, const char *destination,
                            StrList *names);
int __cdecl ZipExtractAllFiles(DWORD ignored, const char *archive, const char *destination);
/* Folder members (names ending in "/") are not reported. */
int __cdecl ZipEnum(const char *archive, void *user, ArchiveCallback callback);

#ifdef __cplusplus
}
#endif

#endif
