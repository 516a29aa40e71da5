#pragma once

#include "platform/IdleEvent.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm::x11 {

// The X server's idle time, for the idle watcher: alarms on the XSync
// extension's IDLETIME counter say when the user has been idle for the wait
// and when input comes again, so nothing is polled. IDLETIME counts from the
// last input and from the last XResetScreenSaver, so the programs that hold
// the server's saver off that way hold the watcher off too. A client's
// XScreenSaverSuspend cannot be seen (the server reports nothing of it), but
// the programs that suspend the server's saver also reset it every few
// seconds, which holds the watcher off. The server's saver settings
// (`xset s`) are never changed.
class IdleSource {
public:
    // Gone when the connection to the server is lost; never Broken.
    using Event = IdleEvent;

    // Nothing when no X server can be reached or it has no IDLETIME counter;
    // `problem` then says which, and `reached` whether there was a server.
    static std::unique_ptr<IdleSource> open(std::int64_t wait_milliseconds, std::string& problem, bool& reached);
    ~IdleSource();

    IdleSource(IdleSource const&) = delete;
    IdleSource& operator=(IdleSource const&) = delete;

    int descriptor() const;

    // Reads what the server has sent; the events in the order they came.
    std::vector<Event> dispatch();

    // Whether events already wait in Xlib's queue, read along with the
    // answer to some request, which polling the connection would not show.
    bool has_queued_events() const;

    // Whether the user is idle for the wait at this moment.
    bool idle_now();
    // An X server's idle time has no problem to report beyond Gone.
    std::string problem() const { return {}; }

    // The name the one-copy lock and --status use for this display.
    std::string display_name() const;

private:
    struct State;
    explicit IdleSource(std::unique_ptr<State>);

    std::unique_ptr<State> m_state;
};

}
