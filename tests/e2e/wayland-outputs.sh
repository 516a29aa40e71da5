#!/usr/bin/env bash
# Outputs: the logo plays on the first, every other output is a black
# cover, one that appears is covered at once; at output scales 2 and 1.5 the
# box is exactly as many physical pixels as at 1; and when the logo's output
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
[ "$(stray_pixels)" = 0 ] && pass "the logo plays on the first output, nothing else shows there" || fail "$(stray_pixels) stray pixels on the first output"
wait_for 2 all_black HEADLESS-2 && pass "the second output is a black cover" || fail "the second output is not all black"
sway_command create_output
sway_command output HEADLESS-3 resolution 800x600 position 0 800
wait_for 1 all_black HEADLESS-3 && pass "an output that appears is covered at once" || fail "a new output stayed uncovered"
stop_saver
stop_process pointer
stop_process sway

for scale in 2 1.5; do
    start_sway "output HEADLESS-1 scale $scale"
    # The shot is in physical pixels: the logo is found pixel for pixel and
    # nothing shows outside a box of 284 x 325 of them.
    start_saver_shown
    [ "$(stray_pixels)" = 0 ] && pass "at scale $scale the box is 284 x 325 physical pixels, drawn 1:1" ||
        fail "at scale $scale $(stray_pixels) pixels outside the box are not black"
    stop_saver
    stop_process pointer
    stop_process sway
done

# A sway nested in the headless one has two outputs, each a window of the
# outer sway; closing a window unplugs that output of the inner one.
start_sway
outer=("${SESSION[@]}")
cat >"$WORK/inner.conf" <<'CONF'
output WL-1 resolution 640x700
output WL-2 resolution 640x700
CONF
before=$(ls "$RUNTIME")
spawn inner env WLR_BACKENDS=wayland WLR_WL_OUTPUTS=2 WLR_RENDERER=pixman sway -c "$WORK/inner.conf" 2>"$WORK/inner.log"
inner_ready() { [ -n "$(comm -13 <(echo "$before") <(ls "$RUNTIME") | grep -x 'wayland-[0-9]*')" ] && [ -S "$(ls "$RUNTIME"/sway-ipc.*."$inner_PID".sock 2>/dev/null)" ]; }
wait_for 10 inner_ready || { cat "$WORK/inner.log"; abort "the nested sway did not start"; }
SESSION+=(WAYLAND_DISPLAY="$(comm -13 <(echo "$before") <(ls "$RUNTIME") | grep -x 'wayland-[0-9]*')" SWAYSOCK="$(ls "$RUNTIME"/sway-ipc.*."$inner_PID".sock)")
SHOT_OUTPUT=WL-1 start_saver_shown
pass "in the nested sway the logo plays on WL-1"
(SESSION=("${outer[@]}") && sway_command '[title="wlroots - WL-1"] kill')
SHOT_OUTPUT=WL-2 locate_box && running && [ "$(stray_pixels)" = 0 ] &&
    pass "with WL-1 unplugged the logo plays on WL-2" || fail "with WL-1 unplugged the logo did not move to WL-2 ($(head -1 "$WORK/saver.out"))"
stop_saver
finish
