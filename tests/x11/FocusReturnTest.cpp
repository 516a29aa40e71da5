// GoogleTest comes first: Xlib's headers define None and other plain words as macros.
#include <gtest/gtest.h>

#include "platform/x11/FocusReturn.h"

#include <algorithm>
#include <vector>

namespace qm::x11 {

namespace {

constexpr Window root = 0x100;
constexpr Window saver = 0x400001;
constexpr Window terminal = 0x600007;
constexpr Window editor = 0x800003;
constexpr Window browser = 0xa00005;
constexpr Window minimised = 0xc00009;

constexpr KeyboardFocus on_saver { saver, RevertToNone };
constexpr FocusReturn leave_alone {};

FocusReturn set(Window window, int revert_to) { return { FocusReturn::Action::Set, { window, revert_to } }; }

// The windows that show; every other one is hidden or has gone.
std::function<bool(Window)> showing(std::vector<Window> windows)
{
    return [windows = std::move(windows)](Window window) { return std::ranges::find(windows, window) != windows.end(); };
}

}

TEST(FocusReturn, TheFocusFoundGoesBackAndNeverToTheRootOrNone)
{
    // No window manager: nothing to fall back on but the pointer.
    struct Case {
        char const* what;
        KeyboardFocus found;
        bool shown;
        FocusReturn expected;
    };
    Case const cases[] = {
        { "a window still shown, with its own way of reverting", { terminal, RevertToParent }, true, set(terminal, RevertToParent) },
        { "a window still shown that reverts to the pointer", { terminal, RevertToPointerRoot }, true, set(terminal, RevertToPointerRoot) },
        { "a window that has gone or is hidden", { terminal, RevertToParent }, false, set(PointerRoot, RevertToPointerRoot) },
        { "focus that followed the pointer", { PointerRoot, RevertToPointerRoot }, false, set(PointerRoot, RevertToPointerRoot) },
        { "the root window itself", { root, RevertToParent }, true, set(PointerRoot, RevertToPointerRoot) },
        { "no focus at all", { None, RevertToNone }, false, set(PointerRoot, RevertToPointerRoot) },
        { "the saver's own window", { saver, RevertToParent }, true, set(PointerRoot, RevertToPointerRoot) },
    };
    for (Case const& test : cases) {
        auto const viewable = showing(test.shown ? std::vector { test.found.window, root, saver } : std::vector { root, saver });
        FocusReturn const decision = focus_to_return(test.found, on_saver, saver, root, {}, viewable);
        EXPECT_EQ(decision, test.expected) << test.what;
        EXPECT_NE(decision.focus.window, root) << test.what;
        EXPECT_NE(decision.focus.window, None) << test.what;
    }
}

TEST(FocusReturn, WhereTheWindowFoundHasGoneTheWindowManagersWindowsTakeIt)
{
    KeyboardFocus const found { terminal, RevertToParent };
    auto const decide = [&](WindowManagerWindows const& window_manager, std::vector<Window> shown) {
        return focus_to_return(found, on_saver, saver, root, window_manager, showing(std::move(shown)));
    };
    EXPECT_EQ(decide({ editor, { editor, terminal } }, { terminal, editor }), set(terminal, RevertToParent))
        << "the window found still shows: the active window does not overrule it";
    EXPECT_EQ(decide({ editor, { editor, browser } }, { editor, browser }), set(editor, RevertToPointerRoot)) << "the active window shows";
    EXPECT_EQ(decide({ terminal, { editor, browser } }, { editor, browser }), set(browser, RevertToPointerRoot))
        << "the active window is still the one that went";
    EXPECT_EQ(decide({ None, { editor, browser, minimised } }, { editor, browser }), set(browser, RevertToPointerRoot))
        << "no active window: the topmost window that shows";
    EXPECT_EQ(decide({ minimised, { browser, editor, minimised } }, { browser, editor }), set(editor, RevertToPointerRoot)) << "a hidden active window";
    EXPECT_EQ(decide({ saver, { editor, root, saver } }, { editor, root, saver }), set(editor, RevertToPointerRoot))
        << "the saver and the root in the lists are passed over";
    EXPECT_EQ(decide({ minimised, { minimised, terminal } }, {}), set(PointerRoot, RevertToPointerRoot)) << "nothing of the window manager's shows";
    EXPECT_EQ(decide({ None, {} }, { editor }), set(PointerRoot, RevertToPointerRoot)) << "the window manager names none";

    // No focus before the saver counts as a window gone.
    EXPECT_EQ(focus_to_return({ None, RevertToNone }, on_saver, saver, root, { editor, {} }, showing({ editor })), set(editor, RevertToPointerRoot));
}

TEST(FocusReturn, FocusMovedByAnotherClientWhileTheSaverRanIsLeftAlone)
{
    // A window manager that focused another window (say, after the one found
    // closed) is not overruled, whatever was found.
    for (KeyboardFocus const now : { KeyboardFocus { 0x700003, RevertToParent }, KeyboardFocus { PointerRoot, RevertToPointerRoot }, KeyboardFocus { root, RevertToParent } })
        EXPECT_EQ(focus_to_return({ terminal, RevertToParent }, now, saver, root, { editor, { editor } }, showing({ editor, terminal })), leave_alone);
}

}
