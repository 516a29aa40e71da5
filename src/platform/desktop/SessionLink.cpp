#include "platform/desktop/SessionLink.h"

#include "platform/desktop/SessionBus.h"
#include "platform/desktop/WatcherControl.h"
#include "platform/wayland/IdleSource.h"
#include "platform/x11/IdleSource.h"

#include <fcntl.h>

namespace qm::desktop {

namespace {

// An idle source of a front end as the watcher's loop sees it; `what` names
// what it reads the idle time from.
template<typename Source>
class SourceLink final : public SessionLink {
public:
    SourceLink(std::unique_ptr<Source> source, char const* what)
        : m_source(std::move(source))
        , m_what(what)
    {
    }

    int descriptor() const override { return m_source->descriptor(); }
    std::vector<Event> dispatch() override { return m_source->dispatch(); }
    bool has_queued_events() const override { return m_source->has_queued_events(); }
    bool idle_now() override { return m_source->idle_now(); }
    std::string what() const override { return m_what; }
    std::string problem() const override { return m_source->problem(); }

private:
    std::unique_ptr<Source> m_source;
    char const* m_what;
};

std::string with_reason(std::string line, std::string const& reason) { return reason.empty() ? line : line + " (" + reason + ")"; }

// In a Wayland session: the compositor's protocols, else GNOME's monitor.
// The connection to the compositor stays either way, for the session's end.
std::optional<ChosenSource> open_wayland(std::int64_t wait_milliseconds, std::string& problem)
{
    idle::SessionOffer offer;
    std::string reason;
    auto source = wayland::IdleSource::open(reason);
    if (source) {
        offer.wayland_session = true;
        auto const offered = source->offer();
        offer.ext_idle_notify = offered.ext_idle_notify;
        offer.kde_idle = offered.kde_idle;
        offer.wayland_seat = offered.seat;
        // The bus is asked only when the compositor's own source will not do.
        if (!idle::choose_idle_source(offer))
            offer.mutter_idle_monitor = SessionBus::mutter_idle_monitor_present();
    }
    auto const kind = idle::choose_idle_source(offer);
    if (!source || !kind) {
        problem = with_reason(idle::no_idle_source_message(offer), reason);
        return std::nullopt;
    }
    if (*kind == idle::IdleSourceKind::ExtIdleNotify)
        source->watch(wayland::IdleSource::Protocol::ExtIdleNotify, wait_milliseconds);
    else if (*kind == idle::IdleSourceKind::KdeIdle)
        source->watch(wayland::IdleSource::Protocol::KdeIdle, wait_milliseconds);
    return ChosenSource { *kind, std::make_unique<SourceLink<wayland::IdleSource>>(std::move(source), "the Wayland compositor") };
}

std::optional<ChosenSource> open_x11(std::int64_t wait_milliseconds, std::string& problem)
{
    idle::SessionOffer offer;
    std::string reason;
    bool reached = false;
    auto source = x11::IdleSource::open(wait_milliseconds, reason, reached);
    offer.x_display = reached;
    offer.x_idle_counter = source != nullptr;
    if (!source)
        offer.mutter_idle_monitor = SessionBus::mutter_idle_monitor_present();
    auto const kind = idle::choose_idle_source(offer);
    if (!kind) {
        problem = with_reason(idle::no_idle_source_message(offer), reason);
        return std::nullopt;
    }
    ChosenSource chosen { *kind, nullptr };
    if (source)
        chosen.link = std::make_unique<SourceLink<x11::IdleSource>>(std::move(source), "the X display");
    return chosen;
}

}

std::optional<ChosenSource> open_idle_source(std::int64_t wait_milliseconds, std::string& problem)
{
    // In a Wayland session only the compositor sees all input: Xwayland's
    // idle time misses every native client's, so the X server is never
    // asked there.
    auto chosen = in_wayland_session() ? open_wayland(wait_milliseconds, problem) : open_x11(wait_milliseconds, problem);
    // The saver must not inherit the watcher's connection to the display.
    if (chosen && chosen->link)
        fcntl(chosen->link->descriptor(), F_SETFD, FD_CLOEXEC);
    return chosen;
}

}
