// The rule of a usable window place.
#include "ui/screenplace.h"

#include <algorithm>

namespace lex {

ScreenRect Bounds(const std::vector<ScreenRect> &areas)
{
    if (areas.empty())
        return ScreenRect();
    ScreenRect all = areas.front();
    for (const ScreenRect &a : areas) {
        all.left = std::min(all.left, a.left);
        all.top = std::min(all.top, a.top);
        all.right = std::max(all.right, a.right);
        all.bottom = std::max(all.bottom, a.bottom);
    }
    return all;
}

bool SizeFits(int width, int height, const std::vector<ScreenRect> &areas, const PlaceNeeds &needs)
{
    const ScreenRect all = Bounds(areas);
    return width >= needs.minWidth && height >= needs.minHeight && width <= all.Width() &&
           height <= all.Height();
}

bool PlaceIsUsable(const ScreenRect &place, const std::vector<ScreenRect> &areas,
                   const PlaceNeeds &needs)
{
    if (!SizeFits(place.Width(), place.Height(), areas, needs))
        return false;
    // Computed in 64 bits: stored co-ordinates may lie near the ends of int.
    const long long captionBottom = static_cast<long long>(place.top) + needs.captionHeight;
    const long long want = std::min(needs.visibleCaption, place.Width());
    for (const ScreenRect &a : areas) {
        const long long shown = static_cast<long long>(std::min(place.right, a.right)) -
                                std::max(place.left, a.left);
        if (place.top >= a.top && captionBottom <= a.bottom && shown >= want)
            return true;
    }
    return false;
}

} // namespace lex
