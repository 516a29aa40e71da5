#include "platform/desktop/idle/SourceChoice.h"

namespace qm::idle {

std::optional<IdleSourceKind> choose_idle_source(SessionOffer const& offer)
{
    if (offer.wayland_session) {
        if (offer.ext_idle_notify)
            return IdleSourceKind::ExtIdleNotify;
        if (offer.kde_idle)
            return IdleSourceKind::KdeIdle;
        if (offer.mutter_idle_monitor)
            return IdleSourceKind::MutterIdleMonitor;
        return std::nullopt;
    }
    if (offer.x_display && offer.x_idle_counter)
        return IdleSourceKind::XServer;
    if (offer.mutter_idle_monitor)
        return IdleSourceKind::MutterIdleMonitor;
    return std::nullopt;
}

char const* idle_source_name(IdleSourceKind kind)
{
    switch (kind) {
    case IdleSourceKind::ExtIdleNotify:
        return "ext-idle-notify-v1 (Wayland)";
    case IdleSourceKind::KdeIdle:
        return "org_kde_kwin_idle (Wayland)";
    case IdleSourceKind::MutterIdleMonitor:
        return "org.gnome.Mutter.IdleMonitor (session bus)";
    case IdleSourceKind::XServer:
        return "the X server's IDLETIME counter (X11)";
    }
    return "";
}

std::string no_idle_source_message(SessionOffer const& offer)
{
    std::string looked_for;
    if (offer.wayland_session)
        looked_for = "the compositor offers neither ext-idle-notify-v1 nor org_kde_kwin_idle, and the session bus has no org.gnome.Mutter.IdleMonitor";
    else if (offer.x_display)
        looked_for = "the X server has no XSync IDLETIME counter, and the session bus has no org.gnome.Mutter.IdleMonitor";
    else
        looked_for = "no Wayland compositor (WAYLAND_DISPLAY), no X server (DISPLAY) and no org.gnome.Mutter.IdleMonitor on the session bus";
    return "no idle source: " + looked_for;
}

}
