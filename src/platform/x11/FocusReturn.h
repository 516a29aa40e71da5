#pragma once

#include <X11/X.h>

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

// Where the focus goes as the saver ends, given the focus found before the
// saver took it and the focus now. The focus found goes back if it can, so
// typed text reaches the window that had it. It never falls to the root
// window: with the root focused, keys go to whatever lies under the pointer,
// so a password typed after the saver could land in the wrong window. Where
// the window found has gone, keys go nowhere until the window manager or a
// click gives the focus to a window.
FocusReturn focus_to_return(KeyboardFocus found, KeyboardFocus now, Window saver_window, Window root, bool found_window_viewable);

}
