#pragma once

#include "platform/Host.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qm {

// When each of the window's timers is due. A timer enabled at time e is due at
// e + interval, e + 2 interval, ... on the ideal grid, so no drift builds up;
// a loop that has fallen behind gets one late tick, not a burst. Times are
// milliseconds on the platform's monotonic clock.
class TickScheduler {
public:
    void set(TimerId, bool enabled, std::int64_t interval, std::int64_t now);

    // The earliest due time of any enabled timer.
    std::optional<std::int64_t> next_due() const;

    // The timer to deliver at `now`, if one is due (the earliest, ties in
    // control order), with its next due time moved on past `now`.
    std::optional<TimerId> take_due(std::int64_t now);

private:
    struct Entry {
        bool enabled { false };
        std::int64_t interval { 0 };
        std::int64_t due { 0 };
    };

    static std::size_t index(TimerId id) { return static_cast<std::size_t>(id); }

    std::array<Entry, timer_count> m_entries {};
};

}
