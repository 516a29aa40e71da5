#!/usr/bin/env bash
# Every key that is no command ends the saver within a second, as do a click
# and a real pointer movement over the bare screen; moves over the logo box do not.
source "$(dirname "$0")/lib.sh"
start_display

for key in Escape Tab 1 x Shift_L Num_Lock; do
    start_saver
    press_key "$key"
    if ends_within 1; then pass "$key ends it (status $EXIT_STATUS)"; else fail "$key did not end it"; stop_saver; fi
    # Num Lock was switched off by the last press; keep the keypad reading digits.
    numlock_on
done

start_saver
find_bare_point || fail "the logo was not found"
xdotool mousemove "$BARE_X" "$BARE_Y"
sleep 0.05
xdotool mousemove $((BARE_X + 10)) $((BARE_Y + 3))
if ends_within 1; then pass "a pointer movement over the bare screen ends it"; else fail "a pointer movement did not end it"; stop_saver; fi

start_saver
find_bare_point || fail "the logo was not found"
xdotool mousemove "$BARE_X" "$BARE_Y" click 1
if ends_within 1; then pass "a click ends it"; else fail "a click did not end it"; stop_saver; fi

# The pointer goes to the middle of the box as the screenshot found it and
# moves a few pixels there. On a loaded machine the box can travel out from
# under the pointer between the screenshot and the move, which rightly ends
# the saver; so a move that ends it is tried again, three times at most. A
# saver that ends on every move over its box still fails.
move_over_box_keeps_it() {
    start_saver
    press_key s
    locate_box || return 2
    xdotool mousemove $((BOX_X + 140)) $((BOX_Y + 150))
    sleep 0.05
    xdotool mousemove $((BOX_X + 145)) $((BOX_Y + 160))
    sleep "$(scaled 0.3)"
    running
}
for try in 1 2 3; do
    move_over_box_keeps_it
    outcome=$?
    stop_saver
    [ "$outcome" = 1 ] || break
done
case $outcome in
0) pass "moves over the logo box do not end it" ;;
1) fail "a move over the logo box ended it, three times" ;;
*) fail "the logo was not found" ;;
esac
finish
