#!/usr/bin/env bash
# Windows: another program's window coming to the front ends the saver, as a
# dismissing key would, so that no typing lands in a program hidden behind
# it. Until then the saver keeps running, its own start included.
source "$(dirname "$0")/lib.sh"
start_display

start_saver
sleep "$(scaled 1)"
running && pass "the saver keeps running once it has the foreground" || fail "the saver ended by itself: $(cat "$WORK/saver.out")"

# A second program opens a window of its own, as a scheduled task would.
${LAUNCH%% *} notepad >/dev/null 2>&1 &
SECOND_PID=$!
expect_end 5 0 "a window of another program coming to the front ends it"
kill "$SECOND_PID" 2>/dev/null

# The window already open (the helper) brought to the front ends it too.
start_saver
sleep "$(scaled 0.5)"
xdotool windowactivate "$HELPER_WINDOW" 2>/dev/null || xdotool windowfocus "$HELPER_WINDOW"
expect_end 5 0 "an open window brought to the front ends it"
finish
