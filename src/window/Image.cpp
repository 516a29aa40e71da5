#include "window/Image.h"

#include <algorithm>

namespace qm {

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
