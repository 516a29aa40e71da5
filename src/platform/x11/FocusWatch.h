#pragma once

#include <cstdint>
#include <optional>

namespace qm::x11 {

// Decides when the saver must end because another client has taken the
// keyboard focus from it: under Xwayland the compositor moves the X focus
// away when one of its own windows takes the keyboard, and every key then
// reaches that window, unseen behind the saver. On a loss the saver takes
// the focus back once; if another client still holds the focus a quarter of
// a second after the loss, it ends. A loss counts only once the saver has
// held the focus: while it starts, the focus is still where the user left
// it. A focus on no window is no loss: some compositors keep the X focus on
// None while their keyboard focus, and with it every key, is on the saver.
// Time is the loop's, in milliseconds; the watch never reads a clock.
class FocusWatch {
public:
    static constexpr std::int64_t take_back_milliseconds = 250;

    enum class Holder {
        Saver, // one of the saver's windows
        Other, // another client's window
        Nobody, // None, the window under the pointer, or the root window
    };
    enum class Action {
        Nothing,
        TakeBack, // set the focus and grab the keyboard again
        End,
    };

    // Reports who holds the focus at `now`, after a change of the focus.
    Action observe(Holder, std::int64_t now);
    // Asked on every turn of the loop: End once a loss has lasted the whole
    // quarter of a second.
    Action check(std::int64_t now);
    // When check() must next be asked, while a loss is being waited out.
    std::optional<std::int64_t> deadline() const;

private:
    bool m_held { false };
    Holder m_holder { Holder::Other };
    // When the focus went, while the saver waits to see it back.
    std::optional<std::int64_t> m_lost_at;
};

}
