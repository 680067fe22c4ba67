// A number box: an edit box holding an integer of a given range with an
// up-down control at its right edge.  The value is the integer in the text
// (the minimum when the text is not one); the text is brought into range
// when the box loses the focus.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "base/intrange.h"

namespace lex {

class NumberBox {
public:
    // Creates the edit box and its up-down control as children of `parent`,
    // for values in `range`.
    void Create(HWND parent, int editId, int spinId, const RECT &bounds, HFONT font,
                const IntRange &range);
    // Takes over an edit box and up-down control made from a dialog template.
    void Attach(HWND edit, HWND spin, const IntRange &range);
    // Moves the box; the up-down control follows.
    void Move(const RECT &bounds);

    HWND edit() const { return edit_; }
    HWND spin() const { return spin_; }

    int Value() const;
    void SetValue(int value);      // brought into range
    void Enable(bool on);

    // EN_KILLFOCUS of the edit box.
    void OnKillFocus();
    // UDN_DELTAPOS of the up-down control: steps from the current value.
    // Returns the result for the notification (nonzero: the control's own
    // change is suppressed).
    LRESULT OnDeltaPos(const NMUPDOWN *nm);

private:
    HWND edit_ = nullptr;
    HWND spin_ = nullptr;
    IntRange range_ = {0, 0, 0};
};

} // namespace lex
