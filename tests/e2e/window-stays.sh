#!/usr/bin/env bash
# Other programs on the desktop: a window mapped above the saver (a
# notification) goes under it again; an unmapped saver maps itself again and
# still ends on a key; a destroyed one ends with one line and status 1.
source "$(dirname "$0")/lib.sh"
start_display
saver_window() { xwininfo -root -children | awk '/"Screen saver"/ { print $1; exit }'; }
# Top-level windows from the bottom of the stack to the top.
stacking() { xwininfo -root -children | awk '$1 ~ /^0x/ { print $1 }' | tac; }

start_saver
window=$(saver_window)

# A notification: an override-redirect window mapped above everything.
$X11 notify 20 20 400 120 >"$WORK/notify.out" &
notify_pid=$!
wait_until 2 test -s "$WORK/notify.out"
sleep 0.5
top=$(stacking | tail -n 1)
[ "$((top))" = "$((window))" ] && pass "the saver is raised over a notification" || fail "the top window is $top, not the saver $window"
screenshot "$WORK/notify.png"
white=$(convert "$WORK/notify.png" -crop 400x120+20+20 +repage -format '%[fx:mean]' info:)
[ "$(awk -v m="$white" 'BEGIN { print (m < 0.5) }')" = 1 ] && pass "the notification does not show" || fail "the notification shows (mean $white)"
kill "$notify_pid" 2>/dev/null; wait "$notify_pid" 2>/dev/null

# Unmapped by another client: it maps itself again, takes the grabs again, and a key still ends it.
$X11 unmap "$window"
sleep 0.5
xwininfo -id "$window" | grep -q "IsViewable" && pass "the unmapped window is mapped again" || fail "the window stays unmapped"
running && pass "still running" || fail "unmapping ended it: $(cat "$WORK/saver.out")"
xdotool key x
expect_end 2 0 "a key ends it after it was unmapped"
# The instance lock went with it: the next start runs.
start_saver
pass "a new start runs"
window=$(saver_window)

# Destroyed by another client: one line, status 1, no flood of errors.
$X11 destroy "$window"
if expect_end 2 1 "a destroyed window ends it with status 1"; then
    lines=$(wc -l <"$WORK/saver.out")
    [ "$lines" = 1 ] && pass "with one line: $(cat "$WORK/saver.out")" || fail "$lines lines: $(head -n 3 "$WORK/saver.out")"
fi
start_saver
pass "and a new start runs again"
stop_saver
finish
