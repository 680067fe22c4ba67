// File search exports: which usual place holds a program file, and a tree
// view item with a label and an image.
#include <windows.h>
#include <commctrl.h>

#include "util/loomshell.h"
#include "util/loomutil.h"
#include "version/exeinfo.h"

#include <cstring>

namespace {

// The longest directory that `out` (at least 260 bytes) can hold.
constexpr std::size_t kMaxDir = MAX_PATH - 1;

// True when dir joined with fileName names an executable file.
bool HoldsExecutable(const char *dir, const char *fileName)
{
    char path[2 * MAX_PATH + 2];
    if (std::strlen(dir) > kMaxDir || std::strlen(fileName) > MAX_PATH)
        return false;
    std::strcpy(path, dir);
    strCatPath(path, fileName);
    return IsFileExecutable(path) != 0;
}

} // namespace

extern "C" {

char *__cdecl SeekFileInPossibleDir(const char *fileName, const char *firstDir, char *out)
{
    if (!out)
        return out;
    out[0] = '\0';
    if (!fileName)
        return out;
    char system[256] = {};
    char windows[256] = {};
    UINT n = GetSystemDirectoryA(system, sizeof system);
    if (n == 0 || n >= sizeof system)
        system[0] = '\0';
    n = GetWindowsDirectoryA(windows, sizeof windows);
    if (n == 0 || n >= sizeof windows)
        windows[0] = '\0';
    const char *candidates[] = {firstDir, system, windows};
    for (const char *dir : candidates) {
        if (dir && dir[0] != '\0' && HoldsExecutable(dir, fileName)) {
            std::strcpy(out, dir);
            break;
        }
    }
    return out;
}

HTREEITEM __cdecl TreeView_AddItem(HTREEITEM parent, const char *label, HTREEITEM insertAfter,
                                   int image, HWND tree)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent;
    insert.hInsertAfter = insertAfter;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
    // A null label is an empty one; the callback marker is passed on.
    if (label == LPSTR_TEXTCALLBACKA) {
        insert.item.pszText = LPSTR_TEXTCALLBACKA;
    } else {
        insert.item.pszText = const_cast<char *>(label ? label : "");
        insert.item.cchTextMax = static_cast<int>(std::strlen(insert.item.pszText));
    }
    insert.item.iImage = image;
    insert.item.iSelectedImage = image;
    // The application data holds the image index, so that a caller can tell
    // the item's kind without asking for its image.
    insert.item.lParam = image;
    return reinterpret_cast<HTREEITEM>(
        SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

} // extern "C"
