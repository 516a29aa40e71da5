#!/usr/bin/env bash
# Windows: while the console display is off the saver draws nothing and hands
# its ticks over in batches a second apart, each tick at its own due time, so
# the motion goes on exactly; the moment the display is on again the current
# frame shows. Dimmed, it keeps drawing. Wine cannot switch a display off:
# POWER_BROADCAST sends the saver the message the system would.
source "$(dirname "$0")/lib.sh"
POWER_BROADCAST=${POWER_BROADCAST:?POWER_BROADCAST names the command that tells the saver the display state}
start_display

export QUILVENMOOR_TICK_TRACE=1
start_saver
# Bounce mode, at some speed, with the box wholly on the screen: it stays there.
press_key s
press_key Up
press_key q
sleep "$(scaled 0.3)"

pixels_of() { identify -format "%#" "$1"; }

locate_box || fail "the logo was not found before the display went off"
$POWER_BROADCAST off && pass "the saver takes the display-off message" || fail "the display-off message was not taken"
# What was drawn before the message reaches the screen; then nothing more may.
sleep "$(scaled 0.3)"
screenshot "$WORK/off-first.png"
read -r OFF_X OFF_Y < <("$FRAMECHECK" find-logo "$WORK/off-first.png" 2>/dev/null)
sleep "$(scaled 2.2)"
screenshot "$WORK/off-last.png"
[ "$(pixels_of "$WORK/off-first.png")" = "$(pixels_of "$WORK/off-last.png")" ] && pass "nothing is drawn while the display is off" || fail "the screen changed while the display was off"
running && pass "it runs on with the display off" || fail "it ended with the display off"

$POWER_BROADCAST on || fail "the display-on message was not taken"
moved_on() { logo_shows && [ "$BOX_X,$BOX_Y" != "${OFF_X:-},${OFF_Y:-}" ]; }
wait_until 0.5 moved_on && pass "on again, the current frame shows at once ($OFF_X,$OFF_Y -> $BOX_X,$BOX_Y)" || fail "on again, the frame did not show (the logo at ${BOX_X:-nowhere},${BOX_Y:-})"

$POWER_BROADCAST dimmed || fail "the display-dimmed message was not taken"
screenshot "$WORK/dimmed-first.png"
sleep "$(scaled 0.5)"
screenshot "$WORK/dimmed-last.png"
[ "$(pixels_of "$WORK/dimmed-first.png")" != "$(pixels_of "$WORK/dimmed-last.png")" ] && pass "dimmed, it keeps drawing" || fail "dimmed, it stopped drawing"

xdotool key x
expect_end 5 0 "a key ends it"

# The trace: "tick ID DUE batch NOW" for the ticks of a batch, "tick ID NOW" otherwise.
# Batches come a second apart (the last one earlier: the display came on),
# each holds only ticks fallen due since the one before, and every timer's
# batched ticks follow each other at one fixed interval: none lost, none moved.
read -r batches closest_apart ordered steady < <(awk '
    $1 == "tick" && $4 == "batch" {
        if ($5 != times[batches]) times[++batches] = $5
        if ($3 > $5 || (batches > 1 && $3 <= times[batches - 1])) disordered = 1
        if ($2 in due) {
            step = $3 - due[$2]
            if (($2 in interval) && step != interval[$2]) unsteady = 1
            interval[$2] = step
        }
        due[$2] = $3
    }
    END {
        for (i = 2; i < batches; ++i) if (closest == "" || times[i] - times[i - 1] < closest) closest = times[i] - times[i - 1]
        print batches + 0, (closest == "" ? "none" : closest), (disordered ? "no" : "yes"), (unsteady ? "no" : "yes")
    }' "$WORK/saver.out")
# About 2.5 s off (more under emulation): two or three batches, and the one at the end.
[ "${batches:-0}" -ge 2 ] && pass "the ticks of the dark span came in $batches batches" || fail "the ticks came in ${batches:-0} batches"
[ "$closest_apart" = none ] || [ "$closest_apart" -ge 1000 ] && pass "the batches came at least a second apart ($closest_apart ms)" || fail "two batches came $closest_apart ms apart"
[ "$ordered" = yes ] && pass "each batch held only ticks due since the one before" || fail "a batch held a tick not due in its span"
[ "$steady" = yes ] && pass "the batched ticks kept their due times, one interval apart" || fail "the batched ticks skipped or moved"
seen_after=$(awk '$1 == "tick" && $4 == "batch" { batched = 1; after = 0; next } $1 == "tick" && batched { ++after } END { print after + 0 }' "$WORK/saver.out")
[ "$seen_after" -gt 5 ] && pass "ticks came one by one again once the display was on ($seen_after)" || fail "only $seen_after ticks after the display came on"
finish
