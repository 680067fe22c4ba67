// Window and shell exports: one message of the queue, the visual-style
// functions of uxtheme.dll where the process has them, the shell's
// properties window of a file, and a tree view item with a label and an
// image.
#include <windows.h>
#include <commctrl.h>

#include "util/boundary.h"
#include "util/loomshell.h"

#include <cstring>
#include <string>

namespace {

// Visual styles exist from version 5.1 on.
bool HasVisualStyles()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return false;
    return info.dwMajorVersion * 100 + info.dwMinorVersion >= 501;
}

// A function of uxtheme.dll, only if the process has loaded it: the library
// never loads it itself.  (The cast goes through void (*)(), the function
// type that converts to any other.)
template <class Fn>
Fn ThemeFunction(const char *name)
{
    if (!HasVisualStyles())
        return nullptr;
    HMODULE uxtheme = GetModuleHandleA("uxtheme.dll");
    FARPROC function = uxtheme ? GetProcAddress(uxtheme, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(function));
}

// An ANSI text as UTF-16, composite characters kept apart, at most 511
// characters and a terminator.
std::wstring Wide(const char *text)
{
    constexpr int kMax = 512;
    wchar_t buffer[kMax];
    int n = MultiByteToWideChar(CP_ACP, MB_COMPOSITE, text, -1, buffer, kMax);
    if (n == 0 && GetLastError() == ERROR_INVALID_FLAGS)
        n = MultiByteToWideChar(CP_ACP, 0, text, -1, buffer, kMax);
    if (n == 0 && GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        int need = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        std::wstring whole(need > 0 ? need : 1, L'\0');
        MultiByteToWideChar(CP_ACP, 0, text, -1, &whole[0], need);
        whole.resize(kMax - 1);
        return whole;
    }
    return std::wstring(buffer, n > 0 ? n - 1 : 0);
}

} // namespace

extern "C" {

int __cdecl ProcessSingleMessage(void)
{
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        return 0;
    // Dispatching a quit request would lose it: the caller's loop must see
    // it to end the program.
    if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return 0;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return 1;
}

int __cdecl LoomSetWindowTheme(HWND window, const char *subAppName, const char *subIdList)
{
    return loom::CallGuarded(-1, [&] {
        using Fn = HRESULT(WINAPI *)(HWND, LPCWSTR, LPCWSTR);
        auto setTheme = ThemeFunction<Fn>("SetWindowTheme");
        if (!setTheme)
            return -1;
        std::wstring app = subAppName ? Wide(subAppName) : std::wstring();
        std::wstring ids = subIdList ? Wide(subIdList) : std::wstring();
        return static_cast<int>(setTheme(window, subAppName ? app.c_str() : nullptr,
                                         subIdList ? ids.c_str() : nullptr));
    });
}

int __cdecl LoomEnableThemeDialogTexture(HWND window, DWORD flags)
{
    using Fn = HRESULT(WINAPI *)(HWND, DWORD);
    auto enable = ThemeFunction<Fn>("EnableThemeDialogTexture");
    if (!enable)
        return -1;
    return static_cast<int>(enable(window, flags));
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
