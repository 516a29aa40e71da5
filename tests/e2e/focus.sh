#!/usr/bin/env bash
# The keyboard focus goes back to the window that held it before the saver,
# however the saver ends (a key, a movement, a click, a signal); where that
# window has gone, it goes to a window that remains, and it is never left on
# None, where typed keys would be lost.
source "$(dirname "$0")/lib.sh"
start_display

# A window of the test's own takes the focus and keeps it until killed.
$X11 focused >"$WORK/focused" &
HELPER_PID=$!
wait_until 5 test -s "$WORK/focused"
own=$(head -n 1 "$WORK/focused")
[ "$($X11 focus)" = "$own" ] && pass "the test's window holds the focus" || fail "the test's window does not hold the focus: $($X11 focus)"

focus_back() {
    local now
    now=$($X11 focus)
    [ "$now" = "$1" ] && pass "$2: the focus is back on $1" || fail "$2: the focus is on $now, not $1"
}

for ending in key move click signal; do
    start_saver
    case $ending in
    key) press_key Escape ;;
    move)
        find_bare_point || fail "the logo was not found"
        xdotool mousemove "$BARE_X" "$BARE_Y"
        sleep 0.05
        xdotool mousemove $((BARE_X + 10)) $((BARE_Y + 3))
        ;;
    click)
        find_bare_point || fail "the logo was not found"
        xdotool mousemove "$BARE_X" "$BARE_Y" click 1
        ;;
    signal) kill -TERM "$SAVER_PID" ;;
    esac
    if ends_within 1; then focus_back "$own" "ended by $ending"; else fail "$ending did not end it"; stop_saver; fi
done

# The window that held the focus goes while the saver runs. Keys must then
# reach a window that remains, never None: a stand-in for the window manager
# publishes on the root what it would, and the focus goes to the window it
# names active, else to its topmost window that shows, else to the pointer.
kill "$HELPER_PID"
wait "$HELPER_PID" 2>/dev/null
$X11 shown >"$WORK/editor" &
EDITOR_PID=$!
$X11 shown >"$WORK/browser" &
BROWSER_PID=$!
wait_until 5 test -s "$WORK/editor" -a -s "$WORK/browser"
editor=$(head -n 1 "$WORK/editor")
browser=$(head -n 1 "$WORK/browser")

# Starts the saver over a newly focused window of the test's own, listed
# topmost and active by the stand-in, and closes that window while it runs;
# CLOSED names it.
close_focused_under_saver() {
    : >"$WORK/closing"
    $X11 focused >"$WORK/closing" &
    HELPER_PID=$!
    wait_until 5 test -s "$WORK/closing"
    CLOSED=$(head -n 1 "$WORK/closing")
    $X11 window-manager "$CLOSED" "$editor" "$browser" "$CLOSED"
    start_saver
    kill "$HELPER_PID"
    wait "$HELPER_PID" 2>/dev/null
    HELPER_PID=""
    sleep "$(scaled 0.2)"
}

# Ends the saver with Escape and checks the focus is on $1.
focus_after_escape() {
    press_key Escape
    if ! ends_within 1; then
        fail "$2: Escape did not end it"
        stop_saver
        return
    fi
    local now
    now=$($X11 focus)
    [ "$now" = "$1" ] && pass "$2: the focus is on $1" || fail "$2: the focus is on $now, not $1"
}

close_focused_under_saver
$X11 window-manager "$editor" "$editor" "$browser"
focus_after_escape "$editor" "the window went, the window manager made another active"
close_focused_under_saver
# The window manager has not noticed yet: the active window is the one that went.
$X11 window-manager "$CLOSED" "$editor" "$browser"
focus_after_escape "$browser" "the window went, the active one too"
close_focused_under_saver
$X11 window-manager "$CLOSED" "$editor" "$browser"
$X11 unmap "$browser"
focus_after_escape "$editor" "the window went and the topmost other is hidden"
close_focused_under_saver
$X11 window-manager 0
focus_after_escape PointerRoot "the window went without a window manager: keys follow the pointer, not None"
kill "$EDITOR_PID" "$BROWSER_PID"
wait "$EDITOR_PID" "$BROWSER_PID" 2>/dev/null

# Focus that followed the pointer, as on a bare server, follows it again.
$X11 focus-to pointer-root
start_saver
press_key Escape
if ends_within 1; then focus_back PointerRoot "focus that followed the pointer"; else fail "Escape did not end it"; stop_saver; fi

# Another client takes the focus while the saver runs, as a compositor does
# under Xwayland when one of its own windows takes the keyboard. The saver
# takes it back; where the other client keeps it, the saver ends with status
# 0 rather than cover a window that receives the keys unseen.
start_saver
saver_window=$(xwininfo -root -children | awk '/"Screen saver"/ { print $1; exit }')
: >"$WORK/taker"
$X11 focused >"$WORK/taker" &
HELPER_PID=$!
wait_until 5 test -s "$WORK/taker"
sleep "$(scaled 0.5)"
if running; then
    now=$($X11 focus)
    [ "$now" = "$saver_window" ] && pass "a focus taken once comes back to the saver" || fail "a focus taken once stays on $now"
    press_key Escape
    expect_end 1 0 "a key ends it after that"
else
    fail "a focus taken once ended the saver"
fi
kill "$HELPER_PID"
wait "$HELPER_PID" 2>/dev/null
start_saver
: >"$WORK/taker"
$X11 keep-focus >"$WORK/taker" &
HELPER_PID=$!
wait_until 5 test -s "$WORK/taker"
expect_end 1 0 "a client that keeps the focus ends the saver with status 0"
kill "$HELPER_PID"
wait "$HELPER_PID" 2>/dev/null
HELPER_PID=""
finish
