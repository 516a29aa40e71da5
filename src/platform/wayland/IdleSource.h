#pragma once

#include "platform/IdleEvent.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm::wayland {

// The compositor's idle notification, for the idle watcher: the compositor
// says when its seat has had no input for the wait and when input comes
// again, so nothing is polled. Only the compositor sees every client's
// input, and it already leaves out the time during which a visible surface
// holds an idle inhibitor. The connection also tells when the session ends:
// the compositor going away closes it.
class IdleSource {
public:
    using Event = IdleEvent;

    // The idle protocols, newest first.
    enum class Protocol {
        ExtIdleNotify, // ext-idle-notify-v1
        KdeIdle, // org_kde_kwin_idle
    };

    // What the compositor offers, read from its registry at open.
    struct Offer {
        bool ext_idle_notify { false };
        bool kde_idle { false };
        bool seat { false };
    };

    // Nothing when no compositor can be reached; `problem` then says why.
    static std::unique_ptr<IdleSource> open(std::string& problem);
    ~IdleSource();

    IdleSource(IdleSource const&) = delete;
    IdleSource& operator=(IdleSource const&) = delete;

    Offer offer() const;

    // Asks the compositor to report idleness after the wait, in
    // milliseconds, through the protocol given. Without a call the
    // connection only tells when the compositor goes away (where the idle
    // time comes from elsewhere, GNOME's idle monitor). False when the
    // compositor does not offer that protocol or has no seat.
    bool watch(Protocol, std::int64_t wait_milliseconds);

    int descriptor() const;

    // Reads what the compositor has sent without waiting; the events in the
    // order they came.
    std::vector<Event> dispatch();

    // Whether events already wait in the client library's queue, which
    // polling the connection would not show.
    bool has_queued_events() const;

    // Whether the user is idle for the wait, as last reported. The
    // protocols report no idle time at the start: the wait counts from the
    // moment of `watch`.
    bool idle_now() const;

    // Why the connection broke, after a Broken event.
    std::string problem() const;

    struct State;

private:
    explicit IdleSource(std::unique_ptr<State>);

    std::unique_ptr<State> m_state;
};

}
