// Window and shell exports: one message of the queue, the visual-style
// functions of uxtheme.dll where the process has them, and the shell's
// properties window of a file.
#include <windows.h>

#include "util/boundary.h"
#include "util/loomshell.h"

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

} // extern "C"
