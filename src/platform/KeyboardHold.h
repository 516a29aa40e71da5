#pragma once

#include <cstdint>
#include <optional>

namespace qm {

// Decides what a front end does when another program takes the keyboard
// while the saver covers the screen: it asks for the keyboard back once, at
// once, and when the keyboard has not come back within a quarter of a
// second, the saver must end, so that no key the user types lands unseen in
// a program the saver hides. Nothing counts as lost before the keyboard has
// once arrived: while the saver starts, the compositor or server may not
// have given it yet, unless the front end expects it by a time of its own
// (a window the compositor maps like any other, which may never be given
// the keyboard: keys would go on reaching the window under it). Times are
// the front end's, in milliseconds.
class KeyboardHold {
public:
    static constexpr std::int64_t grace_milliseconds = 250;

    // The keyboard must have come by `by`, or the saver ends then. Used
    // where the keyboard is not given with the surface; a later call (a
    // keyboard plugged into the seat) sets a new time.
    void expect_arrival(std::int64_t by);
    // The keyboard came to one of the saver's surfaces or windows.
    void arrived();
    // The keyboard went to something that is not the saver's, at `now`. A
    // second loss before the keyboard comes back changes nothing.
    void lost(std::int64_t now);

    // The seat has no keyboard any more (its last one was unplugged): no
    // key can reach anybody, so nothing is lost or expected; a keyboard
    // that comes later starts afresh.
    void gone();

    // True once after each loss: the front end asks for the keyboard back now.
    bool take_reclaim();
    // When the saver must end unless the keyboard is back (or has arrived);
    // none while the keyboard is held, or has not arrived and is expected
    // at no particular time.
    std::optional<std::int64_t> deadline() const;
    // Whether the keyboard stayed away for the whole grace by `now`.
    bool expired(std::int64_t now) const;

    bool held() const { return m_state == State::Held; }

private:
    enum class State {
        NotYet,
        Held,
        Lost,
    };

    State m_state { State::NotYet };
    std::int64_t m_lost_at { 0 };
    std::optional<std::int64_t> m_arrival_due;
    bool m_reclaim_owed { false };
};

}
