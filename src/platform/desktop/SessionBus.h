#pragma once

#include "platform/desktop/idle/InhibitorBook.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <poll.h>

namespace qm::desktop {

// What the buses tell the watcher.
class BusListener {
public:
    virtual ~BusListener() = default;
    // The set of holds (ours, or the desktop's own) has changed.
    virtual void inhibitors_changed() = 0;
    virtual void activity_simulated() = 0;
    // Whether the watcher's saver runs now, for GetActive.
    virtual bool saver_active() const = 0;
    // The desktop's own locker came on or went off.
    virtual void locked_changed() = 0;
};

// The watcher's side of D-Bus, through sd-bus. On the session bus it offers
// org.freedesktop.ScreenSaver where nobody else does (plain X11 window
// managers, sway): the Inhibit calls of video players and browsers land in
// the inhibitor book, and a caller that leaves the bus loses its holds.
// Where the desktop owns that name (GNOME, KDE) it follows the desktop's
// locker through its ActiveChanged signal, and on GNOME the session
// manager's idle inhibit flag, which that desktop's own Inhibit calls set.
// On the system bus it follows logind's LockedHint of this session.
class SessionBus {
public:
    // Nothing when there is no session bus; `problem` says why.
    static std::unique_ptr<SessionBus> open(idle::InhibitorBook&, BusListener&, std::string& problem);
    ~SessionBus();

    SessionBus(SessionBus const&) = delete;
    SessionBus& operator=(SessionBus const&) = delete;

    // The descriptors to poll and the earliest time, in microseconds of
    // CLOCK_MONOTONIC, at which the buses want to be processed regardless.
    std::vector<pollfd> descriptors() const;
    std::optional<std::uint64_t> deadline_microseconds() const;

    // Handles everything that has arrived. False when the session bus has
    // gone (the session has ended).
    bool process();

    // Whether the watcher serves org.freedesktop.ScreenSaver itself.
    bool owns_screensaver_name() const;
    // Whether the desktop says its idle is inhibited (GNOME's session manager).
    bool desktop_inhibited() const;
    // Whether the desktop's locker or logind says the session is locked.
    bool locked() const;

    // Tells ScreenSaver listeners that the saver has started or ended.
    void announce_active(bool active);

    // Whether a GNOME idle monitor is on the bus.
    bool has_mutter_idle_monitor();

    // What --status says about the buses: one line per fact.
    std::string describe() const;

    struct State;

private:
    explicit SessionBus(std::unique_ptr<State>);
    std::unique_ptr<State> m_state;
};

}
