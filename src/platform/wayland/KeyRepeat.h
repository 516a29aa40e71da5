#pragma once

#include <cstdint>
#include <optional>

namespace qm::wayland {

// Whether the keymap repeats a key (modifiers and locks do not).
enum class Repetition {
    Repeats,
    Single,
};

// The keyboard's bookkeeping that a Wayland client does itself: the
// compositor sends each press and release once, and the client repeats a
// held key at the rate and after the delay the compositor announces. Keys
// already held when the keyboard arrives belong to whatever happened before
// (the shortcut that started the saver): their release and their repeat are
// ignored. Times are milliseconds on the monotonic clock.
class KeyRepeat {
public:
    // Characters per second and the delay before the first repeat; a rate
    // of zero turns repeating off.
    void set_rate(int rate, int delay);

    // The keyboard arrived or went elsewhere: nothing repeats.
    void reset();

    // A key that repeats starts repeating from `now`; any other press
    // stops the repeat, as on every desktop.
    void press(std::uint32_t key, Repetition, std::int64_t now);
    void release(std::uint32_t key);

    // When the held key repeats next.
    std::optional<std::int64_t> next_due() const;
    // The key to deliver again at `now`, if its repeat is due; one repeat per
    // call, however late the call, so a stalled loop sends no burst.
    std::optional<std::uint32_t> take_due(std::int64_t now);

private:
    int m_interval { 40 };
    int m_delay { 600 };
    bool m_enabled { true };
    std::optional<std::uint32_t> m_repeating;
    std::int64_t m_due { 0 };
};

}
