#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm::idle {

// The programs holding the screen awake through Inhibit, each hold known by
// the cookie handed back to its caller. A hold ends with UnInhibit from the
// same caller, or when the caller leaves the bus.
class InhibitorBook {
public:
    struct Inhibitor {
        std::uint32_t cookie;
        std::string caller; // the caller's unique bus name, ":1.42"
        std::string application;
        std::string reason;
    };

    // How many holds one caller may keep: a program that calls Inhibit in a
    // loop and never UnInhibit must not grow the watcher without end.
    static constexpr std::size_t holds_per_caller = 64;

    // A new hold and its cookie (never 0, never one in use); nothing when
    // the caller already keeps the most holds it may.
    std::optional<std::uint32_t> inhibit(std::string const& caller, std::string application, std::string reason);

    // Ends the caller's hold with this cookie. Whether there was one: a
    // cookie of another caller's hold is left alone.
    bool uninhibit(std::string const& caller, std::uint32_t cookie);

    // Ends every hold of a caller that has left the bus; how many ended.
    std::size_t caller_left(std::string const& caller);

    bool empty() const { return m_inhibitors.empty(); }
    std::vector<Inhibitor> const& inhibitors() const { return m_inhibitors; }

private:
    std::vector<Inhibitor> m_inhibitors;
    std::uint32_t m_last_cookie { 0 };
};

}
