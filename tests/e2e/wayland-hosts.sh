#!/usr/bin/env bash
# How the saver is started where it cannot use the layer shell, and on sway.
# On a compositor without the layer shell (weston) it covers the output with
# a fullscreen window, exactly, and warns in one line, even with an X display
# at hand; forced onto X11 it runs there. On sway, /c shows its box natively,
# a second copy ends at once even when forced onto X11, and swayidle starts
# it after the idle time.
source "$(dirname "$0")/wayland-lib.sh"

start_weston
plain=("${SESSION[@]}")
# Covers the one output exactly: only a box of 284 x 325 pixels shows.
covered_exactly() { locate_box && [ "$(stray_pixels)" = 0 ] && box_edges_clean; }
for forced in "" wayland; do
    SESSION=("${plain[@]}" ${forced:+QUILVENMOOR_PLATFORM=$forced})
    start_wayland_saver
    if wait_until 10 covered_exactly; then
        pass "without the layer shell${forced:+ (forced to $forced)} it covers the output natively with the box exact"
    else
        fail "without the layer shell${forced:+ (forced to $forced)} it did not cover exactly: $(cat "$WORK/saver.out")"
    fi
    [ "$(wc -l <"$WORK/saver.out")" = 1 ] && grep -q "layer shell.*fullscreen window.*takes the keyboard" "$WORK/saver.out" &&
        pass "its warning is one line on the fullscreen window and the keyboard" || fail "its warning was not one such line: $(cat "$WORK/saver.out")"
    running && kill -TERM "$SAVER_PID"
    expect_end 1 0 "SIGTERM ends it with status 0"
done

# With an X display (weston's Xwayland or another) the native windows still come first.
start_display
SESSION=("${plain[@]}" DISPLAY="$DISPLAY")
start_wayland_saver
if wait_until 10 covered_exactly && ! has_window "Screen saver"; then
    pass "with an X display at hand it still runs natively"
else
    fail "with an X display at hand it did not run natively: $(cat "$WORK/saver.out")"
fi
stop_saver
SESSION=("${plain[@]}" DISPLAY="$DISPLAY" QUILVENMOOR_PLATFORM=x11)
start_wayland_saver
if window_within "Screen saver" 5; then
    pass "QUILVENMOOR_PLATFORM=x11 runs it on the X display"
    xdotool key x
    expect_end 1 0 "a key ends it there with status 0"
else
    fail "forced onto X11 it did not run there: $(cat "$WORK/saver.out")"
    stop_saver
fi
stop_process weston
SHOOTER=grim
SESSION=("${plain[@]}")

start_sway
session_set DISPLAY="$DISPLAY"
# The information box is a window of the compositor's own, closed by Return.
information_box() { as_user swaymsg -t get_tree | grep -q '"name": "S C R E E N   S A V E R"'; }
start_wayland_saver /c
if wait_until 5 information_box; then
    pass "/c shows the information box as a window of the compositor"
    press_key Return
    expect_end 1 0 "Return closes it with status 0"
else
    fail "/c showed no box: $(cat "$WORK/saver.out")"
    stop_saver
fi

# One copy at a time in a session, whichever front end a copy would use.
start_saver_shown
first=$SAVER_PID
session_set QUILVENMOOR_PLATFORM=x11
start_wayland_saver
expect_end 2 0 "a second copy, forced onto X11, ends at once"
session_set QUILVENMOOR_PLATFORM
SAVER_PID=$first
running && pass "the first copy keeps running" || fail "the first copy ended"
stop_saver
stop_display

# swayidle runs the command through sh, which records its pid and becomes the saver.
spawn idle swayidle -w timeout 2 "echo \$\$ >$WORK/idle-saver.pid; exec $SAVER /S >$WORK/idle-saver.out 2>&1" 2>"$WORK/swayidle.log"
wait_until 8 test -s "$WORK/idle-saver.pid" && SAVER_PID=$(cat "$WORK/idle-saver.pid")
if [ -n "$SAVER_PID" ] && locate_box; then
    pass "swayidle starts it after the idle time"
    press_key x
    wait_until 1 not running && pass "a key ends it" || fail "a key did not end the saver swayidle started"
else
    fail "swayidle did not start it"
fi
SAVER_PID=""
finish
