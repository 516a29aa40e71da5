#!/usr/bin/env bash
# Output scale changes while the saver runs: after each change (1 to 2, 2 to
# 1, 1 to 1.5) the box is again 284 x 325 physical pixels drawn 1:1 and goes
# on moving over the whole output; the pointer resting over the output,
# which the compositor makes leave and enter again in the new units, does
# not end the saver.
source "$(dirname "$0")/wayland-lib.sh"

# What is lit in shot $1 apart from the banner's strip: WIDTH HEIGHT X Y.
lit_extent() {
    convert "$1" -fill black -draw "rectangle 8,8 327,20" -format '%@' info: | tr 'x+' '  '
}

# Whether the logo shows in a new shot of HEADLESS-1, drawn 1:1 with nothing
# beyond its box, and away from where it was first seen after the change.
# At 1.5 the shot itself is resampled (grim makes 1280 x 799 of the output's
# 1280 x 800 pixels), so the logo cannot be matched pixel for pixel: what is
# lit must then measure what it measures at scale 1, give or take a pixel.
exact_and_moving() {
    if [ "$SCALE" = 1.5 ]; then
        SHOT_OUTPUT=HEADLESS-1 screenshot "$WORK/locate.png" || return 1
        local width height
        read -r width height BOX_X BOX_Y < <(lit_extent "$WORK/locate.png")
        [ "${width:-0}" -ge $((LIT_WIDTH - 1)) ] && [ "$width" -le $((LIT_WIDTH + 1)) ] || return 1
        [ "$height" -ge $((LIT_HEIGHT - 1)) ] && [ "$height" -le $((LIT_HEIGHT + 1)) ] || return 1
    else
        SHOT_OUTPUT=HEADLESS-1 logo_shows && box_edges_clean || return 1
    fi
    [ -n "$SEEN" ] || SEEN="$BOX_X,$BOX_Y"
    [ "$BOX_X,$BOX_Y" != "$SEEN" ]
}

# Changes HEADLESS-1's scale to $1 and checks the box and the saver after it.
change_scale() {
    SCALE=$1
    sway_command output HEADLESS-1 scale "$1"
    SEEN=""
    if wait_until 10 exact_and_moving && running; then
        pass "after a change to scale $1 the box is 284 x 325 physical pixels and moves ($SEEN -> $BOX_X,$BOX_Y)"
    else
        fail "after a change to scale $1: $(running && echo "the box is not exact or does not move (last seen ${BOX_X:-nowhere},${BOX_Y:-})" || echo "the saver ended: $(head -1 "$WORK/saver.out")")"
    fi
}

start_sway
# The pointer rests on the bare screen, in the quarter that stays in the layout at scale 2.
pointer move 60 360
# The trace tells when the pointer enters the saver's surface.
session_set QUILVENMOOR_TICK_TRACE=1
SHOT_OUTPUT=HEADLESS-1 start_saver_shown
wait_until 6 pointer_hidden_on_bare_screen && running || abort "the saver did not take the pointer in"
# In bounce mode the box never leaves the output, as it does for seconds
# at a time in scroll mode.
press_key q
# The box clear of the banner's strip, at scale 1, gives the lit size to compare with.
wait_until 10 eval 'logo_shows && { [ "$BOX_Y" -gt 24 ] || [ "$BOX_X" -gt 330 ]; }' || abort "the box never left the banner's strip"
read -r LIT_WIDTH LIT_HEIGHT _ < <(lit_extent "$WORK/locate.png")
change_scale 2
change_scale 1
entries() { grep -c '^pointer entered' "$WORK/saver.out"; }
before=$(entries)
change_scale 1.5
if running; then
    pass "the pointer resting over the output through every change kept it running"
    # The compositor makes the pointer enter again in the new units; a move
    # from before that entry would be taken for the pointer's arrival.
    wait_until 3 eval '[ "$(entries)" -gt "$before" ]'
    pointer by 12 -8
    pointer by 12 -8
    expect_end 1 0 "a real pointer move still ends it with status 0"
else
    fail "a scale change with the pointer over the output ended it"
fi
finish
