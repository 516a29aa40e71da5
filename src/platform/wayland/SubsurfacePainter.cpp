#include "platform/wayland/SubsurfacePainter.h"

#include "platform/wayland/ShmBuffer.h"
#include "platform/wayland/SwapChain.h"

#include "viewporter-client.h"

#include <wayland-client.h>

#include <cstdint>

namespace qm::wayland {

// One layer's subsurface and the buffers its picture goes into.
struct SubsurfacePainter::Carrier {
    wl_surface* surface { nullptr };
    wl_subsurface* subsurface { nullptr };
    wp_viewport* viewport { nullptr };
    ScreenSize picture_size;
    std::unique_ptr<SwapChain> chain;
    std::vector<std::unique_ptr<ShmBuffer>> buffers;
    std::vector<Rect> pending; // picture changes no buffer holds yet
    std::optional<std::size_t> current; // the buffer last attached
    Rect shown; // the visible part, in the parent's pixels; empty while hidden

    Carrier(Connection& connection, wl_surface* parent)
        : surface(wl_compositor_create_surface(connection.compositor()))
        , subsurface(wl_subcompositor_get_subsurface(connection.subcompositor(), surface, parent))
        , viewport(wp_viewporter_get_viewport(connection.viewporter(), surface))
    {
        // The pointer passes through to the play surface beneath.
        wl_region* nothing = wl_compositor_create_region(connection.compositor());
        wl_surface_set_input_region(surface, nothing);
        wl_region_destroy(nothing);
    }

    ~Carrier()
    {
        buffers.clear();
        wp_viewport_destroy(viewport);
        wl_subsurface_destroy(subsurface);
        wl_surface_destroy(surface);
    }
};

SubsurfacePainter::SubsurfacePainter(Connection& connection, wl_surface* parent, wl_buffer* black, ScreenSize size)
    : m_connection(connection)
    , m_size(size)
    , m_banner(std::make_unique<Carrier>(connection, parent))
    , m_box(std::make_unique<Carrier>(connection, parent)) // made last: above the banner
{
    wl_surface_attach(parent, black, 0, 0);
    wl_surface_damage_buffer(parent, 0, 0, INT32_MAX, INT32_MAX);
}

SubsurfacePainter::~SubsurfacePainter() = default;

bool SubsurfacePainter::refresh(Carrier& carrier, Image const& picture)
{
    ScreenSize const size { picture.width(), picture.height() };
    if (size != carrier.picture_size || !carrier.chain) {
        carrier.buffers.clear();
        carrier.current.reset();
        carrier.picture_size = size;
        carrier.chain = std::make_unique<SwapChain>(size, 3);
        carrier.pending = { picture.bounds() };
    }
    if (carrier.pending.empty())
        return false;
    auto const index = carrier.chain->acquire();
    if (!index)
        return false; // the picture waits for a free buffer
    while (carrier.buffers.size() < carrier.chain->size()) {
        SwapChain* chain = carrier.chain.get();
        carrier.buffers.push_back(std::make_unique<ShmBuffer>(m_connection.shm(), size, [chain, released = carrier.buffers.size()] { chain->release(released); }));
    }
    ShmBuffer& buffer = *carrier.buffers[*index];
    for (Rect const& area : carrier.chain->submit(*index, carrier.pending))
        buffer.copy(picture, area.x, area.y, area);
    wl_surface_attach(carrier.surface, buffer.buffer(), 0, 0);
    for (Rect const& area : carrier.pending)
        wl_surface_damage_buffer(carrier.surface, area.x, area.y, area.width, area.height);
    carrier.pending.clear();
    carrier.current = index;
    return true;
}

// Shows the part of the picture at `picture_place` that lies in the play
// area, or hides the carrier when none does.
bool SubsurfacePainter::place(Carrier& carrier, Rect picture_place)
{
    Rect const visible = picture_place.intersected({ 0, 0, m_size.width, m_size.height });
    if (visible == carrier.shown)
        return false;
    if (visible.empty()) {
        wl_surface_attach(carrier.surface, nullptr, 0, 0);
    } else {
        if (carrier.shown.empty() && carrier.current)
            wl_surface_attach(carrier.surface, carrier.buffers[*carrier.current]->buffer(), 0, 0);
        wl_subsurface_set_position(carrier.subsurface, visible.x, visible.y);
        wp_viewport_set_source(carrier.viewport, wl_fixed_from_int(visible.x - picture_place.x), wl_fixed_from_int(visible.y - picture_place.y),
            wl_fixed_from_int(visible.width), wl_fixed_from_int(visible.height));
        wp_viewport_set_destination(carrier.viewport, visible.width, visible.height);
    }
    carrier.shown = visible;
    return true;
}

bool SubsurfacePainter::present(Renderer& renderer, Frmsaver const& form)
{
    std::vector<DrawOperation> const& operations = renderer.update(form);
    for (DrawOperation const& operation : operations) {
        if (operation.kind == DrawOperation::Kind::Refresh)
            (operation.layer == Layer::Box ? m_box : m_banner)->pending.push_back(operation.target);
    }
    bool changed = !m_shown;
    for (auto* carrier : { m_banner.get(), m_box.get() }) {
        Image const& picture = renderer.layer(carrier == m_box.get() ? Layer::Box : Layer::Banner);
        Rect const where = carrier == m_box.get() ? renderer.presented_box() : renderer.presented_banner();
        // A hidden carrier keeps its picture pending until it shows again.
        bool const refreshed = !where.intersected({ 0, 0, m_size.width, m_size.height }).empty() && refresh(*carrier, picture);
        bool const moved = carrier->current && place(*carrier, where);
        if (refreshed || moved) {
            wl_surface_commit(carrier->surface); // applied with the parent's next commit
            changed = true;
        }
    }
    if (!changed)
        return false;
    m_shown = true;
    return true;
}

}
