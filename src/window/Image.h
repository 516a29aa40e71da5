#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <vector>

namespace qm {

// A 32-bit colour 0x00RRGGBB.
using Pixel = std::uint32_t;

constexpr Pixel rgb(int red, int green, int blue)
{
    return static_cast<Pixel>(red) << 16 | static_cast<Pixel>(green) << 8 | static_cast<Pixel>(blue);
}

// An image of 32-bit pixels, row by row from the top.
class Image {
public:
    Image() = default;
    Image(int width, int height, Pixel fill = 0);

    int width() const { return m_width; }
    int height() const { return m_height; }
    Rect bounds() const { return { 0, 0, m_width, m_height }; }
    Pixel at(int x, int y) const { return m_pixels[static_cast<std::size_t>(y) * m_width + x]; }
    void set(int x, int y, Pixel pixel) { m_pixels[static_cast<std::size_t>(y) * m_width + x] = pixel; }
    Pixel const* row(int y) const { return m_pixels.data() + static_cast<std::size_t>(y) * m_width; }
    std::vector<Pixel> const& pixels() const { return m_pixels; }

    // Both clip to the image.
    void fill(Rect, Pixel);
    // Copies `source` so that its point (source_x, source_y) lands on target's top-left corner.
    void copy(Image const& source, int source_x, int source_y, Rect target);

    bool operator==(Image const&) const = default;

private:
    int m_width { 0 };
    int m_height { 0 };
    std::vector<Pixel> m_pixels;
};

}
