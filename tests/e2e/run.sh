#!/usr/bin/env bash
# "/S": the window covers the screen; only the logo box, its clock and the
# banner show on black; the banner goes after two seconds; the logo glides
# sideways and the clock runs.
source "$(dirname "$0")/lib.sh"
start_display
start_saver_window

# The banner shows for the first two seconds of the saver's own clock:
# look for it at once, however slowly the saver started.
banner_shows() {
    screenshot "$WORK/early.png"
    shown=$("$FRAMECHECK" banner "$WORK/early.png" 2>/dev/null || echo 0)
    [ "${shown:-0}" -gt 100 ]
}
wait_until 1.5 banner_shows && pass "the banner shows" || fail "the banner shows $shown pixels"
sleep "$(scaled 0.3)"

geometry=$(xwininfo -root -children | grep '"Screen saver"')
screen=${SCREEN:-1280x1024x24}
if echo "$geometry" | grep -q "${screen%x*}+0+0"; then pass "the window covers the screen"; else fail "window geometry: $geometry"; fi

# A step of at least half a pixel per tick, whatever speed the start drew.
press_key Up
found_first=0
if locate_box; then
    found_first=1
    pass "the whole logo shows at $BOX_X,$BOX_Y"
    # The screenshot in which the logo was found is the one to look at.
    cp "$WORK/locate.png" "$WORK/first.png"
    FIRST_X=$BOX_X FIRST_Y=$BOX_Y
    stray=$("$FRAMECHECK" stray "$WORK/first.png" "$FIRST_X" "$FIRST_Y")
    [ "$stray" = 0 ] && pass "everything else is black" || fail "$stray pixels outside the box and the banner are not black"
    label_before=$("$FRAMECHECK" label "$WORK/first.png" "$FIRST_X" "$FIRST_Y")
else
    fail "the logo was not found on the screen"
fi

sleep 2.5
screenshot "$WORK/later.png"
hidden=$("$FRAMECHECK" banner "$WORK/later.png")
[ "$hidden" = 0 ] && pass "the banner is gone after 2.5 s" || fail "the banner still shows $hidden pixels"

# The box may have wrapped out of sight by now: then it is looked for until
# it comes round again. A logo never found again has not been seen to move.
if [ "$found_first" = 1 ]; then
    if read -r LATER_X LATER_Y < <("$FRAMECHECK" find-logo "$WORK/later.png" 2>/dev/null); then
        cp "$WORK/later.png" "$WORK/moved.png"
    elif locate_box; then
        LATER_X=$BOX_X LATER_Y=$BOX_Y
        cp "$WORK/locate.png" "$WORK/moved.png"
    else
        LATER_X="" LATER_Y=""
    fi
    if [ -z "$LATER_X" ]; then
        fail "the logo was not found again after it left $FIRST_X,$FIRST_Y"
    else
        # Sideways at one height, or wrapped round to re-enter from the left at a new one.
        if { [ "$LATER_X" != "$FIRST_X" ] && [ "$LATER_Y" = "$FIRST_Y" ]; } || [ "$LATER_X" -lt "$FIRST_X" ]; then
            pass "the logo moved sideways ($FIRST_X,$FIRST_Y -> $LATER_X,$LATER_Y)"
        else
            fail "the logo went from $FIRST_X,$FIRST_Y to $LATER_X,$LATER_Y"
        fi
        label_after=$("$FRAMECHECK" label "$WORK/moved.png" "$LATER_X" "$LATER_Y")
        [ "${label_after%% *}" != "${label_before%% *}" ] && pass "the clock label changed" || fail "the clock label did not change"
    fi
fi

running && pass "still running" || fail "the saver ended by itself"
stop_saver
finish
