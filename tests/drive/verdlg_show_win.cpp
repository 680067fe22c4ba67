// Opens the library's version dialog (LoomVerInfo of loomlib.dll) as a
// program of the suite does, for scripts/screenshot.sh:
//   verdlg_show.exe SECONDS READY-FILE
// Once the dialog is up and painted it creates READY-FILE; SECONDS later it
// closes the dialog with OK.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "loom_version.h"
#include "verdlg/loomverinfo.h"

namespace {

const char *g_ready;
DWORD g_stay;
DWORD g_closeAt;

// A picture for the dialog: dark to light blue with a woven pattern.
HBITMAP Picture(int width, int height)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            int shade = 40 + 160 * y / height;
            bool thread = ((x / 6) + (y / 6)) % 2 == 0 && (x % 6 == 0 || y % 6 == 0);
            SetPixel(dc, x, y, thread ? RGB(240, 240, 255) : RGB(shade / 3, shade / 2, shade));
        }
    }
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
{
    HWND dialog = GetActiveWindow();
    if (!dialog)
        return;
    if (g_ready) {
        UpdateWindow(dialog);
        if (std::FILE *f = std::fopen(g_ready, "w"))
            std::fclose(f);
        g_ready = nullptr;
        g_closeAt = GetTickCount() + g_stay;
    }
    if (!g_ready && GetTickCount() >= g_closeAt)
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 2;
    g_ready = argv[2];
    g_stay = 1000 * static_cast<DWORD>(std::atoi(argv[1]));
    VerInfoParam param;
    std::memset(&param, 0, sizeof param);
    std::strcpy(param.ProductName, "Lexprobe");
    std::strcpy(param.VersionText, LOOM_VER_STRING);
    std::strcpy(param.CopyrightText, LOOM_COPYRIGHT);
    param.ExtraText = "\r\nこの欄の内容はメールで送信できます。";
    param.Bitmap = Picture(64, 200);
    SetTimer(nullptr, 0, 300, Tick);
    INT_PTR result = LoomVerInfo(nullptr, &param);
    DeleteObject(param.Bitmap);
    return result == IDOK ? 0 : 1;
}
