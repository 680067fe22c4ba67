// Program start-up: the application title, the main window, the message loop.
#include <windows.h>

namespace {

const char kTitle[] = "Lexprobe";

LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "TMainForm";
    wc.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    RegisterClassA(&wc);
    HWND main = CreateWindowA("TMainForm", kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                              CW_USEDEFAULT, 553, 309, nullptr, nullptr, instance, nullptr);
    if (!main)
        return 1;
    ShowWindow(main, show);
    MSG m;
    while (GetMessageA(&m, nullptr, 0, 0) > 0) {
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return 0;
}
