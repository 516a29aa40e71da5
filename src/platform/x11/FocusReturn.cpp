#include "platform/x11/FocusReturn.h"

#include <ranges>

namespace qm::x11 {

FocusReturn focus_to_return(KeyboardFocus found, KeyboardFocus now, Window saver_window, Window root, WindowManagerWindows const& window_manager,
    std::function<bool(Window)> const& viewable)
{
    // A window manager (or a program) that moved the focus meanwhile knows
    // better than a record taken before the saver started.
    if (now.window != saver_window)
        return {};
    FocusReturn const to_pointer { FocusReturn::Action::Set, { PointerRoot, RevertToPointerRoot } };
    if (found.window == PointerRoot || found.window == root)
        return to_pointer;
    auto const can_take_focus = [&](Window window) {
        return window != None && window != PointerRoot && window != root && window != saver_window && viewable(window);
    };
    // The window keeps the mode of reverting its owner chose with it.
    if (can_take_focus(found.window))
        return { FocusReturn::Action::Set, found };
    // A window chosen here reverts to the pointer should it go too.
    if (can_take_focus(window_manager.active))
        return { FocusReturn::Action::Set, { window_manager.active, RevertToPointerRoot } };
    for (Window window : std::views::reverse(window_manager.stacking)) {
        if (can_take_focus(window))
            return { FocusReturn::Action::Set, { window, RevertToPointerRoot } };
    }
    return to_pointer;
}

}
