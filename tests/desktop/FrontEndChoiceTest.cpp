#include "platform/desktop/FrontEndChoice.h"

#include <gtest/gtest.h>

using namespace qm::desktop;

namespace {

enum class Shells {
    LayerAndWindows,
    WindowsOnly,
    None,
};

SessionFacts wayland_with(Shells shells, bool x_display, std::string forced = {})
{
    return { std::move(forced), true, true, shells == Shells::LayerAndWindows, shells != Shells::None, x_display };
}

}

TEST(FrontEndChoice, TheLayerShellFirstThenFullscreenWindowsThenXwayland)
{
    EXPECT_EQ(choose_front_end(wayland_with(Shells::LayerAndWindows, true)), (FrontEndChoice { FrontEnd::Wayland, {} }));

    // Without the layer shell: fullscreen windows, even with an X display at
    // hand, and one line on what that costs.
    for (bool x_display : { true, false }) {
        auto const windows = choose_front_end(wayland_with(Shells::WindowsOnly, x_display));
        EXPECT_EQ(windows.front_end, FrontEnd::WaylandFullscreen);
        EXPECT_NE(windows.message.find("zwlr_layer_shell_v1"), std::string::npos);
        EXPECT_NE(windows.message.find("fullscreen window"), std::string::npos);
        EXPECT_NE(windows.message.find("takes the keyboard"), std::string::npos);
        EXPECT_EQ(windows.message.find('\n'), std::string::npos) << "one line";
    }

    // Neither shell: Xwayland, with one line on what that costs.
    auto const fallback = choose_front_end(wayland_with(Shells::None, true));
    EXPECT_EQ(fallback.front_end, FrontEnd::X11);
    EXPECT_NE(fallback.message.find("zwlr_layer_shell_v1"), std::string::npos);
    EXPECT_NE(fallback.message.find("xdg_wm_base"), std::string::npos);
    EXPECT_NE(fallback.message.find("Xwayland"), std::string::npos);
    EXPECT_NE(fallback.message.find("keyboard"), std::string::npos);

    // No shell and no X display: no front end, and the message names what is missing.
    auto const neither = choose_front_end(wayland_with(Shells::None, false));
    EXPECT_FALSE(neither.front_end);
    EXPECT_NE(neither.message.find("zwlr_layer_shell_v1"), std::string::npos);
    auto const nothing = choose_front_end({ {}, false, false, false, false, false });
    EXPECT_FALSE(nothing.front_end);
    EXPECT_NE(nothing.message.find("zwlr_layer_shell_v1"), std::string::npos);

    // A plain X session says nothing; an unreachable compositor falls back
    // like one without shells, whatever it was thought to offer.
    EXPECT_EQ(choose_front_end({ {}, false, false, false, false, true }), (FrontEndChoice { FrontEnd::X11, {} }));
    auto const unreachable = choose_front_end({ {}, true, false, true, true, true });
    EXPECT_EQ(unreachable.front_end, FrontEnd::X11);
    EXPECT_NE(unreachable.message.find("cannot be reached"), std::string::npos);
}

TEST(FrontEndChoice, ForcingOneRunsItOrSaysWhyItCannot)
{
    EXPECT_EQ(choose_front_end(wayland_with(Shells::LayerAndWindows, true, "x11")), (FrontEndChoice { FrontEnd::X11, {} }));
    EXPECT_EQ(choose_front_end(wayland_with(Shells::WindowsOnly, true, "x11")), (FrontEndChoice { FrontEnd::X11, {} }));
    EXPECT_EQ(choose_front_end(wayland_with(Shells::LayerAndWindows, false, "wayland")), (FrontEndChoice { FrontEnd::Wayland, {} }));
    EXPECT_EQ(choose_front_end(wayland_with(Shells::WindowsOnly, true, "wayland")).front_end, FrontEnd::WaylandFullscreen);

    auto const no_shell = choose_front_end(wayland_with(Shells::None, true, "wayland"));
    EXPECT_FALSE(no_shell.front_end) << "a forced front end never falls back";
    EXPECT_NE(no_shell.message.find("zwlr_layer_shell_v1"), std::string::npos);
    auto const no_display = choose_front_end(wayland_with(Shells::LayerAndWindows, false, "x11"));
    EXPECT_FALSE(no_display.front_end);
    EXPECT_NE(no_display.message.find("DISPLAY"), std::string::npos);
    auto const unknown = choose_front_end(wayland_with(Shells::LayerAndWindows, true, "mir"));
    EXPECT_FALSE(unknown.front_end);
    EXPECT_NE(unknown.message.find("\"mir\""), std::string::npos);
}

TEST(FrontEndChoice, OneCopyPerSessionWhicheverFrontEndRuns)
{
    // The same name for the native saver and for one on that session's Xwayland.
    EXPECT_EQ(session_name("/run/user/1000/wayland-1", ":0"), session_name("/run/user/1000/wayland-1", ""));
    EXPECT_NE(session_name("/run/user/1000/wayland-1", ":0"), session_name("/run/user/1000/wayland-2", ":0"));
    EXPECT_EQ(session_name("", ":1"), ":1");
    // The screen does not matter: one X display is one session.
    EXPECT_EQ(session_name("", ":1.0"), ":1");
    EXPECT_EQ(session_name("", "host.example:1.0"), "host.example:1");

    EXPECT_EQ(wayland_socket_path("wayland-1", "/run/user/7"), "/run/user/7/wayland-1");
    EXPECT_EQ(wayland_socket_path(nullptr, "/run/user/7"), "/run/user/7/wayland-0");
    EXPECT_EQ(wayland_socket_path("/tmp/compositor", nullptr), "/tmp/compositor");
    EXPECT_EQ(wayland_socket_path("wayland-1", nullptr), "");
}
