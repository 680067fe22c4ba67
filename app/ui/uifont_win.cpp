#include "ui/uifont_win.h"

namespace lex {

HFONT CreateUiFont(HWND wnd)
{
    HDC dc = GetDC(wnd);
    int pixels = MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(wnd, dc);
    return CreateUiFontOfHeight(pixels);
}

HFONT CreateUiFontOfHeight(int pixels, int weight)
{
    // A negative height asks for the character height, not the cell's.
    return CreateFontA(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "MS UI Gothic");
}

void SetFontOfChildren(HWND parent, HFONT font)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

} // namespace lex
