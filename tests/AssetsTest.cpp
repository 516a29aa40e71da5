#include "window/Assets.h"
#include "window/Font.h"
#include "window/ImageFiles.h"
#include "window/Renderer.h"

#include <gtest/gtest.h>

#include <set>

namespace qm {

namespace {

std::uint32_t u32(std::span<std::uint8_t const> bytes, std::size_t at)
{
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t(bytes[at + 3]) << 24;
}

std::uint32_t u16(std::span<std::uint8_t const> bytes, std::size_t at) { return bytes[at] | bytes[at + 1] << 8; }

}

TEST(Logo, HasTheBitmapLayoutOfTheWindowPicture)
{
    auto const bytes = assets::logo_bitmap();
    ASSERT_EQ(bytes.size(), 87982u);
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(u32(bytes, 2), 87982u);
    EXPECT_EQ(u32(bytes, 6), 0u); // both reserved fields
    EXPECT_EQ(u32(bytes, 10), 1078u);
    EXPECT_EQ(u32(bytes, 14), 40u);
    EXPECT_EQ(u32(bytes, 18), 282u);
    EXPECT_EQ(u32(bytes, 22), 306u);
    EXPECT_EQ(u16(bytes, 26), 1u);
    EXPECT_EQ(u16(bytes, 28), 8u);
    EXPECT_EQ(u32(bytes, 30), 0u);
    EXPECT_EQ(u32(bytes, 34), 86904u);
    EXPECT_EQ(u32(bytes, 38), 0u);
    EXPECT_EQ(u32(bytes, 42), 0u);
    EXPECT_EQ(u32(bytes, 46), 256u);
    EXPECT_EQ(u32(bytes, 50), 256u);

    std::set<std::uint32_t> distinct;
    for (int i = 0; i < 256; ++i) {
        std::uint32_t const entry = u32(bytes, 54 + 4 * i);
        EXPECT_EQ(entry >> 24, 0u) << "entry " << i;
        if (i < 70)
            distinct.insert(entry);
        else
            EXPECT_EQ(entry, 0xFFFFFFu) << "entry " << i;
    }
    EXPECT_EQ(distinct.size(), 70u);
    EXPECT_EQ(distinct.count(0xFFFFFFu), 0u);

    std::set<int> used;
    int black = 0;
    for (int row = 0; row < 306; ++row) {
        for (int x = 0; x < 284; ++x) {
            std::uint8_t const index = bytes[1078 + row * 284 + x];
            if (x >= 282) {
                EXPECT_EQ(index, 0) << "padding of row " << row;
                continue;
            }
            used.insert(index);
            black += index == 0;
        }
    }
    EXPECT_EQ(used.size(), 51u);
    EXPECT_EQ(*used.rbegin() < 70, true) << "white is never used";
    EXPECT_NEAR(double(black) / (282 * 306), 1.0 / 3, 0.05);
}

TEST(Logo, IsASymmetricEmblemOnBlackSpanningTheWholePicture)
{
    Image const logo = decode_bitmap(assets::logo_bitmap());
    ASSERT_EQ(logo.width(), 282);
    ASSERT_EQ(logo.height(), 306);
    for (auto [x, y] : { std::pair { 0, 0 }, { 281, 0 }, { 0, 305 }, { 281, 305 } })
        EXPECT_EQ(logo.at(x, y), 0u);
    int left = 282, right = -1, top = 306, bottom = -1;
    for (int y = 0; y < 306; ++y) {
        for (int x = 0; x < 282; ++x) {
            EXPECT_EQ(logo.at(x, y), logo.at(281 - x, y));
            if (logo.at(x, y) != 0) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 281);
    EXPECT_EQ(top, 0);
    EXPECT_EQ(bottom, 305);
}

namespace {

void expect_icon_layout(std::span<std::uint8_t const> bytes, int type)
{
    ASSERT_EQ(bytes.size(), 766u);
    EXPECT_EQ(u16(bytes, 0), 0u);
    EXPECT_EQ(u16(bytes, 2), std::uint32_t(type));
    EXPECT_EQ(u16(bytes, 4), 1u);
    EXPECT_EQ(bytes[6], 32);
    EXPECT_EQ(bytes[7], 32);
    EXPECT_EQ(bytes[8], 16);
    EXPECT_EQ(u32(bytes, 14), 744u);
    EXPECT_EQ(u32(bytes, 18), 22u);
    EXPECT_EQ(u32(bytes, 22), 40u);
    EXPECT_EQ(u32(bytes, 26), 32u);
    EXPECT_EQ(u32(bytes, 30), 64u);
    EXPECT_EQ(u16(bytes, 34), 1u);
    EXPECT_EQ(u16(bytes, 36), 4u);
    EXPECT_EQ(u32(bytes, 38), 0u);
    EXPECT_EQ(u32(bytes, 42), 640u);
    // The standard 16-colour palette.
    std::uint32_t const standard[16] = { 0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
        0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF };
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(u32(bytes, 62 + 4 * i), standard[i]) << "entry " << i; // blue, green, red, 0: read as 0xRRGGBB
}

int opaque_pixels(std::span<std::uint8_t const> bytes)
{
    int opaque = 0;
    for (int i = 0; i < 128; ++i)
        opaque += 8 - __builtin_popcount(bytes[638 + i]);
    return opaque;
}

}

TEST(Icon, IsA32By32SixteenColourIconWithAMask)
{
    auto const icon = assets::window_icon();
    expect_icon_layout(icon, 1);
    EXPECT_NEAR(opaque_pixels(icon), 618, 40);
    std::set<int> colours;
    for (int i = 126; i < 638; ++i) {
        colours.insert(icon[i] >> 4);
        colours.insert(icon[i] & 15);
    }
    for (int colour : { 11, 9, 12 }) // yellow, red, blue
        EXPECT_TRUE(colours.count(colour)) << colour;
}

TEST(Icon, DecodesToTheColoursAndMaskItCarries)
{
    auto const bytes = assets::window_icon();
    IconImage const icon = decode_icon(bytes);
    ASSERT_EQ(icon.argb.width(), 32);
    ASSERT_EQ(icon.argb.height(), 32);
    int opaque = 0;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            // Rows are stored bottom first, two pixels a byte, the left one high.
            std::uint8_t const pair = bytes[126 + (31 - y) * 16 + x / 2];
            int const index = x % 2 == 0 ? pair >> 4 : pair & 15;
            bool const transparent = bytes[638 + (31 - y) * 4 + x / 8] >> (7 - x % 8) & 1;
            Pixel const expected = (transparent ? 0 : 0xFF000000u) | (u32(bytes, 62 + 4 * index) & 0xFFFFFF);
            ASSERT_EQ(icon.argb.at(x, y), expected) << x << "," << y;
            ASSERT_EQ(icon.transparent(x, y), transparent) << x << "," << y;
            opaque += !transparent;
        }
    }
    EXPECT_EQ(opaque, opaque_pixels(bytes));

    std::vector<std::uint8_t> cut(bytes.begin(), bytes.end() - 1);
    EXPECT_THROW(decode_icon(cut), std::invalid_argument);
    std::vector<std::uint8_t> compressed(bytes.begin(), bytes.end());
    compressed[22 + 16] = 1;
    EXPECT_THROW(decode_icon(compressed), std::invalid_argument);
}

TEST(Icon, TheBlankPointerShowsNothing)
{
    auto const pointer = assets::blank_pointer();
    expect_icon_layout(pointer, 2);
    EXPECT_EQ(opaque_pixels(pointer), 0);
    for (int i = 126; i < 638; ++i)
        EXPECT_EQ(pointer[i], 0) << i;
    IconImage const decoded = decode_icon(pointer);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x)
            ASSERT_TRUE(decoded.transparent(x, y)) << x << "," << y;
    }
}

TEST(Font, IsProportionalBoldAndFitsItsLine)
{
    Font const& font = Font::window_font();
    EXPECT_LT(font.measure("i"), font.measure("W"));
    EXPECT_EQ(font.measure("ab"), font.measure("a") + font.measure("b"));
    EXPECT_EQ(font.measure("\x01"), font.measure("?"));
    EXPECT_EQ(font.measure("Quilvenmoor ScreenSaver V1.41 : Folvaren"), 302);
    EXPECT_EQ(font.measure("0123456789"), 10 * font.measure("0")); // clock digits do not jiggle
    for (char c = 33; c < 127; ++c) {
        Font::Glyph const& glyph = font.glyph(c);
        int set = 0;
        unsigned ink = 0;
        for (auto row : glyph.rows) {
            set += __builtin_popcount(row);
            ink |= row;
            EXPECT_EQ(row >> glyph.advance, 0) << c;
        }
        EXPECT_GT(set, 0) << c;
        // A blank column on at least one side keeps neighbouring glyphs apart.
        EXPECT_FALSE((ink & 1) && (ink >> (glyph.advance - 1) & 1)) << c;
    }
}

}
