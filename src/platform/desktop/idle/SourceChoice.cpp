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
    if (offer.wayland_session)
        return "no idle source: looked for ext-idle-notify-v1 and org_kde_kwin_idle on the Wayland compositor and org.gnome.Mutter.IdleMonitor on the session bus";
    if (offer.x_display)
        return "no idle source: looked for the X server's XSync IDLETIME counter, which this server lacks";
    return "no idle source: looked for a Wayland compositor (WAYLAND_DISPLAY) and an X server (DISPLAY), and found neither";
}

}
