#!/usr/bin/env bash
# The saver on GNOME's compositor (mutter, headless), which offers no layer
# shell: it covers the monitor with a fullscreen window even with an X
# display at hand, keeps the steering keys from the terminal underneath,
# ends on a dismissing key, on SIGTERM and when a new window takes the
# keyboard (nothing typed reaches a window hidden under it), and afterwards
# the terminal has the keyboard again.
source "$(dirname "$0")/wayland-lib.sh"

# Keys go by their evdev codes.
KEY_A=30 KEY_S=31 KEY_X=45 KEY_Z=44 KEY_Q=16 KEY_SPACE=57 KEY_LEFT=105
keys() { mutter_command key "$@"; }

start_mutter
session_set "${MUTTER_X[@]}"
# A terminal underneath; whatever it gets is appended to $WORK/typed.
: >"$WORK/typed"
chown --reference="$WORK" "$WORK/typed"
spawn foot foot --app-id=underneath sh -c 'stty -icanon -echo && exec cat >>"$0"' "$WORK/typed" >"$WORK/foot.log" 2>&1
typed() { grep -q "$1" "$2"; }
# The terminal shows and takes keys.
terminal_ready() { keys "$KEY_A" && wait_until 1 typed a "$WORK/typed"; }
wait_until 20 terminal_ready || { cat "$WORK/mutter.out" "$WORK/foot.log"; abort "the terminal underneath did not get keys"; }
: >"$WORK/typed"

start_wayland_saver
if wait_until 10 covered_exactly; then
    pass "it covers the monitor with the box exact"
else
    fail "it did not cover the monitor exactly: $(cat "$WORK/saver.out")"
fi
[ "$(wc -l <"$WORK/saver.out")" = 1 ] && grep -q "fullscreen window" "$WORK/saver.out" &&
    pass "with DISPLAY set it chooses the native fullscreen window and says so in one line" ||
    fail "it did not say in one line that it runs as a fullscreen window: $(cat "$WORK/saver.out")"

keys "$KEY_A" "$KEY_S" "$KEY_SPACE" "$KEY_LEFT"
sleep 0.5
running && pass "steering keys keep it running" || fail "a steering key ended it"
[ -s "$WORK/typed" ] && fail "the terminal got keys: $(cat "$WORK/typed")" || pass "the terminal got no key"
keys "$KEY_X"
expect_end 1 0 "a dismissing key ends it with status 0"
keys "$KEY_Z"
wait_until 2 typed z "$WORK/typed" && pass "afterwards the terminal has the keyboard again" ||
    fail "afterwards the terminal did not get the keyboard back: $(cat "$WORK/typed")"

# A window that opens over the saver takes the keyboard: the saver ends
# rather than cover a window that gets what the user types.
start_wayland_saver
wait_until 10 covered_exactly || fail "the second run did not cover the monitor"
: >"$WORK/opened"
chown --reference="$WORK" "$WORK/opened"
printf '#!/bin/sh\nstty -icanon -echo\nexec cat >>%s\n' "$WORK/opened" >"$WORK/opened.sh"
chmod 755 "$WORK/opened.sh"
spawn opened weston-terminal --shell="$WORK/opened.sh" >"$WORK/weston-terminal.log" 2>&1
if ends_within 10; then
    [ "$EXIT_STATUS" = 0 ] && pass "a window that opens ends it with status 0" || fail "a window that opened ended it with status $EXIT_STATUS"
    opened_ready() { keys "$KEY_Q" && wait_until 1 typed q "$WORK/opened"; }
    wait_until 10 opened_ready && pass "the new window has the keyboard once the saver has gone" ||
        fail "the new window did not get the keys"
else
    fail "a window that opened took the keyboard and the saver kept covering it"
    stop_saver
fi
stop_process opened
: >"$WORK/typed"
wait_until 10 terminal_ready && pass "with that window closed the terminal has the keyboard again" ||
    fail "with that window closed the terminal did not get the keyboard back"

start_wayland_saver
wait_until 10 covered_exactly || fail "the third run did not cover the monitor"
kill -TERM "$SAVER_PID"
expect_end 1 0 "SIGTERM ends it with status 0"
finish
