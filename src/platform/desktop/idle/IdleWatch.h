#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qm::idle {

// When to run the saver: the watcher's rules, with time passed in and no
// knowledge of where idleness, inhibitors or the lock come from.
//
// The idle source says when the user has been idle for the wait and when
// they come back. The saver starts when the user is idle, nothing holds
// the screen awake, the session is not locked, and a full wait has passed
// since the last moment that counts as activity without being input: the
// start, the end of the last saver, the end of an inhibitor or of the lock,
// a program's SimulateUserActivity. A saver that fails is not run again
// until the user comes back; three failures in a row end the watching.
class IdleWatch {
public:
    enum class State {
        Waiting, // for the conditions above
        SaverRunning,
        HeldBack, // the last saver failed: waits for fresh input
        Stopped, // three failures in a row
    };

    static constexpr int failures_to_stop = 3;

    IdleWatch(std::int64_t wait_milliseconds, std::int64_t now);

    // The idle source: the user has been idle for the wait / has come back.
    void user_idle(std::int64_t now);
    void user_active(std::int64_t now);

    // Whether anything holds the screen awake, and whether the session is
    // locked. Either one ending counts as activity.
    void set_inhibited(bool, std::int64_t now);
    void set_locked(bool, std::int64_t now);
    void simulate_activity(std::int64_t now);

    // The saver the watcher started has ended with this exit status (a
    // death by a signal counts as a failure too).
    enum class Ending {
        Normal,
        Failure,
    };
    void saver_ended(Ending, std::int64_t now);

    // Whether the saver is to start now. The caller starts it and then
    // calls saver_started.
    bool should_start(std::int64_t now) const;
    void saver_started();

    // When should_start may next turn true without any other event: the end
    // of the quiet wait after some activity that was not input. Nothing when
    // only an event can change it.
    std::optional<std::int64_t> deadline() const;

    State state() const { return m_state; }
    bool idle() const { return m_idle; }
    int failures_in_a_row() const { return m_failures; }
    std::int64_t wait_milliseconds() const { return m_wait; }

private:
    void quiet_from(std::int64_t now) { m_quiet_since = now; }
    bool conditions_hold() const;

    std::int64_t m_wait;
    std::int64_t m_quiet_since;
    State m_state { State::Waiting };
    bool m_idle { false };
    bool m_inhibited { false };
    bool m_locked { false };
    int m_failures { 0 };
};

char const* state_name(IdleWatch::State);

}
