#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_keyboard;
struct wl_output;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_subcompositor;
struct wl_surface;
struct wl_pointer_listener;
struct wp_viewporter;
struct xdg_wm_base;
struct zwlr_layer_shell_v1;

namespace qm::wayland {

class CompositorError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An output as the compositor describes it. The mode is in physical pixels.
struct Output {
    std::uint32_t name { 0 }; // the global's name in the registry
    wl_output* output { nullptr };
    ScreenSize mode;
    int x { 0 }; // the output's place in the compositor's space
    int y { 0 };
    int scale { 1 };
    int transform { 0 };
    bool described { false }; // the first `done` has arrived
    class Connection* connection { nullptr };

    // The mode as the output shows it: a transform of 90 or 270 degrees
    // turns it on its side.
    ScreenSize oriented_mode() const { return transform % 2 == 1 ? ScreenSize { mode.height, mode.width } : mode; }
};

// What happened to an output; the connection reports it after the change.
enum class OutputChange {
    Added, // announced; described once its `done` arrives
    Described, // its description is complete (again)
    Removed, // gone: the Output is about to be destroyed
};

// A pointer listener that hears entries, leaves, motion and buttons; the
// wheel and the grouping of events mean nothing to the saver.
struct wl_pointer_listener pointer_listener_for(void (*enter)(void*, wl_pointer*, std::uint32_t, wl_surface*, std::int32_t, std::int32_t),
    void (*leave)(void*, wl_pointer*, std::uint32_t, wl_surface*), void (*motion)(void*, wl_pointer*, std::uint32_t, std::int32_t, std::int32_t),
    void (*button)(void*, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t));

// Gives back a keyboard or pointer taken from the seat, by the release
// request where the seat knows it, else by forgetting the proxy.
void release(wl_keyboard*);
void release(wl_pointer*);

// The connection to the Wayland compositor and the globals the saver uses:
// compositor, shared memory, the layer shell, the viewporter, the seat and
// every output.
class Connection {
public:
    // None when no compositor can be reached.
    static std::unique_ptr<Connection> open();
    ~Connection();

    Connection(Connection const&) = delete;
    Connection& operator=(Connection const&) = delete;

    wl_display* display() const { return m_display; }
    int file_descriptor() const;
    wl_compositor* compositor() const { return m_compositor; }
    wl_shm* shm() const { return m_shm; }
    zwlr_layer_shell_v1* layer_shell() const { return m_layer_shell; }
    wp_viewporter* viewporter() const { return m_viewporter; }
    wl_seat* seat() const { return m_seat; }
    wl_subcompositor* subcompositor() const { return m_subcompositor; }
    xdg_wm_base* window_manager() const { return m_window_manager; }

    std::vector<std::unique_ptr<Output>> const& outputs() const { return m_outputs; }
    Output* output(std::uint32_t name) const;

    void on_output_change(std::function<void(Output&, OutputChange)> observer) { m_observer = std::move(observer); }

    // What the seat offers (wl_seat capabilities), as last announced; the
    // observer hears of every announcement from then on.
    std::uint32_t seat_capabilities() const { return m_seat_capabilities; }
    void on_seat_change(std::function<void(std::uint32_t)> observer) { m_seat_observer = std::move(observer); }

    // Waits until the compositor has answered everything sent so far.
    // Throws CompositorError when the connection fails.
    void roundtrip();
    // Why the connection cannot be used any more, if it cannot.
    std::optional<std::string> failure() const;

    // For the registry's and the outputs' listeners.
    void add_global(std::uint32_t name, char const* interface, std::uint32_t version);
    void remove_global(std::uint32_t name);
    void output_changed(Output&, OutputChange);
    void seat_changed(std::uint32_t capabilities);

private:
    explicit Connection(wl_display*);

    wl_display* m_display { nullptr };
    wl_registry* m_registry { nullptr };
    wl_compositor* m_compositor { nullptr };
    wl_shm* m_shm { nullptr };
    zwlr_layer_shell_v1* m_layer_shell { nullptr };
    wp_viewporter* m_viewporter { nullptr };
    wl_seat* m_seat { nullptr };
    wl_subcompositor* m_subcompositor { nullptr };
    xdg_wm_base* m_window_manager { nullptr };
    std::vector<std::unique_ptr<Output>> m_outputs;
    std::function<void(Output&, OutputChange)> m_observer;
    std::uint32_t m_seat_capabilities { 0 };
    std::function<void(std::uint32_t)> m_seat_observer;
};

}
