#include "Win/uifont_win.h"

namespace lex {

HFONT CreateUiFont(HWND wnd)
{
    HDC dc = GetDC(wnd);
    int height = -MulDiv(9, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(wnd, dc);
    return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, "MS UI Gothic");
}

void SetFontOfChildren(HWND parent, HFONT font)
{
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
        SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
}

} // namespace lex
