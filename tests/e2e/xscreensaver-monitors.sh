#!/usr/bin/env bash
# Two monitors of different sizes on one screen: xscreensaver starts one
# copy of the module per monitor, each draws its logo and banner inside its
# own monitor, and neither dies.
SCREEN=2304x1024x24
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/xscreensaver-lib.sh"

start_display
# Xvfb's one output names the left monitor; the right one is virtual.
xrandr --setmonitor left 1280/338x1024/270+0+0 screen >/dev/null
xrandr --setmonitor right 1024/270x768/203+1280+0 none >/dev/null
unpack_module
write_settings
start_xscreensaver

activated=$(date +%s%N)
xs_command -activate
if ! wait_for_launches 2 4 2; then
    fail "xscreensaver started $(module_launches | wc -l) copies of the module, not 2: $(grep -E 'screens|[0-9]/[0-9]:' "$XS_HOME/log" | head -4)"
    finish
    exit 1
fi
pass "two copies of the module: $(echo $LAUNCHES)"

seen=""
while read -r pid window; do
    geometry=$(xwininfo -id "$window" | awk '/Absolute upper-left X:/ { x = $4 } /Absolute upper-left Y:/ { y = $4 } /Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h "+" x "+" y }')
    case "$geometry" in
    1280x1024+0+0) monitor=left ;;
    1024x768+1280+0) monitor=right ;;
    *) monitor="" ;;
    esac
    if [ -z "$monitor" ]; then
        fail "copy $pid draws into window $window of $geometry, which is no monitor"
        continue
    fi
    seen="$seen $monitor"
    # The screenshot of the window is exactly its monitor's area.
    if logo_in_window "$window" 3 "$activated"; then
        pass "copy $pid shows its logo inside the $monitor monitor ($geometry) at $BOX_X,$BOX_Y ($COLUMNS columns)"
        banner=$("$FRAMECHECK" banner "$SHOT")
        [ "$banner" -gt 100 ] && pass "and its banner in that monitor's corner" || fail "the $monitor banner shows $banner pixels"
    else
        fail "no logo inside the $monitor monitor within 3 s"
    fi
done <<<"$LAUNCHES"
[ "$(echo $seen | tr ' ' '\n' | sort | tr '\n' ' ')" = "left right " ] && pass "one copy for each monitor" || fail "monitors covered:$seen"

sleep 2
alive=0
for pid in $(echo "$LAUNCHES" | cut -d' ' -f1); do
    is_gone "$pid" || alive=$((alive + 1))
done
[ "$alive" = 2 ] && pass "both copies still run after 2 s" || fail "$alive of 2 copies run"
if grep -q "abnormally" "$XS_HOME/log"; then fail "xscreensaver's log: $(grep -m2 abnormally "$XS_HOME/log")"; else pass "neither copy exited abnormally"; fi

xs_command -deactivate
for pid in $(echo "$LAUNCHES" | cut -d' ' -f1); do
    gone_within "$pid" 1 || fail "copy $pid still runs 1 s after -deactivate"
done
sleep 0.3
[ -z "$(modules_left)" ] && pass "deactivation ends both" || fail "modules left: $(modules_left)"
[ ! -s "$XS_HOME/module.err" ] && pass "nothing on the modules' standard error" || fail "the modules wrote: $(head -3 "$XS_HOME/module.err")"
finish
