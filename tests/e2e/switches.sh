#!/usr/bin/env bash
# How the start is decided: "/c" shows the information box and ends after OK
# without a saver window; anything but "/S" ends at once; a second copy ends at
# once and leaves the first one running.
source "$(dirname "$0")/lib.sh"
start_display

launch /c
if window_within "S C R E E N   S A V E R" 10; then pass "/c shows the information box"; else fail "/c showed no box"; fi
has_window "Screen saver" && fail "the saver window appeared" || pass "no saver window with the box"
xdotool key Return
if ends_within 3; then pass "OK ends the program (status $EXIT_STATUS)"; else fail "the program did not end after OK"; stop_saver; fi
has_window "Screen saver" && fail "the saver window appeared after OK" || pass "no saver window after OK"

for arguments in "/p 1234" "/s:1" "/c 5" "/S " ""; do
    if [ -n "$arguments" ]; then launch "$arguments"; else launch; fi
    if ends_within 3; then
        [ "$EXIT_STATUS" = 0 ] && pass "'$arguments' ends at once" || fail "'$arguments' ended with status $EXIT_STATUS"
    else
        fail "'$arguments' kept running"
        stop_saver
    fi
    has_window "Screen saver" && fail "'$arguments' opened the saver window" || true
done

start_saver
first=$SAVER_PID
launch /S
if ends_within 3; then pass "a second /S ends at once"; else fail "the second copy kept running"; stop_saver; fi
SAVER_PID=$first
running && pass "the first copy keeps running" || fail "the first copy ended"
stop_saver
finish
