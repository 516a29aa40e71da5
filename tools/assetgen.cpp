// Writes the saver's three built-in images into a folder, byte for byte the
// same on every run: the logo (assets/logo.bmp), the window and program icon
// (assets/icon.ico) and the blank pointer (assets/blank.cur). The artwork is
// drawn here from geometry: a round medallion with a gold rim, a red ring, a
// blue sunburst field and a faceted gold star, with a small pendant below.
//
// Usage: quilvenmoor-assetgen FOLDER
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Colour {
    int red;
    int green;
    int blue;
};

constexpr double pi = 3.14159265358979323846;

// Little-endian byte writer.
class Bytes {
public:
    void u8(int value) { m_data.push_back(static_cast<std::uint8_t>(value)); }
    void u16(int value)
    {
        u8(value & 0xFF);
        u8((value >> 8) & 0xFF);
    }
    void u32(std::uint32_t value)
    {
        u16(static_cast<int>(value & 0xFFFF));
        u16(static_cast<int>(value >> 16));
    }
    std::vector<std::uint8_t> const& data() const { return m_data; }
    std::size_t size() const { return m_data.size(); }

private:
    std::vector<std::uint8_t> m_data;
};

void write_file(std::string const& path, Bytes const& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<char const*>(bytes.data().data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "quilvenmoor-assetgen: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

Colour mix(Colour a, Colour b, double t)
{
    return { static_cast<int>(std::lround(a.red + (b.red - a.red) * t)),
        static_cast<int>(std::lround(a.green + (b.green - a.green) * t)),
        static_cast<int>(std::lround(a.blue + (b.blue - a.blue) * t)) };
}

// A 40-byte bitmap info header, then the palette as blue, green, red, 0.
template<typename Palette>
void write_info_and_palette(Bytes& bytes, int width, int height, int bits, int image_size, int important, Palette const& palette)
{
    bytes.u32(40);
    bytes.u32(width);
    bytes.u32(height);
    bytes.u16(1);
    bytes.u16(bits);
    bytes.u32(0);
    bytes.u32(image_size);
    bytes.u32(0);
    bytes.u32(0);
    bytes.u32(static_cast<std::uint32_t>(palette.size()));
    bytes.u32(important);
    for (Colour const& colour : palette) {
        bytes.u8(colour.blue);
        bytes.u8(colour.green);
        bytes.u8(colour.red);
        bytes.u8(0);
    }
}

// The logo's palette: black, then ramps of blue, gold and red from dark to
// bright, then unused greys, all distinct; white for every entry after that.
constexpr int blue_first = 1;
constexpr int blue_count = 20;
constexpr int gold_first = blue_first + blue_count;
constexpr int gold_count = 15;
constexpr int red_first = gold_first + gold_count;
constexpr int red_count = 15;
constexpr int design_colours = red_first + red_count; // 51
constexpr int distinct_colours = 70;

std::array<Colour, 256> logo_palette()
{
    std::array<Colour, 256> palette;
    palette.fill({ 255, 255, 255 });
    palette[0] = { 0, 0, 0 };
    for (int i = 0; i < blue_count; ++i) {
        double const t = double(i + 1) / blue_count;
        palette[blue_first + i] = t < 0.7 ? mix({ 0, 0, 24 }, { 16, 56, 200 }, t / 0.7) : mix({ 16, 56, 200 }, { 120, 170, 255 }, (t - 0.7) / 0.3);
    }
    for (int i = 0; i < gold_count; ++i) {
        double const t = double(i + 1) / gold_count;
        palette[gold_first + i] = t < 0.6 ? mix({ 40, 24, 0 }, { 220, 150, 10 }, t / 0.6) : mix({ 220, 150, 10 }, { 255, 240, 120 }, (t - 0.6) / 0.4);
    }
    for (int i = 0; i < red_count; ++i) {
        double const t = double(i + 1) / red_count;
        palette[red_first + i] = t < 0.65 ? mix({ 36, 0, 4 }, { 200, 16, 24 }, t / 0.65) : mix({ 200, 16, 24 }, { 255, 110, 100 }, (t - 0.65) / 0.35);
    }
    for (int i = design_colours; i < distinct_colours; ++i) {
        int const grey = 60 + (i - design_colours) * 8;
        palette[i] = { grey, grey, grey + 1 };
    }
    return palette;
}

// One layer of the design at a point: a family of colour and a brightness in [0, 1].
enum class Family {
    Black,
    Blue,
    Gold,
    Red,
};

struct Paint {
    Family family;
    double brightness;
};

constexpr int logo_width = 282;
constexpr int logo_height = 306;
constexpr double centre_x = 141.0;
constexpr double centre_y = 141.0;

// Inside a five-pointed star pointing up, with radii outer and inner, centred
// on the medallion. Returns the facet's brightness, or a negative value outside.
double star_facet(double x, double y, double outer, double inner)
{
    double const dx = x - centre_x;
    double const dy = y - centre_y;
    double const radius = std::hypot(dx, dy);
    if (radius > outer)
        return -1;
    // Angle from straight up, clockwise, in [0, 2 pi).
    double angle = std::atan2(dx, -dy);
    if (angle < 0)
        angle += 2 * pi;
    double const sector = 2 * pi / 5;
    double const within = std::fmod(angle, sector); // 0 at a point, sector/2 at a notch
    double const half = sector / 2;
    double const from_point = within <= half ? within : sector - within;
    // The star's edge runs from the point (outer, 0) to the notch (inner, half).
    double const tip_x = outer;
    double const notch_x = inner * std::cos(half);
    double const notch_y = inner * std::sin(half);
    double const px = radius * std::cos(from_point);
    double const py = radius * std::sin(from_point);
    double const cross = (notch_x - tip_x) * (py - 0) - (notch_y - 0) * (px - tip_x);
    if (cross < 0)
        return -1;
    // Each ray has a lit and a shaded facet; the light comes from the upper left.
    bool const leading = within <= half;
    double const ray_angle = std::floor(angle / sector) * sector + (leading ? -0.35 : 0.35);
    double const light = 0.5 + 0.5 * std::cos(ray_angle - 5.5);
    return std::clamp(0.35 + 0.65 * light, 0.0, 1.0);
}

Paint logo_paint(double x, double y)
{
    double const dx = x - centre_x;
    double const dy = y - centre_y;
    double const radius = std::hypot(dx, dy);
    double const light = std::clamp(0.5 - (dx + dy) / (2 * 141.0 * 1.42), 0.0, 1.0); // upper left is bright

    // The pendant below the medallion: a gold drop with a red heart.
    if (y >= 270) {
        double const half_width = (305.999 - y) * 0.9;
        if (std::fabs(dx) <= half_width && radius > 133) {
            double const inner = (298 - y) * 0.9 - 3;
            if (y < 298 && std::fabs(dx) < inner && y > 283)
                return { Family::Red, 0.55 + 0.3 * (1 - std::fabs(dx) / 20) };
            return { Family::Gold, 0.45 + 0.5 * (1 - std::fabs(dx) / 24) };
        }
    }
    if (radius > 141)
        return { Family::Black, 0 };
    if (radius > 133) {
        // The rim is bevelled: lit on its upper-left half, shaded below.
        double const across = (radius - 133) / 8; // 0 inside, 1 outside
        double const bevel = 1 - std::fabs(across - 0.5) * 2;
        return { Family::Gold, std::clamp(0.25 + 0.55 * light + 0.25 * bevel, 0.0, 1.0) };
    }
    if (radius > 126)
        return { Family::Black, 0 };
    if (radius > 118) {
        double const across = (radius - 118) / 8;
        double const bevel = 1 - std::fabs(across - 0.5) * 2;
        return { Family::Red, std::clamp(0.3 + 0.45 * light + 0.3 * bevel, 0.0, 1.0) };
    }
    if (radius > 114)
        return { Family::Black, 0 };

    double const facet = star_facet(x, y, 96, 38);
    if (facet >= 0) {
        if (radius < 13)
            return { Family::Red, std::clamp(0.95 - radius / 20 + 0.1 * light, 0.0, 1.0) };
        if (radius < 16)
            return { Family::Gold, 0.95 };
        return { Family::Gold, facet };
    }
    // The field: a sunburst of 24 rays in two blues, darkening towards the ring.
    double angle = std::atan2(dx, -dy);
    if (angle < 0)
        angle += 2 * pi;
    int const ray = static_cast<int>(std::floor(angle / (2 * pi / 24) + 0.5)) % 24;
    double const depth = 1 - radius / 114;
    double const base = ray % 2 == 0 ? 0.62 : 0.45;
    return { Family::Blue, std::clamp(base * (0.45 + 0.55 * depth) + 0.35 * light, 0.05, 1.0) };
}

Colour paint_colour(Paint paint, std::array<Colour, 256> const& palette)
{
    auto pick = [&](int first, int count) {
        int const level = std::clamp(static_cast<int>(std::lround(paint.brightness * (count - 1))), 0, count - 1);
        return palette[first + level];
    };
    switch (paint.family) {
    case Family::Blue:
        return pick(blue_first, blue_count);
    case Family::Gold:
        return pick(gold_first, gold_count);
    case Family::Red:
        return pick(red_first, red_count);
    case Family::Black:
        break;
    }
    return palette[0];
}

// Supersamples the design 4 x 4 per pixel and takes the nearest design colour,
// so that edges are smooth with the palette's dark steps.
std::vector<std::uint8_t> logo_pixels(std::array<Colour, 256> const& palette)
{
    std::vector<std::uint8_t> indices(logo_width * logo_height);
    for (int y = 0; y < logo_height; ++y) {
        // Mirror symmetry: compute the left half, copy it to the right.
        for (int x = 0; x < logo_width / 2; ++x) {
            double red = 0;
            double green = 0;
            double blue = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    Colour const colour = paint_colour(logo_paint(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4), palette);
                    red += colour.red;
                    green += colour.green;
                    blue += colour.blue;
                }
            }
            red /= 16;
            green /= 16;
            blue /= 16;
            int best = 0;
            double best_distance = 1e18;
            for (int i = 0; i < design_colours; ++i) {
                double const distance = std::pow(palette[i].red - red, 2) * 0.3 + std::pow(palette[i].green - green, 2) * 0.59 + std::pow(palette[i].blue - blue, 2) * 0.11;
                if (distance < best_distance) {
                    best_distance = distance;
                    best = i;
                }
            }
            indices[y * logo_width + x] = static_cast<std::uint8_t>(best);
            indices[y * logo_width + (logo_width - 1 - x)] = static_cast<std::uint8_t>(best);
        }
    }
    return indices;
}

Bytes logo_bitmap()
{
    auto const palette = logo_palette();
    auto const pixels = logo_pixels(palette);
    constexpr int row_bytes = (logo_width + 3) / 4 * 4; // 284
    constexpr int image_size = row_bytes * logo_height; // 86904
    constexpr int pixel_offset = 14 + 40 + 256 * 4; // 1078
    Bytes bytes;
    bytes.u8('B');
    bytes.u8('M');
    bytes.u32(pixel_offset + image_size); // 87982
    bytes.u16(0);
    bytes.u16(0);
    bytes.u32(pixel_offset);
    write_info_and_palette(bytes, logo_width, logo_height, 8, image_size, 256, palette);
    for (int y = logo_height - 1; y >= 0; --y) {
        for (int x = 0; x < logo_width; ++x)
            bytes.u8(pixels[y * logo_width + x]);
        for (int pad = logo_width; pad < row_bytes; ++pad)
            bytes.u8(0);
    }
    return bytes;
}

// The standard 16-colour palette of 4-bit icons.
constexpr std::array<Colour, 16> icon_palette = { {
    { 0, 0, 0 }, { 128, 0, 0 }, { 0, 128, 0 }, { 128, 128, 0 },
    { 0, 0, 128 }, { 128, 0, 128 }, { 0, 128, 128 }, { 192, 192, 192 },
    { 128, 128, 128 }, { 255, 0, 0 }, { 0, 255, 0 }, { 255, 255, 0 },
    { 0, 0, 255 }, { 255, 0, 255 }, { 0, 255, 255 }, { 255, 255, 255 },
} };

// A 32 x 32, 4-bit icon file with its transparency mask. `colour_of` gives
// the palette index of an opaque pixel, or -1 for a transparent one.
template<typename ColourOf>
Bytes icon_file(int type, ColourOf colour_of)
{
    constexpr int size = 32;
    Bytes bytes;
    bytes.u16(0);
    bytes.u16(type); // 1 icon, 2 cursor
    bytes.u16(1);
    bytes.u8(size);
    bytes.u8(size);
    bytes.u8(16);
    bytes.u8(0);
    bytes.u16(type == 1 ? 1 : 0); // planes, or the hot spot's x for a cursor
    bytes.u16(type == 1 ? 4 : 0); // bits per pixel, or the hot spot's y
    bytes.u32(40 + 16 * 4 + size * size / 2 + size * size / 8);
    bytes.u32(22);
    // The height counts the colour bits and the mask.
    write_info_and_palette(bytes, size, size * 2, 4, size * size / 2 + size * size / 8, 0, icon_palette);
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; x += 2) {
            int const high = std::max(colour_of(x, y), 0);
            int const low = std::max(colour_of(x + 1, y), 0);
            bytes.u8(high << 4 | low);
        }
    }
    for (int y = size - 1; y >= 0; --y) {
        for (int byte = 0; byte < size / 8; ++byte) {
            int mask = 0;
            for (int bit = 0; bit < 8; ++bit)
                mask |= (colour_of(byte * 8 + bit, y) < 0 ? 1 : 0) << (7 - bit);
            bytes.u8(mask);
        }
    }
    return bytes;
}

// The icon: the medallion in small, drawn as pixel art on a 32 x 32 grid.
int icon_colour(int x, int y)
{
    double const dx = x + 0.5 - 16;
    double const dy = y + 0.5 - 16;
    double const radius = std::hypot(dx, dy);
    if (radius > 14.0)
        return -1;
    if (radius > 12.2)
        return dx + dy < 0 ? 11 : 3; // gold rim, lit upper left
    if (radius > 10.2)
        return 9; // red ring
    // The star, five points up.
    double angle = std::atan2(dx, -dy);
    if (angle < 0)
        angle += 2 * pi;
    double const sector = 2 * pi / 5;
    double const within = std::fmod(angle, sector);
    double const from_point = std::min(within, sector - within);
    double const edge = 8.6 - (8.6 - 3.6) * from_point / (sector / 2);
    if (radius <= edge)
        return within <= sector / 2 ? 11 : 3;
    return radius < 6 ? 4 : 12;
}

}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: quilvenmoor-assetgen FOLDER\n");
        return 2;
    }
    std::string const folder = argv[1];
    write_file(folder + "/logo.bmp", logo_bitmap());
    write_file(folder + "/icon.ico", icon_file(1, icon_colour));
    write_file(folder + "/blank.cur", icon_file(2, [](int, int) { return -1; }));
    return 0;
}
