// Rules that every window and dialog of the program keeps, checked on the
// live window rather than against its resource: each visible control lies
// inside the client area, no two overlap (group boxes and an up-down control
// on its box aside), each caption fits its control in the control's own
// font, and (where asked) the tab order runs row by row, left to right.
// One line for each fault.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace testsupport {

struct LaidOutControl {
    HWND hwnd;
    RECT rect; // in the parent's client coordinates
    LONG style;
    std::string cls, text, name;
    bool Is(const char *cls_, LONG buttonType = -1) const
    {
        return _stricmp(cls.c_str(), cls_) == 0 &&
               (buttonType < 0 || (style & BS_TYPEMASK) == buttonType);
    }
};

inline std::vector<LaidOutControl> VisibleControls(HWND parent)
{
    std::vector<LaidOutControl> controls;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c))
            continue;
        LaidOutControl control = {c, {}, GetWindowLongA(c, GWL_STYLE), "", "", ""};
        GetWindowRect(c, &control.rect);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&control.rect), 2);
        char text[512] = "";
        GetClassNameA(c, text, sizeof text);
        control.cls = text;
        GetWindowTextA(c, text, sizeof text);
        control.text = text;
        control.name = "control " + std::to_string(GetDlgCtrlID(c)) + " (" + control.cls + " \"" +
                       control.text + "\")";
        controls.push_back(control);
    }
    return controls;
}

// Whether the caption fits: on one line within `room` pixels, or wrapped at
// `room` within the control's height.
inline bool CaptionFits(const LaidOutControl &c, int room, bool wrapped, UINT format = 0)
{
    HDC dc = GetDC(c.hwnd);
    HFONT font = reinterpret_cast<HFONT>(SendMessageA(c.hwnd, WM_GETFONT, 0, 0));
    HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(SYSTEM_FONT));
    RECT r = {0, 0, room, 0};
    DrawTextA(dc, c.text.c_str(), -1, &r, DT_CALCRECT | format | (wrapped ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(c.hwnd, dc);
    return wrapped ? r.bottom <= c.rect.bottom - c.rect.top : r.right <= room;
}

inline bool CaptionFits(const LaidOutControl &c)
{
    const int width = c.rect.right - c.rect.left, edges = 2 * GetSystemMetrics(SM_CXEDGE);
    if (c.text.empty())
        return true;
    if (c.Is("Button", BS_PUSHBUTTON) || c.Is("Button", BS_DEFPUSHBUTTON))
        return CaptionFits(c, width - edges, (c.style & BS_MULTILINE) != 0);
    if (c.Is("Button", BS_GROUPBOX))
        return CaptionFits(c, width - edges - 8, false);
    if (c.Is("Button")) // check boxes and radio buttons: the mark, then the caption
        return CaptionFits(c, width - GetSystemMetrics(SM_CXMENUCHECK) - 2,
                           (c.style & BS_MULTILINE) != 0);
    const LONG type = c.style & SS_TYPEMASK;
    const UINT prefix = (c.style & SS_NOPREFIX) ? DT_NOPREFIX : 0;
    if (c.Is("Static") && (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT))
        return CaptionFits(c, width, true, prefix);
    if (c.Is("Static") && (type == SS_LEFTNOWORDWRAP || type == SS_SIMPLE))
        return CaptionFits(c, width, false, prefix);
    return true;
}

// Whether `b` comes after `a` in reading order: on the same row (their
// heights overlap) further right, or on a lower row.
inline bool ReadsAfter(const RECT &a, const RECT &b)
{
    const bool sameRow = a.top < b.bottom && b.top < a.bottom;
    return sameRow ? b.left > a.left : b.top >= a.bottom;
}

// An up-down control sits on the edge of the box it steps.
inline bool Buddies(const LaidOutControl &a, const LaidOutControl &b)
{
    auto buddy = [](const LaidOutControl &c) {
        return c.Is(UPDOWN_CLASSA) ? reinterpret_cast<HWND>(SendMessageA(c.hwnd, UDM_GETBUDDY, 0, 0))
                                   : nullptr;
    };
    return buddy(a) == b.hwnd || buddy(b) == a.hwnd;
}

inline std::vector<std::string> LayoutFaults(HWND window, bool tabOrderByRows)
{
    std::vector<std::string> faults;
    RECT client, both;
    GetClientRect(window, &client);
    const std::vector<LaidOutControl> controls = VisibleControls(window);
    const LaidOutControl *lastStop = nullptr; // a dialog's tab order is its controls' order
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const LaidOutControl &c = controls[i];
        if (c.rect.left < 0 || c.rect.top < 0 || c.rect.right > client.right ||
            c.rect.bottom > client.bottom)
            faults.push_back(c.name + " lies outside the client area");
        if (!CaptionFits(c))
            faults.push_back(c.name + " is too small for its caption");
        for (std::size_t j = i + 1; j < controls.size(); ++j)
            if (!c.Is("Button", BS_GROUPBOX) && !controls[j].Is("Button", BS_GROUPBOX) &&
                !Buddies(c, controls[j]) && IntersectRect(&both, &c.rect, &controls[j].rect))
                faults.push_back(c.name + " overlaps " + controls[j].name);
        if (tabOrderByRows && (c.style & WS_TABSTOP)) {
            if (lastStop && !ReadsAfter(lastStop->rect, c.rect))
                faults.push_back("the tab order goes from " + lastStop->name + " back to " + c.name);
            lastStop = &c;
        }
    }
    return faults;
}

} // namespace testsupport
