#!/usr/bin/env bash
# Two monitors of different sizes on one screen: the logo plays on the
# primary one only, the other shows black, and a real movement of the mouse
# over the other one ends the saver like one over the bare screen.
source "$(dirname "$0")/lib.sh"
SCREEN=2304x1024x24
start_display
xrandr --setmonitor left 1280/338x1024/270+0+0 screen >/dev/null
xrandr --setmonitor right 1024/270x768/203+1280+0 none >/dev/null
monitors_changed

window_geometries() { xwininfo -root -children | grep -o '[0-9]*x[0-9]*+[-0-9]*+[-0-9]*' ; }
# The mean brightness of an area of a screenshot, 0 for pure black.
brightness() { convert "$1" -crop "$2" +repage -format '%[fx:maxima]' info:; }

start_saver
geometry=$(xwininfo -root -children | grep '"Screen saver"' | grep -o '[0-9]*x[0-9]*+[-0-9]*+[-0-9]*' | head -n 1)
[ "$geometry" = 1280x1024+0+0 ] && pass "the saver window covers the monitor at the origin" || fail "the saver window is at $geometry"
window_geometries | grep -qx '1024x768+1280+0' && pass "a window covers the other monitor" || fail "no window covers the other monitor: $(window_geometries | tr '\n' ' ')"

# The logo shows on the primary monitor only, whatever S draws.
for _ in 1 2 3; do
    press_key s
    if locate_box; then
        [ "$BOX_X" -le $((1280 - 284)) ] && pass "the logo is on the primary monitor ($BOX_X,$BOX_Y)" || fail "the logo is at $BOX_X,$BOX_Y"
        [ "$(brightness "$WORK/locate.png" 1024x768+1280+0)" = 0 ] && pass "the other monitor is black" || fail "the other monitor is not black"
    else
        fail "the logo was not found"
    fi
done

# Moves over the other monitor reach the saver: the first one is recorded,
# the next different one ends it.
xdotool mousemove 1700 300
sleep 0.3
# Like Windows, Wine reports the resting pointer as a move when the saver's
# windows appear, and the saver records it: there this real move is already
# the second one, and may end the saver.
if ! under_wine; then
    running && pass "one move over the other monitor is only recorded" || fail "the first move ended it"
fi
xdotool mousemove 1800 400
expect_end 2 0 "a real move over the other monitor ends it"
[ "$(xwininfo -root -children | grep -c '1024x768+1280+0')" = 0 ] && pass "the cover went with it" || fail "the cover stayed"
finish
