#pragma once

#include <cstdint>
#include <span>

namespace qm::assets {

// The built-in images, embedded in the program at build time from assets/.
std::span<std::uint8_t const> logo_bitmap(); // logo.bmp: 282 x 306, 8 bits per pixel
std::span<std::uint8_t const> window_icon(); // icon.ico: 32 x 32, 16 colours
std::span<std::uint8_t const> blank_pointer(); // blank.cur: every pixel transparent

}
