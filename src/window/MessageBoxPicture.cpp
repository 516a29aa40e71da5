#include "window/MessageBoxPicture.h"

#include "window/Font.h"
#include "window/Renderer.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace qm {

namespace {

constexpr Pixel face = rgb(212, 208, 200);
constexpr Pixel light = rgb(255, 255, 255);
constexpr Pixel shadow = rgb(128, 128, 128);
constexpr Pixel dark = rgb(64, 64, 64);
constexpr Pixel ink = rgb(0, 0, 0);

std::vector<std::string_view> lines_of(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (true) {
        auto const end = text.find('\n');
        lines.push_back(text.substr(0, end));
        if (end == std::string_view::npos)
            return lines;
        text.remove_prefix(end + 1);
    }
}

// The information sign (a blue disc with an "i"), or for an error a red disc with an "x".
void draw_sign(Image& image, int left, int top, bool error)
{
    Pixel const disc = error ? rgb(200, 24, 24) : rgb(24, 72, 200);
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            double const distance = std::hypot(x + 0.5 - 16, y + 0.5 - 16);
            if (distance <= 15)
                image.set(left + x, top + y, distance > 13.5 ? dark : disc);
        }
    }
    if (error) {
        for (int i = -6; i <= 6; ++i) {
            for (int thick = 0; thick < 3; ++thick) {
                image.set(left + 16 + i + thick - 1, top + 16 + i, light);
                image.set(left + 16 + i + thick - 1, top + 16 - i, light);
            }
        }
        return;
    }
    image.fill({ left + 14, top + 7, 4, 4 }, light);
    image.fill({ left + 14, top + 13, 4, 12 }, light);
    image.fill({ left + 12, top + 13, 2, 2 }, light);
    image.fill({ left + 12, top + 23, 8, 2 }, light);
}

void draw_bevel(Image& image, Rect rect)
{
    image.fill(rect, dark);
    image.fill({ rect.x, rect.y, rect.width - 1, rect.height - 1 }, light);
    image.fill({ rect.x + 1, rect.y + 1, rect.width - 2, rect.height - 2 }, shadow);
    image.fill({ rect.x + 1, rect.y + 1, rect.width - 3, rect.height - 3 }, face);
}

}

MessageBoxPicture compose_message_box(std::string_view text, int style)
{
    Font const& font = Font::window_font();
    auto const lines = lines_of(text);
    int text_width = 0;
    for (auto line : lines)
        text_width = std::max(text_width, font.measure(line));
    int const text_height = static_cast<int>(lines.size()) * Font::line_height;
    int const width = std::max(16 + 32 + 14 + text_width + 24, 120);
    int const content = std::max(32, text_height);
    int const height = 18 + content + 18 + 23 + 12;
    Rect const button { (width - 75) / 2, height - 12 - 23, 75, 23 };

    Image image(width, height, face);
    draw_sign(image, 16, 18, (style & 0x70) == 16);
    for (std::size_t i = 0; i < lines.size(); ++i)
        draw_text(image, 16 + 32 + 14, 18 + (content - text_height) / 2 + static_cast<int>(i) * Font::line_height, lines[i], ink, image.bounds());
    draw_bevel(image, button);
    draw_text(image, button.x + (button.width - font.measure("OK")) / 2, button.y + 5, "OK", ink, button);

    return { std::move(image), button };
}

}
