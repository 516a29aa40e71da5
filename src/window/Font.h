#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace qm {

// The window's font: a bold sans on a 13-pixel line, built in as bitmaps for
// printable ASCII with proportional widths. Labels measure their text with it.
class Font {
public:
    static constexpr int line_height = 13;

    struct Glyph {
        int advance;
        std::array<std::uint16_t, line_height> rows; // bit 0 is the leftmost pixel
    };

    static Font const& window_font();

    // A byte outside printable ASCII shows as '?'.
    Glyph const& glyph(char) const;
    int measure(std::string_view) const;
};

}
