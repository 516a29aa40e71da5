#include "platform/desktop/FrontEndChoice.h"

namespace qm::desktop {

namespace {

constexpr char const* no_layer_shell = "the Wayland compositor does not offer the layer shell (zwlr_layer_shell_v1)";

// Without the layer shell the saver is a fullscreen window like any other,
// and the compositor gives the keyboard to any window that opens after it.
FrontEndChoice fullscreen_windows()
{
    return { FrontEnd::WaylandFullscreen,
        std::string(no_layer_shell) + "; running as a fullscreen window on each output (xdg_wm_base) instead: "
            + "a window that opens takes the keyboard, and that ends the saver" };
}

}

FrontEndChoice choose_front_end(SessionFacts const& facts)
{
    bool const reached = facts.wayland_session && facts.compositor_reached;
    std::string const wayland_problem = !facts.wayland_session ? "no Wayland compositor was found (WAYLAND_DISPLAY is not set)"
        : !facts.compositor_reached                            ? "the Wayland compositor cannot be reached"
                                                               : std::string(no_layer_shell) + " nor xdg_wm_base";
    auto native = [&]() -> std::optional<FrontEndChoice> {
        if (reached && facts.layer_shell)
            return FrontEndChoice { FrontEnd::Wayland, {} };
        if (reached && facts.window_manager)
            return fullscreen_windows();
        return {};
    };

    if (facts.forced == "wayland")
        return native().value_or(FrontEndChoice { {}, "QUILVENMOOR_PLATFORM=wayland, but " + wayland_problem });
    if (facts.forced == "x11") {
        if (facts.x_display)
            return { FrontEnd::X11, {} };
        return { {}, "QUILVENMOOR_PLATFORM=x11, but no X display is set (DISPLAY)" };
    }
    if (!facts.forced.empty())
        return { {}, "QUILVENMOOR_PLATFORM must be \"wayland\" or \"x11\", not \"" + facts.forced + "\"" };

    if (auto const choice = native())
        return *choice;
    if (facts.x_display) {
        if (!facts.wayland_session)
            return { FrontEnd::X11, {} };
        return { FrontEnd::X11, wayland_problem + "; running through Xwayland, where the compositor can take the keyboard away from the saver" };
    }
    if (!facts.wayland_session)
        return { {}, std::string("no Wayland compositor with the layer shell (zwlr_layer_shell_v1) and no X display (DISPLAY) were found") };
    return { {}, wayland_problem + ", and no X display (DISPLAY) is set to run through instead" };
}

std::string session_name(std::string const& wayland_socket, std::string const& x_display)
{
    if (!wayland_socket.empty())
        return "wayland:" + wayland_socket;
    // The screen number does not matter: ":0" and ":0.0" are the same display.
    std::string display = x_display;
    if (auto const dot = display.rfind('.'); dot != std::string::npos && dot > display.rfind(':'))
        display.erase(dot);
    return display;
}

std::string wayland_socket_path(char const* wayland_display, char const* runtime_directory)
{
    std::string const name = wayland_display && *wayland_display ? wayland_display : "wayland-0";
    if (name.front() == '/')
        return name;
    if (!runtime_directory || !*runtime_directory)
        return {};
    return std::string(runtime_directory) + "/" + name;
}

}
