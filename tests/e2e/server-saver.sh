#!/usr/bin/env bash
# Started when the X server's own screen saver has come on (as an idle timer
# with `xset s` starts it), the saver ends the server's saver once so that the
# logo shows; it inhibits nothing, so the server's saver comes on again after
# its timeout while the logo still plays.
source "$(dirname "$0")/lib.sh"
start_display
timeout=3
xset s "$timeout" "$timeout"

# Waits up to $2 seconds for the server's saver state to be $1.
state_within() { wait_until "$2" state_is "$1"; }
state_is() {
    STATE=$($X11 saver-state)
    [ "$STATE" = "$1" ]
}

state_within on $((timeout + 2)) && pass "the server's saver is on before the start" || fail "the server's saver is $STATE before the start"
start_saver_window
state_within off 1 && pass "the server's saver is off within a second of the start" || fail "the server's saver is still $STATE after the start"
state_within on $((timeout + 2)) && pass "the server's saver comes on again while the logo plays" || fail "the server's saver stayed $STATE"
running && pass "the saver still runs" || fail "the saver ended"
stop_saver

# Started while the server's saver is off, it leaves that saver's timer
# alone: the saver comes on when due, not a whole timeout after the start.
xset s reset
sleep 2
start_saver_window
state_within on 1.8 && pass "the server's saver comes on when due from before the start" || fail "the server's saver stayed $STATE"
stop_saver
xset s off
finish
