/* The suite's version dialog of loomlib.dll.
 *
 * The caller fills a VerInfoParam and passes its address; the record is
 * exchanged with programs built elsewhere, so in the 32-bit library its
 * layout is fixed byte for byte (308 bytes). */
#ifndef LOOM_VERDLG_LOOMVERINFO_H
#define LOOM_VERDLG_LOOMVERINFO_H

#include <stddef.h>
#include <windows.h>

#include "util/loomdefs.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct VerInfoParam {
    char ProductName[100];   /* NUL-terminated */
    char VersionText[50];    /* NUL-terminated */
    char CopyrightText[100]; /* NUL-terminated */
    char Reserved[50];
    const char *ExtraText;   /* appended after the system report; null: nothing */
    HBITMAP Bitmap;          /* painted in the picture area; the caller's */
} VerInfoParam;

/* Shows the version dialog modally: product line, copyright, the versions
 * of the suite's component files, the system report and ExtraText, and a
 * button for a support mail.  Returns the identifier of the button that
 * closed it (1 OK, 2 cancel or the close box), or -1 when the dialog could
 * not be created. */
INT_PTR __cdecl LoomVerInfo(HWND owner, const VerInfoParam *param);

#ifdef __cplusplus
}
#endif

#if defined(_WIN32) && !defined(_WIN64)
LOOM_STATIC_ASSERT(offsetof(VerInfoParam, VersionText) == 100, "VersionText at 100");
LOOM_STATIC_ASSERT(offsetof(VerInfoParam, CopyrightText) == 150, "CopyrightText at 150");
LOOM_STATIC_ASSERT(offsetof(VerInfoParam, ExtraText) == 300, "ExtraText at 300");
LOOM_STATIC_ASSERT(offsetof(VerInfoParam, Bitmap) == 304, "Bitmap at 304");
LOOM_STATIC_ASSERT(sizeof(VerInfoParam) == 308, "VerInfoParam is 308 bytes");
#endif

#endif
