#!/usr/bin/env bash
# While the monitor is powered down the saver draws nothing and wakes for its
# ticks at most once a second, delivering them in batches at their own due
# times, so that not one tick of the 30 ms rhythm is lost; powered up again,
# it shows the logo at once. Runs on a private Xorg with the dummy driver
# and the test-only DPMS module; it must run as root.
source "$(dirname "$0")/lib.sh"
if ! start_dpms_display; then
    fail "no X server with DPMS to test on"
    finish
    exit 1
fi

now_ms() { python3 -c 'import time; print(int(time.monotonic() * 1000))'; }
trace_has() { grep -q "$1" "$WORK/saver.out"; }
# The count of drawing requests sent so far, from the trace line "WHAT TIME drawn N".
drawn_at() { awk -v what="$1" '$1 == what { print $4; exit }' "$WORK/saver.out"; }

export QUILVENMOOR_TICK_TRACE=1
start_saver_window
# The box wholly on the screen, bouncing inside it, so that it is always in sight.
press_key s
press_key q
locate_box && pass "the logo shows at $BOX_X,$BOX_Y" || fail "the logo was not found on the screen"
before_x=$BOX_X before_y=$BOX_Y

xset dpms force off
wait_until 1 trace_has "^unseen " && pass "it notices the monitor powered down" || fail "no 'unseen' in the trace"
sleep 4.2
# Another program paints the window white meanwhile (the dummy driver's
# screen keeps its picture while off): only a whole repaint clears it.
saver_window=$(xwininfo -root -children | awk '/"Screen saver"/ { print $1; exit }')
$X11 paint "$saver_window"
screenshot "$WORK/off.png"
"$FRAMECHECK" find-logo "$WORK/off.png" >/dev/null 2>&1 && fail "the paint did not cover the logo"
on_at=$(now_ms)
xset dpms force on
wait_until 1 trace_has "^seen " && pass "it notices the monitor powered up" || fail "no 'seen' in the trace"

# The first frame after the monitor came on.
first_frame=$(awk '$1 == "seen" { seen = 1 } seen && $1 == "frame" { print $2; exit }' "$WORK/saver.out")
if [ -n "$first_frame" ]; then
    pass "the first frame went $((first_frame - on_at)) ms after 'xset dpms force on' started"
else
    fail "no frame after the monitor came on"
fi
if wait_until 2 logo_shows; then
    pass "the logo shows again, at $BOX_X,$BOX_Y"
    [ "$BOX_X,$BOX_Y" != "$before_x,$before_y" ] && pass "it moved on meanwhile" || fail "it stands where it was before the monitor went off"
    # The banner has gone by now: everything but the box is black again.
    stray=$("$FRAMECHECK" stray "$WORK/locate.png" "$BOX_X" "$BOX_Y")
    [ "$stray" = 0 ] && pass "the whole window was painted again" || fail "$stray pixels outside the box are not black"
else
    fail "the logo did not show again"
fi

unseen_drawn=$(drawn_at unseen)
seen_drawn=$(drawn_at seen)
[ -n "$unseen_drawn" ] && [ "$unseen_drawn" = "$seen_drawn" ] && pass "no drawing request while the monitor was off ($unseen_drawn before and after)" \
    || fail "drawing requests while the monitor was off: $unseen_drawn before, $seen_drawn after"

# The batches: "tick ID DUE batch TIME". Between two batches at least a
# second passes, except for the one the power-up itself brings.
read -r batches closest < <(awk '$4 == "batch" && $5 != last { if (last) { gap = $5 - last; if (!closest || gap < closest) closest = gap } n++; last = $5 } END { print n + 0, closest + 0 }' "$WORK/saver.out")
read -r last_gap < <(awk '$4 == "batch" && $5 != last { previous = last; last = $5 } END { print last - previous }' "$WORK/saver.out")
[ "$batches" -ge 4 ] && pass "$batches batches of ticks in about 4 s off" || fail "only $batches batches of ticks"
read -r regular < <(awk '$4 == "batch" && $5 != last { if (last) gaps[++n] = $5 - last; last = $5 } END { bad = 0; for (i = 1; i < n; ++i) if (gaps[i] < 1000) bad++; print bad }' "$WORK/saver.out")
[ "$regular" = 0 ] && pass "the batches came at least a second apart (the last, at power-up, after $last_gap ms)" || fail "$regular batches came less than a second after the one before"

# Every tick of the 30 ms rhythm ran: from the last tick before the monitor
# went off to the first after it came on, the batches' due times follow one
# another 30 ms apart, and they join the ticks around them without a gap.
# (The motion's timer is the one whose ticks come in the batches.)
motion=$(awk '$4 == "batch" { print $2; exit }' "$WORK/saver.out")
read -r lost joined < <(awk -v motion="${motion:--1}" '
    $1 == "unseen" { off = 1; next }
    $1 == "seen" { on = 1; next }
    $1 != "tick" || $2 != motion { next }
    !off { before = $3; next }
    $4 == "batch" { if (last && $3 - last != 30) lost++; if (!first) first = $3; last = $3; next }
    on && !after { after = $3 }
    END { ok = first - before > 0 && first - before < 60 && after - last > 0 && after - last < 60; print lost + 0, ok }' "$WORK/saver.out")
[ "$lost" = 0 ] && [ "$joined" = 1 ] && pass "not one tick was lost: the due times run on every 30 ms" \
    || fail "ticks lost: $lost gaps in the batches, joined to the ticks around them: $joined"

press_key Escape
expect_end 3 0 "Escape still ends it"
grep -q "X error" "$WORK/saver.out" && fail "X errors: $(grep 'X error' "$WORK/saver.out" | head -2)"
finish
