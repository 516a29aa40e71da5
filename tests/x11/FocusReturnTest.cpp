// GoogleTest comes first: Xlib's headers define None and other plain words as macros.
#include <gtest/gtest.h>

#include "platform/x11/FocusReturn.h"

namespace qm::x11 {

namespace {

constexpr Window root = 0x100;
constexpr Window saver = 0x400001;
constexpr Window terminal = 0x600007;

constexpr KeyboardFocus on_saver { saver, RevertToNone };
constexpr FocusReturn leave_alone {};

FocusReturn set(Window window, int revert_to) { return { FocusReturn::Action::Set, { window, revert_to } }; }

}

TEST(FocusReturn, TheFocusFoundGoesBackAndNeverToTheRoot)
{
    struct Case {
        char const* what;
        KeyboardFocus found;
        bool viewable;
        FocusReturn expected;
    };
    Case const cases[] = {
        { "a window still shown, with its own way of reverting", { terminal, RevertToParent }, true, set(terminal, RevertToParent) },
        { "a window still shown that reverts to the pointer", { terminal, RevertToPointerRoot }, true, set(terminal, RevertToPointerRoot) },
        { "a window that has gone or is hidden", { terminal, RevertToParent }, false, set(None, RevertToNone) },
        { "focus that followed the pointer", { PointerRoot, RevertToPointerRoot }, false, set(PointerRoot, RevertToPointerRoot) },
        { "the root window itself", { root, RevertToParent }, true, set(PointerRoot, RevertToPointerRoot) },
        { "no focus at all", { None, RevertToNone }, false, set(None, RevertToNone) },
        { "the saver's own window", { saver, RevertToParent }, true, set(None, RevertToNone) },
    };
    for (Case const& test : cases) {
        FocusReturn const decision = focus_to_return(test.found, on_saver, saver, root, test.viewable);
        EXPECT_EQ(decision, test.expected) << test.what;
        EXPECT_NE(decision.focus.window, root) << test.what;
    }
}

TEST(FocusReturn, FocusMovedByAnotherClientWhileTheSaverRanIsLeftAlone)
{
    // A window manager that focused another window (say, after the one found
    // closed) is not overruled, whatever was found.
    for (KeyboardFocus const now : { KeyboardFocus { 0x700003, RevertToParent }, KeyboardFocus { PointerRoot, RevertToPointerRoot }, KeyboardFocus { root, RevertToParent } })
        EXPECT_EQ(focus_to_return({ terminal, RevertToParent }, now, saver, root, true), leave_alone);
}

}
