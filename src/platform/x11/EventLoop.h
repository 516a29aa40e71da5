#pragma once

#include "platform/TickDelivery.h"
#include "platform/x11/MonitorPower.h"
#include "platform/x11/Painter.h"
#include "platform/posix/Process.h"
#include "platform/x11/X11HostBase.h"
#include "start/Saver.h"
#include "window/Renderer.h"

#include <optional>
#include <string>

namespace qm::x11 {

// The one loop of every X11 front end. It waits on the connection and the
// termination signals with a timeout to the next due tick, translates each
// native event once (keys through the key table, the pointer in the play
// area's coordinates), follows the size of the window the saver draws into,
// and after each round sends the renderer's changes through the painter.
// While nobody can see the window (the monitor is powered down, or the
// window is unmapped or fully covered) it sends no drawing at all and wakes
// for its ticks at most once a second, delivering them in batches at their
// own due times; once the window can be seen it repaints it whole at once.
class EventLoop {
public:
    enum class Outcome {
        SaverEnded, // the saver ended itself: see Saver::ending()
        Signalled, // SIGTERM, SIGINT or SIGHUP
        Failed, // the window or the display cannot be used any more: see failure()
    };

    // The signals are the caller's, set up before the display is opened.
    EventLoop(X11HostBase&, Saver&, posix::TerminationSignals const&);

    EventLoop(EventLoop const&) = delete;
    EventLoop& operator=(EventLoop const&) = delete;

    Outcome run();
    std::string const& failure() const { return m_failure; }

private:
    template<typename Deliver>
    void deliver_at(std::int64_t now, Deliver&&);
    // Returns false when the loop must stop.
    bool handle(XEvent&);
    void present();
    void flush();
    void deliver_due_ticks();
    void deliver_batch(std::int64_t now);
    Visibility visibility() const;
    // Follows a change of who can see the window; called after every round of events.
    void follow_visibility(std::int64_t now);
    std::optional<std::int64_t> next_wake() const;
    void trace(char const* what, std::int64_t now) const;
    bool fail(std::string message);

    X11HostBase& m_host;
    Saver& m_saver;
    ScreenSize m_size;
    Renderer m_renderer;
    Painter m_painter;
    posix::TerminationSignals const& m_signals;
    MonitorPower m_power;
    std::string m_failure;
    bool m_trace_ticks;
    bool m_presented { false };
    // Whether the last wait saw the server's connection readable (the
    // first round reads whatever came before it).
    bool m_connection_readable { true };
    unsigned long m_flushed_request { 0 };
    // Whether the window is viewable and not wholly covered, as its own
    // events say, and what the loop acts on, the monitor's power included.
    Visibility m_window_visibility { Visibility::Seen };
    Visibility m_loop_visibility { Visibility::Seen };
    // When ticks were last delivered: an unseen loop waits a second from there.
    std::int64_t m_last_tick_wake { 0 };
};

}
