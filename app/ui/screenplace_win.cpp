#include "ui/screenplace_win.h"

namespace lex {
namespace {

BOOL CALLBACK AddWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM areas)
{
    MONITORINFO info = {};
    info.cbSize = sizeof info;
    if (GetMonitorInfoA(monitor, &info))
        reinterpret_cast<std::vector<ScreenRect> *>(areas)->push_back(ScreenRectOf(info.rcWork));
    return TRUE;
}

} // namespace

std::vector<ScreenRect> MonitorWorkAreas()
{
    std::vector<ScreenRect> areas;
    EnumDisplayMonitors(nullptr, nullptr, AddWorkArea, reinterpret_cast<LPARAM>(&areas));
    if (areas.empty()) {
        RECT work;
        if (SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0))
            areas.push_back(ScreenRectOf(work));
    }
    return areas;
}

} // namespace lex
