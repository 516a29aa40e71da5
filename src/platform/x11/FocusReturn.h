#pragma once

#include <X11/X.h>

#include <functional>
#include <vector>

namespace qm::x11 {

// The keyboard focus as the server reports it: a window, PointerRoot (the
// window under the pointer) or None (keys go nowhere), and where it falls
// when that window goes.
struct KeyboardFocus {
    Window window { None };
    int revert_to { RevertToNone };

    bool operator==(KeyboardFocus const&) const = default;
};

// What becomes of the focus when the saver's window goes.
struct FocusReturn {
    enum class Action {
        LeaveAlone, // someone else moved it while the saver ran
        Set, // give it to `focus`
    };
    Action action { Action::LeaveAlone };
    KeyboardFocus focus;

    bool operator==(FocusReturn const&) const = default;
};

// What the window manager publishes on the root window about its windows:
// the one it made active (_NET_ACTIVE_WINDOW, None where it names none) and
// all of them from bottom to top (_NET_CLIENT_LIST_STACKING). Without a
// window manager both are empty.
struct WindowManagerWindows {
    Window active { None };
    std::vector<Window> stacking;
};

// Where the focus goes as the saver ends, given the focus found before the
// saver took it and the focus now. The focus found goes back if it can, so
// typed text reaches the window that had it. Where that window has gone or
// is hidden (or nothing had the focus), the focus goes where the window
// manager would have put it had the saver not held it: its active window,
// else its topmost window that shows. Some window managers never move the
// focus themselves once the saver gives it up, and keys sent to None are
// lost, so the last resort is the window under the pointer (PointerRoot),
// never None. The root window itself is never chosen either: PointerRoot
// says plainly what keys sent there would reach.
FocusReturn focus_to_return(KeyboardFocus found, KeyboardFocus now, Window saver_window, Window root, WindowManagerWindows const&,
    std::function<bool(Window)> const& viewable);

}
