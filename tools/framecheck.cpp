// Looks at screenshots of the saver for the end-to-end tests.
//
//   quilvenmoor-framecheck find-logo SHOT.png     prints "X Y", the logo box's outer corner, if the whole logo shows
//   quilvenmoor-framecheck find-logo-part SHOT.png  the same where the picture's left or right edge may cut the logo
//                                                 (at least 64 columns showing); prints "X Y COLUMNS"
//   quilvenmoor-framecheck stray SHOT.png X Y     prints how many pixels outside the box and the banner are not black
//   quilvenmoor-framecheck banner SHOT.png        prints how many pixels of the banner's text show
//   quilvenmoor-framecheck label SHOT.png X Y     prints a fingerprint of the clock label's strip in the box at X Y
//   quilvenmoor-framecheck count SHOT.png RRGGBB  prints how many pixels have that colour, then how many there are
#include "platform/headless/Png.h"
#include "window/Assets.h"
#include "window/ImageFiles.h"
#include "window/Renderer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using qm::Image;

// The logo sits inside the box's one-pixel frame.
constexpr int frame = 1;

bool logo_at(Image const& shot, Image const& logo, int x, int y)
{
    for (int row = 0; row < logo.height(); ++row) {
        qm::Pixel const* a = shot.row(y + row) + x;
        qm::Pixel const* b = logo.row(row);
        for (int column = 0; column < logo.width(); ++column) {
            if (a[column] != b[column])
                return false;
        }
    }
    return true;
}

int find_logo(Image const& shot)
{
    Image const logo = qm::decode_bitmap(qm::assets::logo_bitmap());
    // A row through the middle of the emblem tells candidates apart quickly.
    int const probe_row = logo.height() / 2;
    qm::Pixel const* probe = logo.row(probe_row);
    for (int y = 0; y + logo.height() <= shot.height(); ++y) {
        for (int x = 0; x + logo.width() <= shot.width(); ++x) {
            qm::Pixel const* candidate = shot.row(y + probe_row) + x;
            if (candidate[0] != probe[0] || candidate[logo.width() / 2] != probe[logo.width() / 2] || candidate[logo.width() / 3] != probe[logo.width() / 3])
                continue;
            if (logo_at(shot, logo, x, y)) {
                std::printf("%d %d\n", x - frame, y - frame);
                return 0;
            }
        }
    }
    std::fprintf(stderr, "the whole logo is not in the picture\n");
    return 1;
}

// The logo at column x (which may lie outside the picture), compared in its
// columns first..last that the picture shows.
bool logo_columns_at(Image const& shot, Image const& logo, int x, int y, int first, int last)
{
    for (int row = 0; row < logo.height(); ++row) {
        qm::Pixel const* a = shot.row(y + row);
        qm::Pixel const* b = logo.row(row);
        for (int column = first; column < last; ++column) {
            if (a[x + column] != b[column])
                return false;
        }
    }
    return true;
}

int find_logo_part(Image const& shot)
{
    // A box that scrolls goes out over one edge and comes back over the
    // other; part of the logo is enough to know where the box is.
    constexpr int least_columns = 64;
    Image const logo = qm::decode_bitmap(qm::assets::logo_bitmap());
    int const probe_row = logo.height() / 2;
    qm::Pixel const* probe = logo.row(probe_row);
    for (int y = 0; y + logo.height() <= shot.height(); ++y) {
        qm::Pixel const* row = shot.row(y + probe_row);
        for (int x = least_columns - logo.width(); x + least_columns <= shot.width(); ++x) {
            int const first = std::max(0, -x);
            int const last = std::min(logo.width(), shot.width() - x);
            int const middle = (first + last) / 2;
            if (row[x + first] != probe[first] || row[x + middle] != probe[middle] || row[x + last - 1] != probe[last - 1])
                continue;
            if (logo_columns_at(shot, logo, x, y, first, last)) {
                std::printf("%d %d %d\n", x - frame, y - frame, last - first);
                return 0;
            }
        }
    }
    std::fprintf(stderr, "the logo is not in the picture\n");
    return 1;
}

int stray(Image const& shot, int box_x, int box_y)
{
    qm::Rect const box { box_x, box_y, 284, 325 };
    qm::Rect const banner { 8, 8, 320, 13 };
    long count = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            if (!box.contains(x, y) && !banner.contains(x, y) && shot.at(x, y) != 0)
                ++count;
        }
    }
    std::printf("%ld\n", count);
    return 0;
}

int banner(Image const& shot)
{
    long count = 0;
    for (int y = 8; y < 21 && y < shot.height(); ++y) {
        for (int x = 8; x < 328 && x < shot.width(); ++x)
            count += shot.at(x, y) == qm::Renderer::banner_grey;
    }
    std::printf("%ld\n", count);
    return 0;
}

int label(Image const& shot, int box_x, int box_y)
{
    unsigned long long hash = 1469598103934665603ull;
    long lit = 0;
    for (int y = box_y + frame + 308; y < box_y + frame + 321; ++y) {
        for (int x = box_x + frame; x < box_x + frame + 282; ++x) {
            qm::Pixel const pixel = (x >= 0 && y >= 0 && x < shot.width() && y < shot.height()) ? shot.at(x, y) : 0;
            lit += pixel == qm::Renderer::clock_grey;
            hash = (hash ^ pixel) * 1099511628211ull;
        }
    }
    std::printf("%llx %ld\n", hash, lit);
    return 0;
}

int count(Image const& shot, std::string const& colour)
{
    char* end = nullptr;
    unsigned long const wanted = std::strtoul(colour.c_str(), &end, 16);
    if (colour.size() != 6 || *end != '\0') {
        std::fprintf(stderr, "a colour is six hexadecimal digits, RRGGBB\n");
        return 2;
    }
    long matching = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x)
            matching += shot.at(x, y) == static_cast<qm::Pixel>(wanted);
    }
    std::printf("%ld %ld\n", matching, static_cast<long>(shot.width()) * shot.height());
    return 0;
}

}

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: quilvenmoor-framecheck find-logo|find-logo-part|stray|banner|label|count SHOT.png [X Y | RRGGBB]\n");
        return 2;
    }
    std::string const command = argv[1];
    auto const shot = qm::read_png(argv[2]);
    if (!shot) {
        std::fprintf(stderr, "cannot read %s\n", argv[2]);
        return 2;
    }
    if (command == "find-logo")
        return find_logo(*shot);
    if (command == "find-logo-part")
        return find_logo_part(*shot);
    if (command == "banner")
        return banner(*shot);
    if (command == "count" && argc == 4)
        return count(*shot, argv[3]);
    if ((command == "stray" || command == "label") && argc == 5) {
        int const x = std::atoi(argv[3]);
        int const y = std::atoi(argv[4]);
        return command == "stray" ? stray(*shot, x, y) : label(*shot, x, y);
    }
    std::fprintf(stderr, "unknown command or missing X Y\n");
    return 2;
}
