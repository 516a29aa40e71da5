#pragma once

#include "window/Image.h"

#include <cstdint>
#include <span>

namespace qm {

// Decodes an uncompressed 8-bit, bottom-up Windows bitmap file.
Image decode_bitmap(std::span<std::uint8_t const>);

// The first image of an icon or cursor file (uncompressed, up to 8 bits
// per pixel, with its transparency mask), decoded once for every platform.
struct IconImage {
    // Colours with the alpha in the top byte: 0xFF for opaque, 0 for transparent.
    Image argb;
    // The transparency mask, top row first, each row padded to 32 bits, the
    // leftmost pixel in the most significant bit; a set bit is transparent.
    std::vector<std::uint8_t> transparency;
    int mask_row_bytes { 0 };

    bool transparent(int x, int y) const { return transparency[static_cast<std::size_t>(y) * mask_row_bytes + x / 8] >> (7 - x % 8) & 1; }
};

IconImage decode_icon(std::span<std::uint8_t const>);

}
