#pragma once

#include <vector>

namespace qm {

// A rectangle of whole pixels; x grows to the right and y downwards.
struct Rect {
    int x { 0 };
    int y { 0 };
    int width { 0 };
    int height { 0 };

    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool empty() const { return width <= 0 || height <= 0; }
    long long area() const { return empty() ? 0 : static_cast<long long>(width) * height; }
    bool contains(int px, int py) const { return px >= x && px < right() && py >= y && py < bottom(); }
    Rect intersected(Rect const&) const;
    bool operator==(Rect const&) const = default;
};

// The parts of `from` that `minus` does not cover: at most four rectangles.
std::vector<Rect> subtract(Rect const& from, Rect const& minus);

// The inner size of a window or a screen in pixels.
struct ScreenSize {
    int width { 0 };
    int height { 0 };
    bool operator==(ScreenSize const&) const = default;
};

}
