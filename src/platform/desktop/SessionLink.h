#pragma once

#include "platform/IdleEvent.h"

#include "platform/desktop/idle/SourceChoice.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm::desktop {

// The watcher's connection to the session's display: the X server or the
// Wayland compositor. It says when the session ends (the connection closes)
// and, unless the idle time comes from the session bus, when the user is
// idle for the wait and when they come back. The front ends' idle sources
// behind it share one shape, so the watcher's loop treats them alike.
class SessionLink {
public:
    using Event = IdleEvent;

    virtual ~SessionLink() = default;

    virtual int descriptor() const = 0;
    virtual std::vector<Event> dispatch() = 0;
    // Events already read into the client library's queue, which polling
    // the connection would not show.
    virtual bool has_queued_events() const = 0;
    virtual bool idle_now() = 0;
    // "the X display", "the Wayland compositor": for the line said as the
    // watcher ends with it.
    virtual std::string what() const = 0;
    // Why the connection broke, after a Broken event.
    virtual std::string problem() const = 0;
};

// The idle source the session offers, and the link that carries it (or
// only watches the session's end, where the idle source is on the bus).
struct ChosenSource {
    idle::IdleSourceKind kind;
    std::unique_ptr<SessionLink> link; // none only on X11 without a reachable source of its own
};

// Looks at what the session offers, chooses the idle source by the
// watcher's rules and starts it on the wait. Nothing when there is none;
// `problem` is then the one line to say.
std::optional<ChosenSource> open_idle_source(std::int64_t wait_milliseconds, std::string& problem);

}
