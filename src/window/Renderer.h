#pragma once

#include "platform/Host.h"
#include "window/Image.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

class Frmsaver;

// Draws text in the window font with its top-left corner at (x, y), clipped to `clip`.
void draw_text(Image&, int x, int y, std::string_view, Pixel, Rect clip);

// The two pictures the renderer keeps apart from the window, so that a tick
// only copies them: the logo box (frame, picture and clock label) and the banner.
enum class Layer {
    Box,
    Banner,
};

// One step of bringing the window on screen up to date. Every front end
// executes the same list with its display's own means.
struct DrawOperation {
    enum class Kind {
        Refresh, // the layer's picture has changed in `target` (layer coordinates): take it before copying
        Fill, // fill `target` with black
        Copy, // copy the layer's picture into `target`, its point (source_x, source_y) at target's corner
    };

    Kind kind;
    Layer layer { Layer::Box };
    Rect target {};
    int source_x { 0 };
    int source_y { 0 };

    bool operator==(DrawOperation const&) const = default;
};

// Paints the window model, back to front: the black surface, the banner's
// text while it is visible, then the logo box above everything. It remembers
// what it last presented, so an update sends only what changed: the box
// picture copied to its new place, black where it uncovered the surface.
class Renderer {
public:
    static constexpr Pixel black = rgb(0, 0, 0);
    static constexpr Pixel clock_grey = rgb(128, 128, 128);
    static constexpr Pixel banner_grey = rgb(64, 64, 64);
    static constexpr Pixel frame_colour = rgb(0, 0, 0);

    explicit Renderer(ScreenSize);

    // The window changed size: the next update repaints all of it.
    void resize(ScreenSize);

    // What was presented is gone or stale (nothing was drawn while nobody
    // could see the window): the next update repaints all of it.
    void repaint_all() { m_presented = false; }

    // The operations that bring the presented window up to the model. The
    // first call draws everything.
    std::vector<DrawOperation> const& update(Frmsaver const&);

    // The operations that repaint `area` of the window as it was last
    // presented (from the model before the first update), as an expose or
    // paint request needs.
    std::vector<DrawOperation> const& redraw(Frmsaver const&, Rect area);

    Image const& layer(Layer layer) const { return layer == Layer::Box ? m_box : m_banner; }

    // Executes operations into a full frame of the window.
    void apply(std::vector<DrawOperation> const&, Image& frame) const;

    // The whole window as the model says, drawn from scratch.
    Image render(Frmsaver const&) const;

    Rect window() const { return { 0, 0, m_screen.width, m_screen.height }; }

    // Where the last update put the box and the banner (the banner empty
    // while hidden), in window pixels; the box may overhang the window.
    Rect presented_box() const { return m_presented_box; }
    Rect presented_banner() const { return m_presented_banner; }

private:
    void compose_layers(Frmsaver const&);
    void paint_area(Rect area, Rect box, Rect banner);

    ScreenSize m_screen;
    Image m_logo;
    Image m_box;
    Image m_banner;
    std::string m_box_caption;
    std::string m_banner_caption;
    bool m_box_composed { false };
    bool m_banner_composed { false };
    bool m_presented { false };
    Rect m_presented_box;
    Rect m_presented_banner; // empty while hidden
    std::vector<DrawOperation> m_operations;
};

}
