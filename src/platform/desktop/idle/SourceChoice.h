#pragma once

#include <optional>
#include <string>

namespace qm::idle {

// Where the watcher learns that the user is idle.
enum class IdleSourceKind {
    ExtIdleNotify, // the Wayland compositor's ext-idle-notify-v1
    KdeIdle, // the Wayland compositor's org_kde_kwin_idle (sway 1.7)
    MutterIdleMonitor, // GNOME's org.gnome.Mutter.IdleMonitor on the session bus
    XServer, // the X server's idle time (the XSync IDLETIME counter)
};

// What the session offers, as the watcher found it at start.
struct SessionOffer {
    bool wayland_session { false }; // a compositor was reached
    bool ext_idle_notify { false };
    bool kde_idle { false };
    bool mutter_idle_monitor { false };
    bool x_display { false }; // an X server was reached (not one of a Wayland session)
    bool x_idle_counter { false }; // and it has the XSync IDLETIME counter
};

// The source to use. In a Wayland session only the compositor sees all
// input (Xwayland's idle time misses every native client's), so the X
// server is a choice only outside one.
std::optional<IdleSourceKind> choose_idle_source(SessionOffer const&);

// The source's name, as --status says it.
char const* idle_source_name(IdleSourceKind);

// The one line said when there is none: what was looked for.
std::string no_idle_source_message(SessionOffer const&);

}
