#pragma once

#include "platform/TimedHost.h"
#include "start/Saver.h"

#include <cstdint>
#include <cstdio>

namespace qm {

// Whose clock a loop runs on. A virtual clock (the simulator, the tests)
// moves to each tick's due time; a real one has already passed a late tick's
// due time, so every tick it delivers happens now.
enum class ClockKind {
    Virtual,
    Real,
};

// The one loop that hands due ticks to the saver, for every platform.
// Delivers, earliest first (ties in the window's timer order), every tick
// due at or before `until`, until the saver ends, and leaves the host's time
// at `until`. Each tick is handed `reading()`, the clock reading, taken once
// the host's time is the tick's. `after_tick(id)` runs after each tick; it
// returns false to stop at once (the host's time then stays at that tick).
// Returns how many ticks ran.
template<typename Reading, typename AfterTick>
int deliver_due_ticks(TimedHost& host, Saver& saver, std::int64_t until, ClockKind kind, Reading&& reading, AfterTick&& after_tick)
{
    int delivered = 0;
    while (saver.running()) {
        auto const due = host.scheduler().next_due();
        if (!due || *due > until)
            break;
        std::int64_t const at = kind == ClockKind::Virtual ? *due : until;
        host.set_now(at);
        auto const id = host.scheduler().take_due(at);
        if (!id)
            break;
        saver.tick(*id, reading());
        ++delivered;
        if (!after_tick(*id))
            return delivered;
    }
    host.set_now(until);
    return delivered;
}

// Whether a desktop loop writes "tick ID TIME" to standard error for every
// tick it delivers: a diagnostic for measuring the tick rhythm from outside.
enum class TickTrace {
    Off,
    On,
};

// Delivers the ticks due by `now` on a real clock, as every desktop loop does.
template<typename Reading>
int deliver_due_ticks(TimedHost& host, Saver& saver, std::int64_t now, Reading&& reading, TickTrace trace = TickTrace::Off)
{
    return deliver_due_ticks(host, saver, now, ClockKind::Real, reading, [&](TimerId id) {
        if (trace == TickTrace::On)
            std::fprintf(stderr, "tick %d %lld\n", static_cast<int>(id), static_cast<long long>(now));
        return true;
    });
}

}
