#pragma once

#include "platform/wayland/Connection.h"
#include "platform/wayland/Painter.h"

#include <memory>
#include <vector>

struct wl_subsurface;
struct wp_viewport;

namespace qm::wayland {

// The play area as the compositor composes it: the surface itself is a
// black buffer that is never redrawn, and the box and the banner are
// subsurfaces that carry the renderer's layer pictures. A tick moves them;
// only a changed picture (the clock, once a second) travels, into a small
// buffer. The compositor damages the old and new places itself. Exact to
// the pixel only where the surface's pixels are the output's (scale 1):
// subsurfaces are placed and sized in whole surface units.
class SubsurfacePainter final : public FramePainter {
public:
    // `black` is a black buffer of the surface's size.
    SubsurfacePainter(Connection&, wl_surface* parent, wl_buffer* black, ScreenSize);
    ~SubsurfacePainter() override;

    ScreenSize size() const override { return m_size; }
    bool present(Renderer&, Frmsaver const&) override;

private:
    struct Carrier;

    bool refresh(Carrier&, Image const& picture);
    bool place(Carrier&, Rect picture_place);

    Connection& m_connection;
    ScreenSize m_size;
    std::unique_ptr<Carrier> m_banner;
    std::unique_ptr<Carrier> m_box;
    bool m_shown { false };
};

}
