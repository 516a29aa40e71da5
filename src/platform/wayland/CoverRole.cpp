#include "platform/wayland/CoverRole.h"

#include "platform/wayland/Connection.h"

#include "layer-shell-client.h"
#include "xdg-shell-client.h"

#include <wayland-client.h>

namespace qm::wayland {

namespace {

// An overlay layer surface anchored to every edge of its output: the
// compositor's configure gives its size.
class LayerCover final : public CoverRole {
public:
    LayerCover(Connection& connection, wl_surface* surface, Output& output, CoverEvents& events)
        : m_events(events)
        , m_layer(zwlr_layer_shell_v1_get_layer_surface(connection.layer_shell(), surface, output.output, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY, "quilvenmoor"))
    {
        zwlr_layer_surface_v1_add_listener(m_layer, &listener, this);
        zwlr_layer_surface_v1_set_size(m_layer, 0, 0);
        zwlr_layer_surface_v1_set_anchor(m_layer, every_edge);
        zwlr_layer_surface_v1_set_exclusive_zone(m_layer, -1);
        zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    }

    ~LayerCover() override { zwlr_layer_surface_v1_destroy(m_layer); }

    // Giving the keyboard up and asking for it exclusively again makes the
    // compositor hand it back, where it took it for another client.
    void ask_for_keyboard(wl_surface* surface) override
    {
        zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_NONE);
        wl_surface_commit(surface);
        zwlr_layer_surface_v1_set_keyboard_interactivity(m_layer, ZWLR_LAYER_SURFACE_V1_KEYBOARD_INTERACTIVITY_EXCLUSIVE);
    }

private:
    static void on_configure(void* data, zwlr_layer_surface_v1* layer, std::uint32_t serial, std::uint32_t width, std::uint32_t height)
    {
        zwlr_layer_surface_v1_ack_configure(layer, serial);
        static_cast<LayerCover*>(data)->m_events.on_configure({ static_cast<int>(width), static_cast<int>(height) });
    }

    static void on_closed(void* data, zwlr_layer_surface_v1*) { static_cast<LayerCover*>(data)->m_events.on_withdrawn(); }

    static constexpr zwlr_layer_surface_v1_listener listener { on_configure, on_closed };
    static constexpr std::uint32_t every_edge = ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM
        | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT;

    CoverEvents& m_events;
    zwlr_layer_surface_v1* m_layer;
};

// A window made fullscreen on its output. Its size arrives in the
// toplevel's configure and takes effect with the xdg_surface's configure
// that follows; a size of 0 x 0 leaves it to us, and the output's own size
// in the compositor's units is what covers it.
class WindowCover final : public CoverRole {
public:
    WindowCover(Connection& connection, wl_surface* surface, Output& output, CoverEvents& events)
        : m_connection(connection)
        , m_output_name(output.name)
        , m_events(events)
        , m_surface(xdg_wm_base_get_xdg_surface(connection.window_manager(), surface))
        , m_toplevel(xdg_surface_get_toplevel(m_surface))
    {
        xdg_surface_add_listener(m_surface, &surface_listener, this);
        xdg_toplevel_add_listener(m_toplevel, &toplevel_listener, this);
        xdg_toplevel_set_title(m_toplevel, "Screen saver");
        xdg_toplevel_set_app_id(m_toplevel, "quilvenmoor");
        xdg_toplevel_set_fullscreen(m_toplevel, output.output);
    }

    ~WindowCover() override
    {
        xdg_toplevel_destroy(m_toplevel);
        xdg_surface_destroy(m_surface);
    }

private:
    static void on_surface_configure(void* data, xdg_surface* surface, std::uint32_t serial)
    {
        auto& cover = *static_cast<WindowCover*>(data);
        xdg_surface_ack_configure(surface, serial);
        cover.m_events.on_configure(cover.size());
    }

    static void on_toplevel_configure(void* data, xdg_toplevel*, std::int32_t width, std::int32_t height, wl_array*)
    {
        static_cast<WindowCover*>(data)->m_suggested = { width, height };
    }

    static void on_close(void* data, xdg_toplevel*) { static_cast<WindowCover*>(data)->m_events.on_close_request(); }
    static void on_configure_bounds(void*, xdg_toplevel*, std::int32_t, std::int32_t) { }
    static void on_wm_capabilities(void*, xdg_toplevel*, wl_array*) { }

    ScreenSize size() const
    {
        if (m_suggested.width > 0 && m_suggested.height > 0)
            return m_suggested;
        Output const* output = m_connection.output(m_output_name);
        if (!output)
            return {};
        ScreenSize const mode = output->oriented_mode();
        return { mode.width / output->scale, mode.height / output->scale };
    }

    static constexpr xdg_surface_listener surface_listener { on_surface_configure };
    static constexpr xdg_toplevel_listener toplevel_listener { on_toplevel_configure, on_close, on_configure_bounds, on_wm_capabilities };

    Connection& m_connection;
    std::uint32_t m_output_name;
    CoverEvents& m_events;
    xdg_surface* m_surface;
    xdg_toplevel* m_toplevel;
    ScreenSize m_suggested;
};

}

std::unique_ptr<CoverRole> CoverRole::make(Shell shell, Connection& connection, wl_surface* surface, std::uint32_t output_name, CoverEvents& events)
{
    Output* output = connection.output(output_name);
    if (!output)
        return nullptr;
    switch (shell) {
    case Shell::Layer:
        return std::make_unique<LayerCover>(connection, surface, *output, events);
    case Shell::Toplevel:
        return std::make_unique<WindowCover>(connection, surface, *output, events);
    }
    return nullptr;
}

bool CoverRole::offered(Shell shell, Connection const& connection)
{
    return shell == Shell::Layer ? connection.layer_shell() != nullptr : connection.window_manager() != nullptr;
}

char const* CoverRole::interface_name(Shell shell)
{
    return shell == Shell::Layer ? zwlr_layer_shell_v1_interface.name : xdg_wm_base_interface.name;
}

}
