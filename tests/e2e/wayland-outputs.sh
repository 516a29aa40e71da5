#!/usr/bin/env bash
# Outputs: the logo plays on the first, every other output is a black
# cover, one that appears is covered at once; at output scale 2 the box is
# exactly as many physical pixels as at 1; and when the logo's output
# is unplugged, the logo goes on playing on the one that remains.
source "$(dirname "$0")/wayland-lib.sh"
start_sway
sway_command create_output
sway_command output HEADLESS-2 resolution 1024x768 position 1280 0

# Whether the whole of output $1 is black (the cursor aside: it is hidden).
all_black() {
    SHOT_OUTPUT=$1 screenshot "$WORK/$1.png" || return 1
    local black total
    read -r black total < <("$FRAMECHECK" count "$WORK/$1.png" 000000)
    [ "$black" = "$total" ]
}

SHOT_OUTPUT=HEADLESS-1 start_saver_shown
pass "the logo plays on the first output"
wait_until 2 all_black HEADLESS-2 && pass "the second output is a black cover" || fail "the second output is not all black"
sway_command create_output
sway_command output HEADLESS-3 resolution 800x600 position 0 800
wait_until 2 all_black HEADLESS-3 && pass "an output that appears is covered at once" || fail "a new output stayed uncovered"
stop_saver
stop_process pointer
stop_process sway

# A shot of one output is in its physical pixels: the logo is found pixel for
# pixel, and the picture ends with a box of 284 x 325 of them. (At 1.5 the
# screenshot itself is resampled: grim makes 1280 x 799 of a 1280 x 800 output.)
start_sway "output HEADLESS-1 scale 2"
SHOT_OUTPUT=HEADLESS-1 start_saver_shown
box_edges_clean && pass "at scale 2 the box is 284 x 325 physical pixels, drawn 1:1" || fail "at scale 2 the picture goes on beyond the box"
stop_saver
stop_process pointer
stop_process sway

# A sway nested in the headless one has two outputs, each a window of the
# outer sway; closing a window unplugs that output of the inner one.
start_sway
start_nested_sway
SHOT_OUTPUT=WL-1 start_saver_shown
pass "in the nested sway the logo plays on WL-1"
(SESSION=("${OUTER_SESSION[@]}") && sway_command '[title="wlroots - WL-1"] kill')
# The logo shows on WL-2 with nothing else lit there; a frame caught while
# the compositor hands the play area over is looked at again.
logo_alone_on_wl2() { SHOT_OUTPUT=WL-2 logo_shows && [ "$(stray_pixels)" = 0 ]; }
wait_until 40 logo_alone_on_wl2 && running && pass "with WL-1 unplugged the logo plays on WL-2" ||
    fail "with WL-1 unplugged the logo did not move to WL-2 alone ($(running && echo "still running, $(stray_pixels) stray pixels" || head -1 "$WORK/saver.out"))"
stop_saver
finish
