#pragma once

#include "platform/Geometry.h"

#include <cstdint>
#include <memory>

struct wl_surface;

namespace qm::wayland {

class Connection;

// How the saver's surfaces cover the outputs.
enum class Shell {
    // An overlay layer surface per output, above every window, that takes
    // the keyboard exclusively (zwlr_layer_shell_v1).
    Layer,
    // A fullscreen window per output (xdg_toplevel): above the windows that
    // are open, but the compositor gives the keyboard to a window that opens
    // later, as to any other.
    Toplevel,
};

// What a cover's role hears from the compositor, for the surface's owner.
class CoverEvents {
public:
    virtual ~CoverEvents() = default;
    // The surface may show at this size, in the compositor's units; the
    // configure is acknowledged, so the next commit answers it.
    virtual void on_configure(ScreenSize logical) = 0;
    // The compositor took the surface away (a layer surface is closed).
    virtual void on_withdrawn() = 0;
    // The compositor asks the window to close (the user closed it).
    virtual void on_close_request() = 0;
};

// The role that makes a plain surface cover one output. The surface's owner
// commits it once after making the role; the first configure answers.
class CoverRole {
public:
    virtual ~CoverRole() = default;

    // Asks the compositor for the keyboard again after it took it away; the
    // caller commits the surface, which must have been configured. A role
    // whose shell has no way to ask does nothing.
    virtual void ask_for_keyboard(wl_surface*) { }

    static std::unique_ptr<CoverRole> make(Shell, Connection&, wl_surface*, std::uint32_t output_name, CoverEvents&);
    // Whether the compositor offers the shell, and the global's name to say
    // when it does not.
    static bool offered(Shell, Connection const&);
    static char const* interface_name(Shell);
};

}
