// Calls the two theme exports in a process of its own, so that the test can
// make Wine report another system version to just this program.  The exit
// code says what happened: 1 LoomSetWindowTheme gave -1, 2
// LoomEnableThemeDialogTexture gave -1, 4 uxtheme.dll was loaded, 8 both
// gave what uxtheme.dll itself gives for the same calls.
#include <windows.h>

#include "util/loomshell.h"

int main()
{
    HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
    HWND window = CreateWindowA("STATIC", "probe", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    int set = LoomSetWindowTheme(window, "Explorer", "");
    int enable = LoomEnableThemeDialogTexture(window, 6);
    int code = (set == -1 ? 1 : 0) | (enable == -1 ? 2 : 0) | (uxtheme ? 4 : 0);
    if (uxtheme) {
        using SetFn = HRESULT(WINAPI *)(HWND, LPCWSTR, LPCWSTR);
        using EnableFn = HRESULT(WINAPI *)(HWND, DWORD);
        auto setTheme = reinterpret_cast<SetFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(uxtheme, "SetWindowTheme")));
        auto enableTexture = reinterpret_cast<EnableFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(uxtheme, "EnableThemeDialogTexture")));
        if (setTheme && enableTexture && set == setTheme(window, L"Explorer", L"") &&
            enable == enableTexture(window, 6))
            code |= 8;
    }
    DestroyWindow(window);
    return code;
}
