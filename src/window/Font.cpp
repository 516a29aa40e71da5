#include "window/Font.h"

namespace qm {

namespace {

constexpr Font::Glyph glyphs[] = {
#include "font-glyphs.inc"
};

static_assert(sizeof glyphs / sizeof glyphs[0] == 95, "one glyph for each printable ASCII character");

}

Font const& Font::window_font()
{
    static Font const font;
    return font;
}

Font::Glyph const& Font::glyph(char c) const
{
    auto const code = static_cast<unsigned char>(c);
    if (code < 32 || code > 126)
        return glyphs['?' - 32];
    return glyphs[code - 32];
}

int Font::measure(std::string_view text) const
{
    int width = 0;
    for (char c : text)
        width += glyph(c).advance;
    return width;
}

}
