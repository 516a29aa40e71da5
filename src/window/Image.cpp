#include "window/Image.h"

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

Image::Image(int width, int height, Pixel fill)
    : m_width(width)
    , m_height(height)
    , m_pixels(static_cast<std::size_t>(width) * height, fill)
{
}

void Image::fill(Rect rect, Pixel pixel)
{
    rect = rect.intersected(bounds());
    for (int y = rect.y; y < rect.bottom(); ++y)
        std::fill_n(m_pixels.begin() + static_cast<std::ptrdiff_t>(y) * m_width + rect.x, rect.width, pixel);
}

void Image::copy(Image const& source, int source_x, int source_y, Rect target)
{
    // Clip the target to this image and to what the source holds.
    Rect const source_area { target.x - source_x, target.y - source_y, source.width(), source.height() };
    target = target.intersected(bounds()).intersected(source_area);
    for (int y = target.y; y < target.bottom(); ++y) {
        Pixel const* from = source.row(y - source_area.y) + (target.x - source_area.x);
        std::copy_n(from, target.width, m_pixels.begin() + static_cast<std::ptrdiff_t>(y) * m_width + target.x);
    }
}

}
