/* Window and shell exports of loomlib.dll.  Every function uses
 * the C calling convention. */
#ifndef LOOM_UTIL_LOOMSHELL_H
#define LOOM_UTIL_LOOMSHELL_H

#include <windows.h>
#include <commctrl.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Takes one pending message of the calling thread, if there is one, and
 * translates and dispatches it: 1 when a message was dispatched, 0 when the
 * queue was empty.  A quit request is left for the caller's own loop: it
 * is posted again and the result is 0. */
int __cdecl ProcessSingleMessage(void);

/* SetWindowTheme and EnableThemeDialogTexture of uxtheme.dll, when the
 * system is 5.1 or later and the process has loaded uxtheme.dll already;
 * -1 otherwise.  The texts are ANSI; a null text is passed on as null. */
int __cdecl LoomSetWindowTheme(HWND window, const char *subAppName, const char *subIdList);
int __cdecl LoomEnableThemeDialogTexture(HWND window, DWORD flags);

/* Opens the shell's properties window of a file or folder (a full path of
 * at most 255 characters, turned to lower case in place).  The COM result
 * of the last step, or -1 when no such item exists below My Computer. */
int __cdecl InvokeFileProperty(HWND owner, char *path);

/* Inserts an item with a label and an image (also as the selected image)
 * into a tree view; the new item, or null when the control refused it. */
HTREEITEM __cdecl TreeView_AddItem(HTREEITEM parent, const char *label, HTREEITEM insertAfter,
                                   int image, HWND tree);

#ifdef __cplusplus
}
#endif

#endif
