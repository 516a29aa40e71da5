#!/usr/bin/env bash
# The process around the saver: started with standard output and error
# closed, it still runs and ends normally (nothing of its own lands in the X
# connection); with the X server stopped, SIGTERM and SIGINT still end it at once.
source "$(dirname "$0")/lib.sh"
start_display

# Closed descriptors, with the tick trace on so that the saver writes to standard error.
QUILVENMOOR_TICK_TRACE=1 $LAUNCH /S >&- 2>&- &
SAVER_PID=$!
window_within "Screen saver" 10 && pass "started with standard output and error closed" || fail "no window with closed descriptors"
sleep 1.5
running && pass "it runs with the tick trace going nowhere" || fail "it ended"
xdotool key x
expect_end 2 0 "a key ends it cleanly (the connection is not hung)"

# A frozen server: the saver blocks in Xlib sooner or later; signals end it all the same.
for signal in TERM INT; do
    start_saver
    kill -STOP "$XVFB_PID"
    sleep 0.5
    started=$(date +%s%N)
    kill -s "$signal" "$SAVER_PID"
    if ends_within 2; then
        took=$((($(date +%s%N) - started) / 1000000))
        # Within 100 ms on an idle machine; more room here for a loaded one.
        [ "$took" -le "$(scaled 500 | cut -d. -f1)" ] && pass "SIG$signal ends it with the server frozen, after $took ms" || fail "SIG$signal took $took ms"
    else
        fail "SIG$signal did not end it with the server frozen"
        kill -9 "$SAVER_PID" 2>/dev/null
    fi
    kill -CONT "$XVFB_PID"
    SAVER_PID=""
    sleep 0.3
done
finish
