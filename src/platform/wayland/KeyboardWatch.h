#pragma once

#include <cstdint>
#include <optional>

namespace qm::wayland {

// Whether the saver still holds the keyboard, where the compositor gives it
// to a window like any other and may take it away: when another window
// opens, or the user switches to one. A saver that keeps covering the screen
// while another program gets the keys lets the user type blind; so once the
// keyboard has been away from every saver surface for `return_limit`
// milliseconds, or has not arrived `arrival_limit` milliseconds after the
// surfaces showed, the saver is over. A seat without a keyboard gives it to
// nobody, so nothing is watched then. Times are milliseconds on the
// monotonic clock.
class KeyboardWatch {
public:
    KeyboardWatch(std::int64_t arrival_limit, std::int64_t return_limit);

    // The surfaces show from `now`; the keyboard, if the seat has one, is
    // due within the arrival limit.
    void start(std::int64_t now);
    // The seat gained or lost its keyboard.
    void seat_has_keyboard(bool, std::int64_t now);
    // wl_keyboard.enter and leave on one of the saver's surfaces. The
    // keyboard moving from one saver surface to another comes as a leave
    // followed by an enter, which cancels it.
    void entered();
    void left(std::int64_t now);

    // When the keyboard counts as lost if nothing changes before then.
    std::optional<std::int64_t> deadline() const;
    bool lost(std::int64_t now) const;

private:
    std::int64_t m_arrival_limit;
    std::int64_t m_return_limit;
    bool m_started { false };
    bool m_keyboard { false };
    bool m_held { false };
    bool m_ever_held { false };
    std::int64_t m_away_since { 0 };
};

}
