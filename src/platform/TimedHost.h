#pragma once

#include "platform/Host.h"
#include "platform/TickScheduler.h"

#include <cstdint>

namespace qm {

// The timer table every platform shares. A timer counts from the moment of
// the event being handled, which the platform's loop sets before it hands
// the event over; the saver itself never reads a clock.
class TimedHost : public Host {
public:
    void set_timer(TimerId id, bool enabled, int interval) final { m_scheduler.set(id, enabled, interval, m_now); }

    // The platform's monotonic time of the event being handled, in milliseconds.
    std::int64_t now() const { return m_now; }
    void set_now(std::int64_t now) { m_now = now; }

    TickScheduler& scheduler() { return m_scheduler; }
    TickScheduler const& scheduler() const { return m_scheduler; }

private:
    TickScheduler m_scheduler;
    std::int64_t m_now { 0 };
};

}
