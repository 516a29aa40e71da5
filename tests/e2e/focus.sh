#!/usr/bin/env bash
# The keyboard focus goes back to the window that held it before the saver,
# however the saver ends (a key, a movement, a click, a signal); where that
# window has gone, or nothing held it, the focus is not left on the root
# window, where keys would go to whatever lies under the pointer.
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

# The window that held the focus goes while the saver runs.
start_saver
kill "$HELPER_PID"
wait "$HELPER_PID" 2>/dev/null
HELPER_PID=""
sleep "$(scaled 0.2)"
press_key Escape
if ends_within 1; then
    now=$($X11 focus)
    [ "$now" = None ] && pass "the window went: keys go nowhere, not to the root" || fail "the window went: the focus is on $now"
else
    fail "Escape did not end it"
    stop_saver
fi

# Focus that followed the pointer, as on a bare server, follows it again.
$X11 focus-to pointer-root
start_saver
press_key Escape
if ends_within 1; then focus_back PointerRoot "focus that followed the pointer"; else fail "Escape did not end it"; stop_saver; fi
finish
