#pragma once

#include "platform/TimedHost.h"
#include "start/Saver.h"

#include <algorithm>
#include <concepts>
#include <cstdint>
#include <cstdio>
#include <optional>

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

// Whether anybody can see the saver: the monitor is on and its window or
// surface is shown. While nobody can, a desktop loop draws nothing and wakes
// for its ticks at most once a second.
enum class Visibility {
    Seen,
    Unseen,
};

// The longest a loop sleeps between two batches of ticks while unseen.
constexpr std::int64_t unseen_wake_interval = 1000;

// When a desktop loop next wakes for its ticks: at the next due tick while
// the saver is seen; while it is unseen, not before `unseen_wake_interval`
// after `last_wake`, the time it last woke for ticks. Nothing when no timer
// runs.
inline std::optional<std::int64_t> next_tick_wake(TickScheduler const& scheduler, Visibility visibility, std::int64_t last_wake)
{
    auto const due = scheduler.next_due();
    if (!due || visibility == Visibility::Seen)
        return due;
    return std::max(*due, last_wake + unseen_wake_interval);
}

// Delivers every tick due by `now` at its own due time, as a loop that had
// woken for each on time would have, rather than one late tick at `now`: the
// batch of an unseen period, after which the motion is exactly where a run
// that drew every frame would have it. `reading_now` is the wall clock at
// `now`; each tick is handed it set back to the tick's due time, which is
// the host's time while `after_tick(id)` runs (it returns false to stop).
template<typename AfterTick>
    requires std::invocable<AfterTick, TimerId>
int deliver_due_ticks_in_batch(TimedHost& host, Saver& saver, std::int64_t now, ClockReading reading_now, AfterTick&& after_tick)
{
    return deliver_due_ticks(
        host, saver, now, ClockKind::Virtual, [&] { return reading_now.advanced_by(host.now() - now); }, after_tick);
}

// The same for a desktop loop; the trace gives each tick's due time and the
// time the batch ran.
inline int deliver_due_ticks_in_batch(TimedHost& host, Saver& saver, std::int64_t now, ClockReading reading_now, TickTrace trace = TickTrace::Off)
{
    return deliver_due_ticks_in_batch(host, saver, now, reading_now, [&](TimerId id) {
        if (trace == TickTrace::On)
            std::fprintf(stderr, "tick %d %lld batch %lld\n", static_cast<int>(id), static_cast<long long>(host.now()), static_cast<long long>(now));
        return true;
    });
}

}
