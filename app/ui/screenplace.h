// Whether a window can be put back where it was: the rule that a stored
// place of a window must meet on the monitors there are now.  Portable: the
// Windows side (screenplace_win.cpp) asks the system for the monitors.
#pragma once

#include <vector>

namespace lex {

// A rectangle in screen co-ordinates, right and bottom excluded.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// What a window needs of the screen to be usable.
struct PlaceNeeds {
    int minWidth = 0, minHeight = 0;
    int captionHeight = 0;
    // How much of the caption must lie on one monitor, at least: enough to
    // see it and take hold of it with the mouse (all of it, for a window
    // narrower than this).
    int visibleCaption = 150;
};

// The bounding rectangle of `areas` (the virtual screen); empty for none.
ScreenRect Bounds(const std::vector<ScreenRect> &areas);

// A size between the least that `needs` asks and the whole of the screens
// together: a window larger than all of them has its edges out of reach.
bool SizeFits(int width, int height, const std::vector<ScreenRect> &areas, const PlaceNeeds &needs);

// `place` can be used where the monitors' work areas are `areas`: its size
// fits, and its caption lies on one of the monitors from top to bottom,
// over at least needs.visibleCaption pixels of its width.
bool PlaceIsUsable(const ScreenRect &place, const std::vector<ScreenRect> &areas,
                   const PlaceNeeds &needs);

} // namespace lex
