#include "platform/Geometry.h"

#include <algorithm>

namespace qm {

Rect Rect::intersected(Rect const& other) const
{
    int const left = std::max(x, other.x);
    int const top = std::max(y, other.y);
    int const right_edge = std::min(right(), other.right());
    int const bottom_edge = std::min(bottom(), other.bottom());
    if (right_edge <= left || bottom_edge <= top)
        return {};
    return { left, top, right_edge - left, bottom_edge - top };
}

std::vector<Rect> subtract(Rect const& from, Rect const& minus)
{
    Rect const overlap = from.intersected(minus);
    if (overlap.empty())
        return from.empty() ? std::vector<Rect> {} : std::vector<Rect> { from };
    std::vector<Rect> parts;
    auto add = [&](Rect rect) {
        if (!rect.empty())
            parts.push_back(rect);
    };
    add({ from.x, from.y, from.width, overlap.y - from.y }); // above
    add({ from.x, overlap.bottom(), from.width, from.bottom() - overlap.bottom() }); // below
    add({ from.x, overlap.y, overlap.x - from.x, overlap.height }); // left
    add({ overlap.right(), overlap.y, from.right() - overlap.right(), overlap.height }); // right
    return parts;
}

}
