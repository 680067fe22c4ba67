// The user-interface font of the program's windows: "MS UI Gothic" with the
// Shift-JIS character set, at 9 points or at a height in pixels.
#pragma once

#include <windows.h>

namespace lex {

// The caller owns the font (DeleteObject).
HFONT CreateUiFont(HWND wnd);

// The same face with characters `pixels` high, of the given weight.
HFONT CreateUiFontOfHeight(int pixels, int weight = FW_NORMAL);

// Gives `font` to every child of `parent`.
void SetFontOfChildren(HWND parent, HFONT font);

} // namespace lex
