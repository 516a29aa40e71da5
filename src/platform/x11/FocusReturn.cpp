#include "platform/x11/FocusReturn.h"

namespace qm::x11 {

FocusReturn focus_to_return(KeyboardFocus found, KeyboardFocus now, Window saver_window, Window root, bool found_window_viewable)
{
    // A window manager (or a program) that moved the focus meanwhile knows
    // better than a record taken before the saver started.
    if (now.window != saver_window)
        return {};
    if (found.window == PointerRoot || found.window == root)
        return { FocusReturn::Action::Set, { PointerRoot, RevertToPointerRoot } };
    // The window keeps the mode of reverting its owner chose with it.
    if (found.window != None && found.window != saver_window && found_window_viewable)
        return { FocusReturn::Action::Set, found };
    return { FocusReturn::Action::Set, { None, RevertToNone } };
}

}
