#include "platform/wayland/IdleSource.h"

#include "ext-idle-notify-client.h"
#include "kde-idle-client.h"

#include <wayland-client.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace qm::wayland {

struct IdleSource::State {
    wl_display* display { nullptr };
    wl_registry* registry { nullptr };
    wl_seat* seat { nullptr };
    ext_idle_notifier_v1* notifier { nullptr };
    org_kde_kwin_idle* kde_idle { nullptr };
    ext_idle_notification_v1* notification { nullptr };
    org_kde_kwin_idle_timeout* kde_timeout { nullptr };
    bool idle { false };
    std::vector<Event> events;
    std::string problem;

    ~State()
    {
        if (!display)
            return;
        if (notification)
            ext_idle_notification_v1_destroy(notification);
        if (kde_timeout)
            org_kde_kwin_idle_timeout_release(kde_timeout);
        if (notifier)
            ext_idle_notifier_v1_destroy(notifier);
        if (kde_idle)
            org_kde_kwin_idle_destroy(kde_idle);
        if (seat)
            wl_seat_destroy(seat);
        if (registry)
            wl_registry_destroy(registry);
        wl_display_disconnect(display);
    }

    void became_idle()
    {
        idle = true;
        events.push_back(Event::Idle);
    }

    void became_active()
    {
        idle = false;
        events.push_back(Event::Active);
    }

    // The connection has failed: a closed socket is the compositor going
    // away, anything else a fault worth reporting.
    void failed()
    {
        int const error = wl_display_get_error(display);
        if (error == 0 || error == EPIPE || error == ECONNRESET) {
            events.push_back(Event::Gone);
            return;
        }
        problem = error == EPROTO ? "the compositor reported a protocol error" : std::strerror(error);
        events.push_back(Event::Broken);
    }
};

namespace {

// The first seat is watched: the idle protocols count input per seat, and
// a desktop session has one.
void on_global(void* data, wl_registry* registry, std::uint32_t name, char const* interface, std::uint32_t)
{
    auto& state = *static_cast<IdleSource::State*>(data);
    if (std::strcmp(interface, ext_idle_notifier_v1_interface.name) == 0 && !state.notifier)
        state.notifier = static_cast<ext_idle_notifier_v1*>(wl_registry_bind(registry, name, &ext_idle_notifier_v1_interface, 1));
    else if (std::strcmp(interface, org_kde_kwin_idle_interface.name) == 0 && !state.kde_idle)
        state.kde_idle = static_cast<org_kde_kwin_idle*>(wl_registry_bind(registry, name, &org_kde_kwin_idle_interface, 1));
    else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !state.seat)
        state.seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
}

void on_global_remove(void*, wl_registry*, std::uint32_t) { }

wl_registry_listener const registry_listener { on_global, on_global_remove };

void on_idled(void* data, ext_idle_notification_v1*) { static_cast<IdleSource::State*>(data)->became_idle(); }
void on_resumed(void* data, ext_idle_notification_v1*) { static_cast<IdleSource::State*>(data)->became_active(); }

ext_idle_notification_v1_listener const notification_listener { on_idled, on_resumed };

void on_kde_idle(void* data, org_kde_kwin_idle_timeout*) { static_cast<IdleSource::State*>(data)->became_idle(); }
void on_kde_resumed(void* data, org_kde_kwin_idle_timeout*) { static_cast<IdleSource::State*>(data)->became_active(); }

org_kde_kwin_idle_timeout_listener const kde_timeout_listener { on_kde_idle, on_kde_resumed };

}

std::unique_ptr<IdleSource> IdleSource::open(std::string& problem)
{
    auto state = std::make_unique<State>();
    state->display = wl_display_connect(nullptr);
    if (!state->display) {
        char const* name = std::getenv("WAYLAND_DISPLAY");
        problem = std::string("cannot connect to the Wayland compositor '") + (name && *name ? name : "wayland-0") + "': " + std::strerror(errno);
        return nullptr;
    }
    state->registry = wl_display_get_registry(state->display);
    wl_registry_add_listener(state->registry, &registry_listener, state.get());
    if (wl_display_roundtrip(state->display) < 0) {
        problem = "the Wayland compositor closed the connection at once";
        return nullptr;
    }
    return std::unique_ptr<IdleSource>(new IdleSource(std::move(state)));
}

IdleSource::IdleSource(std::unique_ptr<State> state)
    : m_state(std::move(state))
{
}

IdleSource::~IdleSource() = default;

IdleSource::Offer IdleSource::offer() const
{
    return { m_state->notifier != nullptr, m_state->kde_idle != nullptr, m_state->seat != nullptr };
}

bool IdleSource::watch(Protocol protocol, std::int64_t wait_milliseconds)
{
    if (!m_state->seat)
        return false;
    // Both protocols take the wait as 32 bits of milliseconds: 49 days.
    auto const wait = static_cast<std::uint32_t>(std::clamp<std::int64_t>(wait_milliseconds, 1, UINT32_MAX));
    switch (protocol) {
    case Protocol::ExtIdleNotify:
        if (!m_state->notifier)
            return false;
        m_state->notification = ext_idle_notifier_v1_get_idle_notification(m_state->notifier, wait, m_state->seat);
        ext_idle_notification_v1_add_listener(m_state->notification, &notification_listener, m_state.get());
        break;
    case Protocol::KdeIdle:
        if (!m_state->kde_idle)
            return false;
        m_state->kde_timeout = org_kde_kwin_idle_get_idle_timeout(m_state->kde_idle, m_state->seat, wait);
        org_kde_kwin_idle_timeout_add_listener(m_state->kde_timeout, &kde_timeout_listener, m_state.get());
        break;
    }
    wl_display_flush(m_state->display);
    return true;
}

int IdleSource::descriptor() const { return wl_display_get_fd(m_state->display); }

std::vector<IdleSource::Event> IdleSource::dispatch()
{
    State& state = *m_state;
    state.events.clear();
    wl_display* display = state.display;
    // Reads only what has arrived: the watcher's poll found the connection
    // readable, or events were already queued.
    if (wl_display_prepare_read(display) == 0) {
        pollfd descriptor { wl_display_get_fd(display), POLLIN, 0 };
        if (poll(&descriptor, 1, 0) > 0 && (descriptor.revents & (POLLIN | POLLHUP | POLLERR))) {
            if (wl_display_read_events(display) < 0) {
                state.failed();
                return std::move(state.events);
            }
        } else {
            wl_display_cancel_read(display);
        }
    }
    if (wl_display_dispatch_pending(display) < 0) {
        state.failed();
        return std::move(state.events);
    }
    if (wl_display_flush(display) < 0 && errno != EAGAIN)
        state.failed();
    return std::move(state.events);
}

bool IdleSource::has_queued_events() const
{
    if (wl_display_prepare_read(m_state->display) != 0)
        return true;
    wl_display_cancel_read(m_state->display);
    return false;
}

bool IdleSource::idle_now() const { return m_state->idle; }

std::string IdleSource::problem() const { return m_state->problem; }

}
