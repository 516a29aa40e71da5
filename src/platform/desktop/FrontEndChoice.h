#pragma once

#include <optional>
#include <string>

namespace qm::desktop {

// The front ends of the desktop program.
enum class FrontEnd {
    Wayland, // layer-shell surfaces, straight on the compositor
    WaylandFullscreen, // fullscreen windows, straight on a compositor without the layer shell
    X11, // Xlib, on an X server or through Xwayland
};

// What the start-up learned about the session it runs in.
struct SessionFacts {
    std::string forced; // QUILVENMOOR_PLATFORM, empty when unset
    bool wayland_session { false }; // WAYLAND_DISPLAY is set, or the default socket exists
    bool compositor_reached { false }; // the connection to that compositor succeeded
    bool layer_shell { false }; // and it offers zwlr_layer_shell_v1
    bool window_manager { false }; // and xdg_wm_base, for ordinary windows
    bool x_display { false }; // DISPLAY is set
};

// The front end to run and what to say about it. Without a front end, the
// message is the error to report before ending with status 1; with one, it
// is a warning for standard error, or empty.
struct FrontEndChoice {
    std::optional<FrontEnd> front_end;
    std::string message;

    bool operator==(FrontEndChoice const&) const = default;
};

FrontEndChoice choose_front_end(SessionFacts const&);

// The name under which one copy of the saver runs per user and session: the
// same whichever front end runs it, so a native saver and one on Xwayland
// in the same session never run side by side. `wayland_socket` is empty
// outside a Wayland session.
std::string session_name(std::string const& wayland_socket, std::string const& x_display);

// The compositor's socket as libwayland finds it: WAYLAND_DISPLAY (a name in
// XDG_RUNTIME_DIR, or an absolute path), else "wayland-0" in XDG_RUNTIME_DIR.
// Empty when neither names one.
std::string wayland_socket_path(char const* wayland_display, char const* runtime_directory);

}
