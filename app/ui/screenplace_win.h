// The monitors as the place rule (screenplace.h) sees them.
#pragma once

#include <windows.h>

#include <vector>

#include "ui/screenplace.h"

namespace lex {

// The work area of every monitor (the screen without the taskbar).
std::vector<ScreenRect> MonitorWorkAreas();

inline ScreenRect ScreenRectOf(const RECT &r)
{
    return ScreenRect{r.left, r.top, r.right, r.bottom};
}

} // namespace lex
