#include "platform/wayland/WaylandHost.h"

#include "platform/wayland/SubsurfacePainter.h"
#include "platform/wayland/MessageBox.h"
#include "window/Frmsaver.h"

#include "viewporter-client.h"

#include <wayland-client.h>

#include <algorithm>
#include <cstdlib>

namespace qm::wayland {

// One output's surface: the play area or a black cover.
struct WaylandHost::Surface final : CoverEvents {
    WaylandHost* host { nullptr };
    std::uint32_t output_name { 0 };
    wl_surface* surface { nullptr };
    std::unique_ptr<CoverRole> role;
    wp_viewport* viewport { nullptr };
    ScreenSize logical; // as the compositor configured it
    bool configured { false };
    bool closed { false };
    CoverAttempt attempt { CoverAttempt::First };
    std::unique_ptr<FramePainter> painter; // while the logo plays here
    PainterKind painter_kind { PainterKind::Buffers };
    std::unique_ptr<ShmBuffer> black; // the cover, or the background under the subsurfaces
    wl_callback* frame { nullptr }; // asked with the last frame, until the compositor calls it

    ~Surface() override
    {
        if (frame)
            wl_callback_destroy(frame);
        painter.reset();
        black.reset();
        if (viewport)
            wp_viewport_destroy(viewport);
        role.reset();
        if (surface)
            wl_surface_destroy(surface);
    }

    void on_configure(ScreenSize size) override { host->configure(*this, size); }
    void on_withdrawn() override { host->closed(*this); }
    void on_close_request() override { host->request_close(); }
};

namespace {

void on_frame_done(void* data, wl_callback*, std::uint32_t)
{
    auto& surface = *static_cast<WaylandHost::Surface*>(data);
    surface.host->frame_done(surface);
}

wl_callback_listener const frame_listener { on_frame_done };

}

WaylandHost::WaylandHost(std::string argument_text, std::unique_ptr<Connection> connection, std::string const& session_name, Shell shell)
    : m_arguments(std::move(argument_text))
    , m_connection(std::move(connection))
    , m_shell(shell)
    , m_lock("quilvenmoor", session_name)
{
    for (auto const& output : m_connection->outputs())
        m_order.add(output->name);
    m_connection->on_output_change([this](Output& output, OutputChange change) { output_changed(output, change); });
}

WaylandHost::~WaylandHost()
{
    m_connection->on_output_change({});
    unload_window();
}

void WaylandHost::show_message_box(std::string_view text, std::string_view title, int style)
{
    wayland::show_message_box(*m_connection, text, title, style);
}

ScreenSize WaylandHost::screen_size() const
{
    if (Surface const* surface = playing_surface(); surface && surface->configured)
        return physical_size(*surface);
    auto const name = m_order.playing();
    Output const* output = name ? m_connection->output(*name) : nullptr;
    return output ? output->oriented_mode() : ScreenSize {};
}

ScreenSize WaylandHost::play_size() const
{
    if (Surface const* surface = playing_surface(); surface && surface->painter)
        return surface->painter->size();
    return screen_size();
}

ScreenSize WaylandHost::physical_size(Surface const& surface) const
{
    Output const* output = m_connection->output(surface.output_name);
    if (!output)
        return surface.logical;
    ScreenSize const mode = output->oriented_mode();
    // Without the viewporter a buffer can only be a whole multiple of the surface.
    if (!m_connection->viewporter() || mode.width <= 0 || mode.height <= 0)
        return { surface.logical.width * output->scale, surface.logical.height * output->scale };
    return mode;
}

void WaylandHost::handle_pending_events()
{
    wl_display_dispatch_pending(m_connection->display());
    wl_display_flush(m_connection->display());
}

void WaylandHost::show_window()
{
    if (!m_connection->compositor() || !m_connection->shm() || !CoverRole::offered(m_shell, *m_connection))
        throw CompositorError(std::string("the Wayland compositor lacks what the saver needs (wl_compositor, wl_shm, ")
            + CoverRole::interface_name(m_shell) + ")");
    m_shown = true;
    for (auto const& output : m_connection->outputs())
        cover(*output);
    // The first configure answers the first commit; a compositor that
    // does not show the saver leaves nothing that input could end.
    m_connection->roundtrip();
    Surface const* playing = playing_surface();
    if (!playing || !playing->configured)
        throw CompositorError("the Wayland compositor did not show the saver's surface");
}

void WaylandHost::cover(Output& output, CoverAttempt attempt)
{
    if (surface_for(output.name))
        return;
    auto surface = std::make_unique<Surface>();
    surface->host = this;
    surface->attempt = attempt;
    surface->output_name = output.name;
    surface->surface = wl_compositor_create_surface(m_connection->compositor());
    surface->role = CoverRole::make(m_shell, *m_connection, surface->surface, output.name, *surface);
    if (m_connection->viewporter())
        surface->viewport = wp_viewporter_get_viewport(m_connection->viewporter(), surface->surface);
    wl_surface_commit(surface->surface);
    m_surfaces.push_back(std::move(surface));
}

void WaylandHost::uncover(std::uint32_t output_name)
{
    std::erase_if(m_surfaces, [output_name](auto const& surface) { return surface->output_name == output_name; });
}

WaylandHost::Surface* WaylandHost::surface_for(std::uint32_t output_name) const
{
    auto const found = std::find_if(m_surfaces.begin(), m_surfaces.end(), [output_name](auto const& surface) { return surface->output_name == output_name; });
    return found == m_surfaces.end() ? nullptr : found->get();
}

WaylandHost::Surface* WaylandHost::playing_surface() const
{
    auto const name = m_order.playing();
    return name ? surface_for(*name) : nullptr;
}

void WaylandHost::configure(Surface& surface, ScreenSize logical)
{
    surface.logical = logical;
    surface.configured = true;
    prepare(surface);
}

// Gives a configured surface its content: the play area gets a painter at
// the output's physical size (the next frame fills it), a cover its black.
void WaylandHost::prepare(Surface& surface)
{
    if (!surface.configured || surface.logical.width <= 0 || surface.logical.height <= 0)
        return;
    Output const* output = m_connection->output(surface.output_name);
    ScreenSize const physical = physical_size(surface);
    if (surface.viewport)
        wp_viewport_set_destination(surface.viewport, surface.logical.width, surface.logical.height);
    else
        wl_surface_set_buffer_scale(surface.surface, output ? output->scale : 1);

    // Fresh shared memory reads as zeros, which is black to the compositor:
    // a black buffer is never written, and costs this process no memory.
    if (!surface.black || surface.black->size() != physical)
        surface.black = std::make_unique<ShmBuffer>(m_connection->shm(), physical, [] { });

    if (m_order.plays(surface.output_name)) {
        // A new scale can call for the other way of painting at the same
        // physical size: the choice is made again on every change.
        PainterKind const kind = painter_kind(surface, physical);
        if (!surface.painter || surface.painter->size() != physical || surface.painter_kind != kind) {
            surface.painter.reset();
            surface.painter = make_painter(surface, physical, kind);
            surface.painter_kind = kind;
        }
        // The painter commits its first frame on the next round of the loop.
        return;
    }
    surface.painter.reset();
    wl_surface_attach(surface.surface, surface.black->buffer(), 0, 0);
    wl_surface_damage_buffer(surface.surface, 0, 0, physical.width, physical.height);
    wl_surface_commit(surface.surface);
}

// Where the surface's pixels are the output's, the compositor moves the box
// as a subsurface; elsewhere only a buffer of the output's own pixels keeps
// the box exact, and frames go into it. QUILVENMOOR_WAYLAND_PAINTER=buffer
// asks for the second everywhere, for measuring one against the other.
// While a scale change is under way the output may already have its new
// scale and the surface still its old size, or the other way round: only a
// surface of the output's own pixels at scale 1 takes the subsurfaces.
WaylandHost::PainterKind WaylandHost::painter_kind(Surface const& surface, ScreenSize physical) const
{
    char const* choice = std::getenv("QUILVENMOOR_WAYLAND_PAINTER");
    bool const buffers_asked = choice && std::string_view(choice) == "buffer";
    Output const* output = m_connection->output(surface.output_name);
    bool const unscaled = physical == surface.logical && (!output || output->scale == 1);
    if (!buffers_asked && unscaled && m_connection->subcompositor() && m_connection->viewporter())
        return PainterKind::Subsurfaces;
    return PainterKind::Buffers;
}

std::unique_ptr<FramePainter> WaylandHost::make_painter(Surface& surface, ScreenSize physical, PainterKind kind) const
{
    if (kind == PainterKind::Subsurfaces)
        return std::make_unique<SubsurfacePainter>(*m_connection, surface.surface, surface.black->buffer(), physical);
    return std::make_unique<Painter>(m_connection->shm(), surface.surface, physical);
}

bool WaylandHost::shows(wl_surface* target) const
{
    return std::any_of(m_surfaces.begin(), m_surfaces.end(), [target](auto const& surface) { return surface->surface == target && !surface->closed; });
}

void WaylandHost::reclaim_keyboard()
{
    for (auto const& surface : m_surfaces) {
        // A surface before its first configure may not be committed again.
        if (!surface->configured || !surface->role)
            continue;
        surface->role->ask_for_keyboard(surface->surface);
        wl_surface_commit(surface->surface);
    }
    wl_display_flush(m_connection->display());
}

void WaylandHost::closed(Surface& surface)
{
    surface.closed = true;
    surface.configured = false;
    m_closed_surfaces = true;
}

void WaylandHost::settle()
{
    if (!m_closed_surfaces)
        return;
    m_closed_surfaces = false;
    // An output that goes closes its surface just before the registry
    // says it is gone: let that news arrive before judging the close.
    m_connection->roundtrip();
    std::vector<std::uint32_t> reopen;
    for (auto const& surface : m_surfaces) {
        if (!surface->closed)
            continue;
        // A surface closed twice on an output that stays leaves that output
        // bare: a saver that shows only in part must end.
        if (surface->attempt == CoverAttempt::Again) {
            m_failure = "the Wayland compositor closed the saver's surface";
            return;
        }
        reopen.push_back(surface->output_name);
    }
    for (std::uint32_t name : reopen) {
        uncover(name);
        if (Output* output = m_connection->output(name))
            cover(*output, CoverAttempt::Again);
    }
}

void WaylandHost::output_changed(Output& output, OutputChange change)
{
    switch (change) {
    case OutputChange::Added:
        m_order.add(output.name);
        if (m_shown)
            cover(output);
        break;
    case OutputChange::Described:
        // A new mode or scale: the surface's buffers follow.
        if (Surface* surface = surface_for(output.name))
            prepare(*surface);
        break;
    case OutputChange::Removed: {
        bool const moved = m_order.remove(output.name);
        uncover(output.name);
        if (m_shown && m_order.empty() && !m_failure)
            m_failure = "no output is left to show the saver on";
        if (moved) {
            if (Surface* surface = playing_surface())
                prepare(*surface);
        }
        break;
    }
    }
}

std::optional<std::pair<float, float>> WaylandHost::play_position(wl_surface* target, double x, double y) const
{
    auto const found = std::find_if(m_surfaces.begin(), m_surfaces.end(), [target](auto const& surface) { return surface->surface == target; });
    if (found == m_surfaces.end())
        return {};
    Surface const& surface = **found;
    Surface const* playing = playing_surface();
    if (!playing)
        return {};
    auto place_of = [this](Surface const& of) {
        Output const* output = m_connection->output(of.output_name);
        return SurfacePlace { output ? output->x : 0, output ? output->y : 0, of.logical };
    };
    return play_area_point(x, y, place_of(surface), place_of(*playing), physical_size(*playing), &surface == playing ? SurfaceRole::Play : SurfaceRole::Cover);
}

// A frame goes to the compositor only once it has called back for the one
// before: it calls back when it shows a frame, and not at all while the
// output is hidden or powered down, so nothing is drawn or committed then.
// The renderer keeps the changes a held-back frame would have shown, and the
// next frame shows them all. Only the play area asks: the covers commit
// only when they are configured, so a hidden cover holds nothing back.
bool WaylandHost::present(Renderer& renderer, Frmsaver const& form)
{
    Surface* surface = playing_surface();
    if (!surface || !surface->painter || !surface->configured || surface->frame)
        return false;
    if (!surface->painter->present(renderer, form))
        return false;
    surface->frame = wl_surface_frame(surface->surface);
    wl_callback_add_listener(surface->frame, &frame_listener, surface);
    wl_surface_commit(surface->surface);
    return true;
}

// A frame is owed while the compositor has not called back for the last
// one, or holds every buffer the next one could go into: either way it is
// not showing the play area's frames as they come, and nothing can be drawn
// before it answers.
bool WaylandHost::frame_owed() const
{
    Surface const* surface = playing_surface();
    return surface && (surface->frame || (surface->painter && surface->painter->waiting_for_buffer()));
}

void WaylandHost::frame_done(Surface& surface)
{
    wl_callback_destroy(surface.frame);
    surface.frame = nullptr;
}

void WaylandHost::unload_window()
{
    if (!m_shown)
        return;
    m_shown = false;
    m_surfaces.clear();
    wl_display_flush(m_connection->display());
}

}
