// The user-interface font of the program's windows: "MS UI Gothic", 9
// points, Shift-JIS character set.
#pragma once

#include <windows.h>

namespace lex {

// The caller owns the font (DeleteObject).
HFONT CreateUiFont(HWND wnd);

// Gives `font` to every child of `parent`.
void SetFontOfChildren(HWND parent, HFONT font);

} // namespace lex
