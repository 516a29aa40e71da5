#!/usr/bin/env bash
# The command keys steer the saver and never end it; after Q the logo
# travels along its heading and reflects (bounce mode).
source "$(dirname "$0")/lib.sh"
start_display
start_saver

for key in space Return a s Left Up Right Down F2 F4 KP_1 q; do
    press_key "$key"
    sleep "$(scaled 0.15)"
    running && pass "$key keeps it running" || { fail "$key ended the saver"; break; }
done

# Now in scroll mode again (F2 and Q switched twice)... one more Q for bounce,
# after S has put the logo wholly on the screen.
press_key s
press_key Up
press_key q
sleep "$(scaled 0.2)"
moved_vertically=no
for attempt in 1 2 3 4; do
    locate_box || { echo "(the logo was not wholly on the screen)"; continue; }
    x0=$BOX_X y0=$BOX_Y
    sleep 0.6
    locate_box || { echo "(the logo was not wholly on the screen)"; continue; }
    echo "(attempt $attempt: $x0,$y0 -> $BOX_X,$BOX_Y)"
    if [ "$BOX_Y" != "$y0" ]; then
        moved_vertically=yes
        break
    fi
    # A heading within a few degrees of level barely moves vertically: turn it.
    for _ in 1 2 3 4 5 6; do press_key Left; done
done
[ "$moved_vertically" = yes ] && pass "after Q the logo travels along its heading ($x0,$y0 -> $BOX_X,$BOX_Y)" || fail "after Q the logo did not move vertically"
running && pass "still running" || fail "the saver ended"
stop_saver
finish
