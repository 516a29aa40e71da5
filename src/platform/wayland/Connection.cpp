#include "platform/wayland/Connection.h"

#include "layer-shell-client.h"
#include "viewporter-client.h"
#include "xdg-shell-client.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qm::wayland {

namespace {

void on_global(void* data, wl_registry*, std::uint32_t name, char const* interface, std::uint32_t version)
{
    static_cast<Connection*>(data)->add_global(name, interface, version);
}

void on_global_remove(void* data, wl_registry*, std::uint32_t name) { static_cast<Connection*>(data)->remove_global(name); }

wl_registry_listener const registry_listener { on_global, on_global_remove };

void on_geometry(void* data, wl_output*, std::int32_t x, std::int32_t y, std::int32_t, std::int32_t, std::int32_t, char const*, char const*, std::int32_t transform)
{
    Output& output = *static_cast<Output*>(data);
    output.x = x;
    output.y = y;
    output.transform = transform;
}

void on_mode(void* data, wl_output*, std::uint32_t flags, std::int32_t width, std::int32_t height, std::int32_t)
{
    if (flags & WL_OUTPUT_MODE_CURRENT)
        static_cast<Output*>(data)->mode = { width, height };
}

void on_scale(void* data, wl_output*, std::int32_t factor) { static_cast<Output*>(data)->scale = std::max(1, factor); }

void on_done(void* data, wl_output*)
{
    Output& output = *static_cast<Output*>(data);
    output.described = true;
    output.connection->output_changed(output, OutputChange::Described);
}

void on_name(void*, wl_output*, char const*) { }
void on_description(void*, wl_output*, char const*) { }

wl_output_listener const output_listener { on_geometry, on_mode, on_done, on_scale, on_name, on_description };

void on_capabilities(void* data, wl_seat*, std::uint32_t capabilities) { static_cast<Connection*>(data)->seat_changed(capabilities); }
void on_seat_name(void*, wl_seat*, char const*) { }
wl_seat_listener const seat_listener { on_capabilities, on_seat_name };

// The compositor asks now and then whether we still answer.
void on_ping(void*, xdg_wm_base* window_manager, std::uint32_t serial) { xdg_wm_base_pong(window_manager, serial); }
xdg_wm_base_listener const window_manager_listener { on_ping };

template<typename Proxy>
Proxy* bind(wl_registry* registry, std::uint32_t name, wl_interface const& interface, std::uint32_t offered, std::uint32_t wanted)
{
    return static_cast<Proxy*>(wl_registry_bind(registry, name, &interface, std::min(offered, wanted)));
}

void on_axis(void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) { }
void on_frame(void*, wl_pointer*) { }
void on_axis_source(void*, wl_pointer*, std::uint32_t) { }
void on_axis_stop(void*, wl_pointer*, std::uint32_t, std::uint32_t) { }
void on_axis_discrete(void*, wl_pointer*, std::uint32_t, std::int32_t) { }
void on_axis_value120(void*, wl_pointer*, std::uint32_t, std::int32_t) { }

}

wl_pointer_listener pointer_listener_for(void (*enter)(void*, wl_pointer*, std::uint32_t, wl_surface*, std::int32_t, std::int32_t),
    void (*leave)(void*, wl_pointer*, std::uint32_t, wl_surface*), void (*motion)(void*, wl_pointer*, std::uint32_t, std::int32_t, std::int32_t),
    void (*button)(void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t))
{
    return { enter, leave, motion, button, on_axis, on_frame, on_axis_source, on_axis_stop, on_axis_discrete, on_axis_value120 };
}

void release(wl_keyboard* keyboard)
{
    if (wl_keyboard_get_version(keyboard) >= WL_KEYBOARD_RELEASE_SINCE_VERSION)
        wl_keyboard_release(keyboard);
    else
        wl_keyboard_destroy(keyboard);
}

void release(wl_pointer* pointer)
{
    if (wl_pointer_get_version(pointer) >= WL_POINTER_RELEASE_SINCE_VERSION)
        wl_pointer_release(pointer);
    else
        wl_pointer_destroy(pointer);
}

std::unique_ptr<Connection> Connection::open()
{
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return nullptr;
    std::unique_ptr<Connection> connection(new Connection(display));
    // The globals, then each output's description.
    try {
        connection->roundtrip();
        connection->roundtrip();
    } catch (CompositorError const&) {
        return nullptr;
    }
    return connection;
}

Connection::Connection(wl_display* display)
    : m_display(display)
    , m_registry(wl_display_get_registry(display))
{
    wl_registry_add_listener(m_registry, &registry_listener, this);
}

Connection::~Connection()
{
    for (auto const& output : m_outputs)
        wl_output_destroy(output->output);
    if (m_seat)
        wl_seat_destroy(m_seat);
    if (m_subcompositor)
        wl_subcompositor_destroy(m_subcompositor);
    if (m_window_manager)
        xdg_wm_base_destroy(m_window_manager);
    if (m_viewporter)
        wp_viewporter_destroy(m_viewporter);
    // Older layer shells know no destroy request: the proxy simply goes.
    if (m_layer_shell && zwlr_layer_shell_v1_get_version(m_layer_shell) >= ZWLR_LAYER_SHELL_V1_DESTROY_SINCE_VERSION)
        zwlr_layer_shell_v1_destroy(m_layer_shell);
    else if (m_layer_shell)
        wl_proxy_destroy(reinterpret_cast<wl_proxy*>(m_layer_shell));
    if (m_shm)
        wl_shm_destroy(m_shm);
    if (m_compositor)
        wl_compositor_destroy(m_compositor);
    wl_registry_destroy(m_registry);
    wl_display_disconnect(m_display);
}

int Connection::file_descriptor() const { return wl_display_get_fd(m_display); }

Output* Connection::output(std::uint32_t name) const
{
    auto const found = std::find_if(m_outputs.begin(), m_outputs.end(), [name](auto const& output) { return output->name == name; });
    return found == m_outputs.end() ? nullptr : found->get();
}

void Connection::add_global(std::uint32_t name, char const* interface, std::uint32_t version)
{
    std::string_view const kind = interface;
    if (kind == wl_compositor_interface.name) {
        m_compositor = bind<wl_compositor>(m_registry, name, wl_compositor_interface, version, 4);
    } else if (kind == wl_shm_interface.name) {
        m_shm = bind<wl_shm>(m_registry, name, wl_shm_interface, version, 1);
    } else if (kind == zwlr_layer_shell_v1_interface.name) {
        m_layer_shell = bind<zwlr_layer_shell_v1>(m_registry, name, zwlr_layer_shell_v1_interface, version, 4);
    } else if (kind == wp_viewporter_interface.name) {
        m_viewporter = bind<wp_viewporter>(m_registry, name, wp_viewporter_interface, version, 1);
    } else if (kind == wl_subcompositor_interface.name) {
        m_subcompositor = bind<wl_subcompositor>(m_registry, name, wl_subcompositor_interface, version, 1);
    } else if (kind == xdg_wm_base_interface.name) {
        m_window_manager = bind<xdg_wm_base>(m_registry, name, xdg_wm_base_interface, version, 1);
        xdg_wm_base_add_listener(m_window_manager, &window_manager_listener, this);
    } else if (kind == wl_seat_interface.name && !m_seat) {
        m_seat = bind<wl_seat>(m_registry, name, wl_seat_interface, version, 5);
        wl_seat_add_listener(m_seat, &seat_listener, this);
    } else if (kind == wl_output_interface.name) {
        auto output = std::make_unique<Output>();
        output->name = name;
        output->connection = this;
        output->output = bind<wl_output>(m_registry, name, wl_output_interface, version, 3);
        wl_output_add_listener(output->output, &output_listener, output.get());
        m_outputs.push_back(std::move(output));
        output_changed(*m_outputs.back(), OutputChange::Added);
    }
}

void Connection::remove_global(std::uint32_t name)
{
    auto const found = std::find_if(m_outputs.begin(), m_outputs.end(), [name](auto const& output) { return output->name == name; });
    if (found == m_outputs.end())
        return;
    output_changed(**found, OutputChange::Removed);
    wl_output_destroy((*found)->output);
    m_outputs.erase(found);
}

void Connection::output_changed(Output& output, OutputChange change)
{
    if (m_observer)
        m_observer(output, change);
}

void Connection::seat_changed(std::uint32_t capabilities)
{
    m_seat_capabilities = capabilities;
    if (m_seat_observer)
        m_seat_observer(capabilities);
}

void Connection::roundtrip()
{
    if (wl_display_roundtrip(m_display) < 0)
        throw CompositorError(failure().value_or("the connection to the Wayland compositor failed"));
}

std::optional<std::string> Connection::failure() const
{
    int const error = wl_display_get_error(m_display);
    if (error == 0)
        return {};
    if (error == EPROTO) {
        wl_interface const* interface = nullptr;
        std::uint32_t id = 0;
        std::uint32_t const code = wl_display_get_protocol_error(m_display, &interface, &id);
        return "the Wayland compositor reported a protocol error (" + std::string(interface ? interface->name : "unknown interface") + ", code "
            + std::to_string(code) + ")";
    }
    return "lost the connection to the Wayland compositor (" + std::string(std::strerror(error)) + ")";
}

}
