#include "window/ImageFiles.h"

#include <algorithm>
#include <stdexcept>

namespace qm {

namespace {

std::uint32_t read_u16(std::span<std::uint8_t const> bytes, std::size_t at) { return std::uint32_t(bytes[at]) | std::uint32_t(bytes[at + 1]) << 8; }

std::uint32_t read_u32(std::span<std::uint8_t const> bytes, std::size_t at)
{
    return read_u16(bytes, at) | read_u16(bytes, at + 2) << 16;
}

std::size_t padded_row_bytes(std::size_t width, std::size_t bits) { return (width * bits + 31) / 32 * 4; }

}

Image decode_bitmap(std::span<std::uint8_t const> bytes)
{
    if (bytes.size() < 54 || bytes[0] != 'B' || bytes[1] != 'M')
        throw std::invalid_argument("not a bitmap file");
    auto const offset = read_u32(bytes, 10);
    auto const width = static_cast<int>(read_u32(bytes, 18));
    auto const height = static_cast<int>(read_u32(bytes, 22));
    auto const bits = bytes[28] | bytes[29] << 8;
    auto const compression = read_u32(bytes, 30);
    std::size_t const row_bytes = padded_row_bytes(static_cast<std::size_t>(width), 8);
    if (bits != 8 || compression != 0 || width <= 0 || height <= 0 || offset + row_bytes * height > bytes.size() || 54 + 256 * 4 > offset)
        throw std::invalid_argument("not an uncompressed 8-bit bitmap");
    Image image(width, height);
    for (int y = 0; y < height; ++y) {
        std::size_t const row = offset + row_bytes * static_cast<std::size_t>(height - 1 - y);
        for (int x = 0; x < width; ++x) {
            std::size_t const entry = 54 + 4 * std::size_t(bytes[row + x]);
            image.set(x, y, rgb(bytes[entry + 2], bytes[entry + 1], bytes[entry]));
        }
    }
    return image;
}

IconImage decode_icon(std::span<std::uint8_t const> bytes)
{
    // A 6-byte header, one 16-byte directory entry per image, then each
    // image as a bitmap header, a palette, the colour rows and the mask rows,
    // both bottom row first; the bitmap header counts both halves in its height.
    if (bytes.size() < 6 + 16 || read_u16(bytes, 0) != 0 || (read_u16(bytes, 2) != 1 && read_u16(bytes, 2) != 2) || read_u16(bytes, 4) < 1)
        throw std::invalid_argument("not an icon or cursor file");
    std::size_t const header = read_u32(bytes, 18);
    if (header + 40 > bytes.size() || read_u32(bytes, header) != 40)
        throw std::invalid_argument("not an uncompressed icon image");
    auto const width = static_cast<int>(read_u32(bytes, header + 4));
    auto const height = static_cast<int>(read_u32(bytes, header + 8)) / 2;
    std::size_t const bits = read_u16(bytes, header + 14);
    if (width <= 0 || width > 256 || height <= 0 || height > 256 || (bits != 1 && bits != 4 && bits != 8) || read_u32(bytes, header + 16) != 0)
        throw std::invalid_argument("not an uncompressed icon image");
    std::size_t const palette = header + 40;
    std::size_t const colours = palette + 4 * (std::size_t(1) << bits);
    std::size_t const colour_row_bytes = padded_row_bytes(width, bits);
    std::size_t const mask = colours + colour_row_bytes * height;
    std::size_t const mask_row_bytes = padded_row_bytes(width, 1);
    if (mask + mask_row_bytes * height > bytes.size())
        throw std::invalid_argument("icon image cut short");

    IconImage icon { Image(width, height), std::vector<std::uint8_t>(mask_row_bytes * height), static_cast<int>(mask_row_bytes) };
    for (int y = 0; y < height; ++y) {
        std::size_t const row = static_cast<std::size_t>(height - 1 - y);
        std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(mask + row * mask_row_bytes), mask_row_bytes,
            icon.transparency.begin() + static_cast<std::ptrdiff_t>(y * mask_row_bytes));
        for (int x = 0; x < width; ++x) {
            std::size_t const bit_offset = static_cast<std::size_t>(x) * bits;
            std::uint8_t const packed = bytes[colours + row * colour_row_bytes + bit_offset / 8];
            int const index = packed >> (8 - bits - bit_offset % 8) & ((1 << bits) - 1);
            std::size_t const entry = palette + 4 * static_cast<std::size_t>(index);
            Pixel const alpha = icon.transparent(x, y) ? 0 : 0xFF000000u;
            icon.argb.set(x, y, alpha | rgb(bytes[entry + 2], bytes[entry + 1], bytes[entry]));
        }
    }
    return icon;
}

}
