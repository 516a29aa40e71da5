#!/usr/bin/env bash
# The module in windows it does not own and in its own: the command line,
# a 400x300 window where the box overhangs, the play area following a resize,
# the window's attributes left as found, SIGTERM and SIGINT, a destroyed
# window and a lost display, and its own window closed by the user.
# LAUNCH is the module. How fast a signal ends it is a figure of `make bench`.
source "$(dirname "$0")/lib.sh"
MODULE=$LAUNCH

# The command line, without a display.
usage=$(DISPLAY= "$MODULE" --help)
[ $? = 0 ] && echo "$usage" | grep -q -- "--window-id" && pass "--help prints the usage" || fail "--help: $usage"
for bad in --bogus "-window-id 0" "--window-id 12abc" "/S"; do
    # shellcheck disable=SC2086 # the words of $bad are separate arguments
    message=$(DISPLAY= "$MODULE" $bad 2>&1 >/dev/null)
    status=$?
    if [ "$status" = 2 ] && [ "$(echo "$message" | wc -l)" = 1 ] && [ -n "$message" ]; then pass "'$bad': status 2 and one line: $message"; else fail "'$bad': status $status, message '$message'"; fi
done

start_display

# A window of the test's own, dark blue, for the module to draw into.
start_target() {
    coproc TARGET { $X11 target "$@"; }
    read -r TARGET_ID <&"${TARGET[0]}"
}
target() {
    echo "$*" >&"${TARGET[1]}"
    read -r TARGET_ANSWER <&"${TARGET[0]}"
}
shot_of() { import -window "$1" -depth 8 "png:$2"; }
count() { "$FRAMECHECK" count "$1" "$2" | cut -d' ' -f1; }

# One line on standard error and nothing else (the tick trace is not set here).
one_line() { [ "$(wc -l <"$WORK/saver.out")" = 1 ]; }

start_target
target attributes
attributes_before=$TARGET_ANSWER
launch -window-id "$TARGET_ID"
sleep 1
shot_of "$TARGET_ID" "$WORK/small.png"
running && pass "it runs in a 400x300 window" || fail "it ended in a 400x300 window: $(cat "$WORK/saver.out")"
blue=$(count "$WORK/small.png" 000080)
black=$(count "$WORK/small.png" 000000)
# The box (284x325) cannot fit; what shows of it is neither black nor the window's blue.
if [ "$blue" = 0 ] && [ "$black" -lt 120000 ] && [ "$black" -gt 0 ]; then
    pass "the overhanging box draws over a black play area ($((120000 - black)) pixels of box and banner)"
else
    fail "in the small window: $blue blue and $black black pixels of 120000"
fi
target attributes
[ "$TARGET_ANSWER" != "$attributes_before" ] || fail "the module did not listen to the window's size (no event mask of its own)"

# Grown to 1200x900: the new area belongs to the play area at once (an
# exposure of it is painted black, not left blue), and the box keeps going.
target resize 1200 900
sleep 0.6
shot_of "$TARGET_ID" "$WORK/large.png"
blue=$(count "$WORK/large.png" 000080)
black=$(count "$WORK/large.png" 000000)
if [ "$blue" = 0 ] && [ "$black" -gt 1000000 ] && [ "$black" -lt 1080000 ]; then
    pass "after the resize to 1200x900 the play area covers the whole window"
else
    fail "after the resize: $blue blue and $black black pixels of 1080000"
fi

# SIGTERM: status 0, nothing on standard error, the window as it was found.
kill -TERM "$SAVER_PID"
if ends_within 1; then pass "SIGTERM ends it"; else fail "SIGTERM did not end it"; stop_saver; fi
[ "${EXIT_STATUS:-}" = 0 ] && pass "status 0 after SIGTERM" || fail "status ${EXIT_STATUS:-none} after SIGTERM"
[ ! -s "$WORK/saver.out" ] && pass "no X errors and nothing else on standard error" || fail "output: $(head -3 "$WORK/saver.out")"
target attributes
[ "$TARGET_ANSWER" = "$attributes_before" ] && pass "the window's attributes and event masks are as before" || fail "attributes were: $attributes_before; now: $TARGET_ANSWER"

# SIGINT as well.
launch --window-id "$((TARGET_ID))"
sleep 0.5
kill -INT "$SAVER_PID"
expect_end 1 0 "SIGINT ends it with status 0 (decimal window id)"

# No instance lock: two copies at once, as a framework runs one per monitor
# (the second one on the root window, as --root does without a framework).
launch --window-id "$TARGET_ID"
first=$SAVER_PID
env -u XSCREENSAVER_WINDOW "$MODULE" -root 2>"$WORK/second.out" &
second=$!
sleep 1
if kill -0 "$first" 2>/dev/null && kill -0 "$second" 2>/dev/null; then pass "two copies run side by side"; else fail "two copies: one ended ($(cat "$WORK/saver.out" "$WORK/second.out"))"; fi
kill "$second" 2>/dev/null
wait "$second" 2>/dev/null

# Its window destroyed under it: one line, status 1, no flood.
target destroy
if expect_end 2 1 "a destroyed window ends it with status 1"; then
    one_line && grep -q "destroyed" "$WORK/saver.out" && pass "with one line: $(cat "$WORK/saver.out")" || fail "messages: $(head -5 "$WORK/saver.out")"
fi
target quit

# Its own window: titled Quilvenmoor, with its owner, class and icon; keys
# steer, closing it ends the program.
# A window of the test's own holds the focus; the module's window takes none.
$X11 focused >"$WORK/focused" &
HELPER_PID=$!
wait_until 5 test -s "$WORK/focused"
launch
if window_within "Quilvenmoor" 5; then
    pass "without options it opens a window of its own"
    focus=$($X11 focus)
    [ "$focus" = "$(head -n 1 "$WORK/focused")" ] && pass "its window leaves the focus where it was" || fail "the focus moved to $focus"
    kill "$HELPER_PID"
    HELPER_PID=""
    own=$(xwininfo -root -children | awk '/"Quilvenmoor"/ { print $1; exit }')
    # What a window manager and a task bar read: whose window it is, its class and its icon.
    properties=$(xprop -id "$own" -notype _NET_WM_PID WM_CLASS WM_CLIENT_MACHINE; xprop -id "$own" -notype -f _NET_WM_ICON 32c ' = $0, $1, $2\n' _NET_WM_ICON)
    echo "$properties" | grep -qx "_NET_WM_PID = $SAVER_PID" && pass "_NET_WM_PID names the module's process" || fail "properties: $properties"
    echo "$properties" | grep -qx 'WM_CLASS = "quilvenmoor-module", "Quilvenmoor"' && pass "WM_CLASS is quilvenmoor-module, Quilvenmoor" || fail "properties: $properties"
    echo "$properties" | grep -qx "WM_CLIENT_MACHINE = \"$(hostname)\"" && pass "WM_CLIENT_MACHINE names this machine" || fail "properties: $properties"
    # Width and height, then the pixels.
    echo "$properties" | grep -qE '^_NET_WM_ICON = 32, 32, [0-9]+$' && pass "_NET_WM_ICON holds a 32x32 icon" || fail "properties: $properties"
    xdotool windowfocus --sync "$own" 2>/dev/null
    press_key q
    press_key Up
    sleep 0.3
    running && pass "command keys steer it in its own window" || fail "a command key ended it: $(cat "$WORK/saver.out")"
    $X11 close "$own"
    if ends_within 1; then
        [ "$EXIT_STATUS" = 0 ] && [ ! -s "$WORK/saver.out" ] && pass "closing the window ends it quietly with status 0" || fail "closing: status $EXIT_STATUS, $(cat "$WORK/saver.out")"
    else
        fail "WM_DELETE_WINDOW did not end it"
        stop_saver
    fi
    launch --window
    window_within "Quilvenmoor" 5
    own=$(xwininfo -root -children | awk '/"Quilvenmoor"/ { print $1; exit }')
    xdotool windowfocus --sync "$own" 2>/dev/null
    press_key Escape
    ends_within 1 && [ "$EXIT_STATUS" = 0 ] && pass "--window: a dismissing key ends it with status 0" || { fail "Escape did not end --window"; stop_saver; }
else
    fail "no window of its own appeared: $(cat "$WORK/saver.out")"
    stop_saver
fi

# A window id that names nothing, and a lost display.
"$MODULE" --window-id 0x1ffffff >/dev/null 2>"$WORK/missing.out"
status=$?
[ "$status" = 1 ] && [ "$(wc -l <"$WORK/missing.out")" = 1 ] && pass "a missing window: status 1, $(cat "$WORK/missing.out")" || fail "a missing window: status $status, $(cat "$WORK/missing.out")"
launch --root
sleep 0.5
kill -9 "$XVFB_PID"
if ends_within 2; then
    [ "$EXIT_STATUS" = 1 ] && one_line && pass "a lost display: status 1, $(cat "$WORK/saver.out")" || fail "a lost display: status $EXIT_STATUS, $(head -3 "$WORK/saver.out")"
else
    fail "it kept running without its display"
    stop_saver
fi
XVFB_PID=""
finish
