#include "window/Renderer.h"

#include "window/Assets.h"
#include "window/Font.h"
#include "window/Frmsaver.h"
#include "window/ImageFiles.h"

namespace qm {

namespace {

// Where the box is drawn: its position rounded to whole pixels, halves to even.
Rect box_rect(Frmsaver const& form)
{
    return { int(form.picScreenSaver.pixel_left()), int(form.picScreenSaver.pixel_top()), PictureBox::outer_width, PictureBox::outer_height };
}

Rect banner_rect(Frmsaver const& form)
{
    if (!form.Birthday.Visible())
        return {};
    return { form.Birthday.Left(), form.Birthday.Top(), form.Birthday.Width(), form.Birthday.Height() };
}

}

void draw_text(Image& image, int x, int y, std::string_view text, Pixel colour, Rect clip)
{
    clip = clip.intersected(image.bounds());
    Font const& font = Font::window_font();
    for (char c : text) {
        Font::Glyph const& glyph = font.glyph(c);
        for (int row = 0; row < Font::line_height; ++row) {
            int const py = y + row;
            if (py < clip.y || py >= clip.bottom())
                continue;
            for (int column = 0; column < glyph.advance && column < 16; ++column) {
                int const px = x + column;
                if ((glyph.rows[row] >> column & 1) && px >= clip.x && px < clip.right())
                    image.set(px, py, colour);
            }
        }
        x += glyph.advance;
    }
}

Renderer::Renderer(ScreenSize screen)
    : m_screen(screen)
    , m_logo(decode_bitmap(assets::logo_bitmap()))
    , m_box(PictureBox::outer_width, PictureBox::outer_height)
{
}

void Renderer::resize(ScreenSize screen)
{
    m_screen = screen;
    repaint_all();
}

void Renderer::compose_layers(Frmsaver const& form)
{
    // A box wholly off the screen keeps its old picture until it comes back:
    // nobody sees the clock of a box that is out of sight.
    bool const box_visible = !box_rect(form).intersected(window()).empty();
    if ((m_box_caption != form.Label1.Caption() && box_visible) || !m_box_composed) {
        m_box_caption = form.Label1.Caption();
        int const frame = PictureBox::frame;
        Label const& label = form.Label1;
        Rect const strip { frame + label.Left(), frame + label.Top(), label.Width(), label.Height() };
        Rect changed = strip;
        if (!m_box_composed) {
            // The one-pixel frame, the black inside, the picture at the inner top-left corner.
            m_box.fill(m_box.bounds(), frame_colour);
            m_box.fill({ frame, frame, PictureBox::outer_width - 2 * frame, PictureBox::outer_height - 2 * frame }, black);
            m_box.copy(m_logo, 0, 0, { frame, frame, m_logo.width(), m_logo.height() });
            changed = m_box.bounds();
            m_box_composed = true;
        }
        // The clock text centred in its strip: all that changes once a second.
        m_box.fill(strip, black);
        int const text_width = Font::window_font().measure(m_box_caption);
        draw_text(m_box, strip.x + (strip.width - text_width) / 2, strip.y, m_box_caption, clock_grey, strip);
        m_operations.push_back({ DrawOperation::Kind::Refresh, Layer::Box, changed });
    }
    if (m_banner_caption != form.Birthday.Caption() || !m_banner_composed) {
        m_banner_composed = true;
        m_banner_caption = form.Birthday.Caption();
        Label const& banner = form.Birthday;
        m_banner = Image(std::max(banner.Width(), 1), banner.Height(), black);
        draw_text(m_banner, 0, 0, m_banner_caption, banner_grey, m_banner.bounds());
        m_operations.push_back({ DrawOperation::Kind::Refresh, Layer::Banner, m_banner.bounds() });
    }
}

// Repaints one area of the window in painting order, clipped to the window.
void Renderer::paint_area(Rect area, Rect box, Rect banner)
{
    area = area.intersected(window());
    if (area.empty())
        return;
    m_operations.push_back({ DrawOperation::Kind::Fill, Layer::Box, area });
    Rect const banner_part = area.intersected(banner);
    if (!banner_part.empty())
        m_operations.push_back({ DrawOperation::Kind::Copy, Layer::Banner, banner_part, banner_part.x - banner.x, banner_part.y - banner.y });
    Rect const box_part = area.intersected(box);
    if (!box_part.empty())
        m_operations.push_back({ DrawOperation::Kind::Copy, Layer::Box, box_part, box_part.x - box.x, box_part.y - box.y });
}

std::vector<DrawOperation> const& Renderer::update(Frmsaver const& form)
{
    m_operations.clear();
    std::string const previous_caption = m_box_caption;
    bool const first = !m_presented;
    compose_layers(form);
    bool const box_picture_changed = m_box_caption != previous_caption;
    m_presented = true;

    Rect const box = box_rect(form);
    Rect const banner = banner_rect(form);
    if (first) {
        paint_area(window(), box, banner);
        m_presented_box = box;
        m_presented_banner = banner;
        return m_operations;
    }

    bool box_needs_copy = box_picture_changed || box != m_presented_box;
    if (banner != m_presented_banner) {
        // The banner appeared, vanished or changed size: repaint the old and
        // the new place under the box.
        for (Rect const& area : { m_presented_banner, banner }) {
            for (Rect const& part : subtract(area, box))
                paint_area(part, {}, banner);
        }
        box_needs_copy = box_needs_copy || !box.intersected(m_presented_banner).empty() || !box.intersected(banner).empty();
    }
    for (Rect const& uncovered : subtract(m_presented_box, box))
        paint_area(uncovered, {}, banner);
    if (box_needs_copy) {
        Rect const visible = box.intersected(window());
        if (!visible.empty())
            m_operations.push_back({ DrawOperation::Kind::Copy, Layer::Box, visible, visible.x - box.x, visible.y - box.y });
    }
    m_presented_box = box;
    m_presented_banner = banner;
    return m_operations;
}

std::vector<DrawOperation> const& Renderer::redraw(Frmsaver const& form, Rect area)
{
    m_operations.clear();
    if (!m_presented) {
        // Nothing is on the screen yet, or the window has changed size: the
        // area comes from the model, and the next update paints everything.
        compose_layers(form);
        paint_area(area, box_rect(form), banner_rect(form));
        return m_operations;
    }
    // The area as last presented, from the pictures as last presented: the
    // next update moves on from there, whatever the model did meanwhile.
    paint_area(area, m_presented_box, m_presented_banner);
    return m_operations;
}

void Renderer::apply(std::vector<DrawOperation> const& operations, Image& frame) const
{
    for (DrawOperation const& operation : operations) {
        switch (operation.kind) {
        case DrawOperation::Kind::Refresh:
            break;
        case DrawOperation::Kind::Fill:
            frame.fill(operation.target, black);
            break;
        case DrawOperation::Kind::Copy:
            frame.copy(layer(operation.layer), operation.source_x, operation.source_y, operation.target);
            break;
        }
    }
}

Image Renderer::render(Frmsaver const& form) const
{
    Image frame(m_screen.width, m_screen.height, black);
    Rect const banner = banner_rect(form);
    if (!banner.empty()) {
        Image text(banner.width, banner.height, black);
        draw_text(text, 0, 0, form.Birthday.Caption(), banner_grey, text.bounds());
        frame.copy(text, 0, 0, banner);
    }
    // The box from scratch, not from the cached layer, so that a test can
    // hold the two against each other.
    Renderer fresh(m_screen);
    fresh.compose_layers(form);
    Rect const box = box_rect(form);
    frame.copy(fresh.m_box, 0, 0, box);
    return frame;
}

}
