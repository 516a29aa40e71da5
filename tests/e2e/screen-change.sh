#!/usr/bin/env bash
# The screen changes size under the running saver (RandR): the window takes
# the new size at once, and the logo comes back into view on a smaller screen.
source "$(dirname "$0")/lib.sh"
SCREEN=1600x1200x24
start_display

add_mode() { # name and the modeline's timing numbers
    xrandr --newmode "$@" >/dev/null 2>&1
    xrandr --addmode screen "$1"
}
add_mode 1280x1024q 108.00 1280 1328 1440 1688 1024 1025 1028 1066
add_mode 800x600q 40.00 800 840 968 1056 600 601 605 628
set_mode() { xrandr --output screen --mode "$1"; }
set_mode 1280x1024q

saver_geometry() { xwininfo -root -children | grep '"Screen saver"' | grep -o '[0-9]*x[0-9]*+[-0-9]*+[-0-9]*' | head -n 1; }
geometry_is() { [ "$(saver_geometry)" = "$1" ]; }

# Wine hears of a size change made outside it only after a while, and a
# pointer that the smaller screen pushes inside it can reach the saver first,
# as a real move: keep the pointer where no change of size moves it.
under_wine && xdotool mousemove 0 0
start_saver
[ "$(saver_geometry)" = 1280x1024+0+0 ] && pass "the window covers the screen of 1280x1024" || fail "window at $(saver_geometry)"

set_mode 1600x1200
if wait_until 2 geometry_is 1600x1200+0+0; then pass "the screen grew: the window covers 1600x1200"; else fail "after growing, window at $(saver_geometry)"; fi
sleep 0.3
screenshot "$WORK/grown.png"
if read -r x y < <("$FRAMECHECK" find-logo "$WORK/grown.png" 2>/dev/null); then
    stray=$("$FRAMECHECK" stray "$WORK/grown.png" "$x" "$y")
    [ "$stray" = 0 ] && pass "the grown screen is black around the logo" || fail "$stray pixels of the grown screen are not black"
else
    stray=$("$FRAMECHECK" stray "$WORK/grown.png" -1000 -1000)
    [ "$stray" = 0 ] && pass "the grown screen is black (the logo is out of sight)" || fail "$stray pixels of the grown screen are not black"
fi

set_mode 800x600q
if wait_until 2 geometry_is 800x600+0+0; then pass "the screen shrank: the window covers 800x600"; else fail "after shrinking, window at $(saver_geometry)"; fi
# Faster, so that one pass across the small screen takes a few seconds.
for _ in 1 2 3 4 5 6 7 8; do press_key Up; done
# The screenshots are of the 800x600 screen: a logo found whole is in view
# (the box's clock strip below it may still overhang the bottom edge).
if locate_box || locate_box; then
    pass "the logo comes back into view on the smaller screen (at $BOX_X,$BOX_Y)"
else
    fail "the logo did not come back into view on the smaller screen"
fi
# A jump lands on the screen as it is now.
for _ in 1 2 3; do
    press_key s
    if locate_box; then
        # S places the box's inside within the screen; its one-pixel frame may overhang.
        [ "$BOX_X" -le $((800 - 282)) ] && [ "$BOX_Y" -le $((600 - 323)) ] && pass "S puts the logo on the smaller screen" || fail "S put it at $BOX_X,$BOX_Y"
    else
        fail "after S the logo is not wholly on the screen"
    fi
done
# Bounce mode keeps the logo in view too (it may overhang an edge by a step
# or, stuck in a corner, for a while, so look for much of it, not all of it).
press_key q
lit=0
for _ in 1 2 3 4 5; do
    sleep 0.3
    screenshot "$WORK/bounce.png"
    mean=$(convert "$WORK/bounce.png" -format '%[fx:mean]' info:)
    [ "$(awk -v m="$mean" 'BEGIN { print (m > 0.03) }')" = 1 ] && lit=$((lit + 1))
done
[ "$lit" = 5 ] && pass "bounce mode keeps the logo in view" || fail "bounce mode showed the logo in $lit of 5 screenshots"

running && pass "still running" || fail "the saver ended: $(cat "$WORK/saver.out")"
press_key Escape
ends_within 2 && [ "$EXIT_STATUS" = 0 ] && pass "Escape ends it" || fail "Escape did not end it cleanly"
finish
