#include "ui/menubar_win.h"

namespace lex {

MenuBar::~MenuBar()
{
    for (Entry &e : entries_)
        if (!e.visible && e.popup)
            DestroyMenu(e.popup);
}

void MenuBar::Attach(HWND window, HMENU bar)
{
    window_ = window;
    bar_ = bar;
    entries_.clear();
    int n = GetMenuItemCount(bar);
    for (int i = 0; i < n; i++) {
        Entry e;
        char text[256] = "";
        MENUITEMINFOA mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_STRING | MIIM_SUBMENU | MIIM_ID;
        mi.dwTypeData = text;
        mi.cch = sizeof text;
        GetMenuItemInfoA(bar, static_cast<UINT>(i), TRUE, &mi);
        e.caption = text;
        e.popup = mi.hSubMenu;
        e.id = mi.wID;
        entries_.push_back(e);
    }
}

void MenuBar::SetVisible(int entry, bool on)
{
    Entry &e = entries_[entry];
    if (e.visible == on)
        return;
    // The entry's place in the bar: the visible entries before it.
    UINT pos = 0;
    for (int i = 0; i < entry; i++)
        pos += entries_[i].visible ? 1 : 0;
    if (on) {
        MENUITEMINFOA mi = {};
        mi.cbSize = sizeof mi;
        mi.fMask = MIIM_STRING | MIIM_ID | (e.popup ? MIIM_SUBMENU : 0);
        mi.dwTypeData = const_cast<char *>(e.caption.c_str());
        mi.wID = e.id;
        mi.hSubMenu = e.popup;
        InsertMenuItemA(bar_, pos, TRUE, &mi);
    } else {
        // RemoveMenu keeps the drop-down menu alive for the next showing.
        RemoveMenu(bar_, pos, MF_BYPOSITION);
    }
    e.visible = on;
}

void MenuBar::Redraw() const
{
    if (window_)
        DrawMenuBar(window_);
}

} // namespace lex
