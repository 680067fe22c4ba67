// A number box: an edit box holding an integer of a given range with an
// up-down control at its right edge.  It takes only digits as typed; the
// value is the integer in the text, or the value it held before when the
// text is not one (pasted letters, an emptied box), and the text is brought
// back to that value, or into range, when the box loses the focus.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>

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
    // Whether the text is an integer (in range or not).
    bool HoldsNumber() const;
    void Enable(bool on);

    // EN_KILLFOCUS of the edit box.
    void OnKillFocus();
    // UDN_DELTAPOS of the up-down control: steps from the current value.
    // Returns the result for the notification (nonzero: the control's own
    // change is suppressed).
    LRESULT OnDeltaPos(const NMUPDOWN *nm);

private:
    std::string Text() const;

    HWND edit_ = nullptr;
    HWND spin_ = nullptr;
    IntRange range_ = {0, 0, 0};
    int value_ = 0;  // the last value set or left in the box
};

} // namespace lex
