// The main window's menu bar with top-level entries that can be hidden.
// A hidden entry is taken out of the bar and put back at its own place when
// shown again, so the bar never shows a gap.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lex {

class MenuBar {
public:
    MenuBar() = default;
    MenuBar(const MenuBar &) = delete;
    MenuBar &operator=(const MenuBar &) = delete;
    // Destroys the drop-down menus of entries that are out of the bar; the
    // bar itself (and what it holds) goes with its window.
    ~MenuBar();

    // Takes over `bar`, already set as `window`'s menu, with every entry
    // visible.  Entries are numbered by their position in `bar`.
    void Attach(HWND window, HMENU bar);
    void SetVisible(int entry, bool on);
    // The entry's drop-down menu (null for a plain entry).
    HMENU Popup(int entry) const { return entries_[entry].popup; }
    // Redraws the bar after changes.
    void Redraw() const;

private:
    struct Entry {
        std::string caption;
        HMENU popup = nullptr;
        UINT id = 0;
        bool visible = true;
    };
    HWND window_ = nullptr;
    HMENU bar_ = nullptr;
    std::vector<Entry> entries_;
};

} // namespace lex
