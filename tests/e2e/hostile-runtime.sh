#!/usr/bin/env bash
# What a real desktop throws at a running saver: signals, a storm of command
# keys and of pointer events over the logo box (the ticks keep their rhythm
# and the next dismissing key still ends it), and an X server that dies.
source "$(dirname "$0")/lib.sh"
start_display
export QUILVENMOOR_TICK_TRACE=1

for signal in TERM INT; do
    start_saver
    kill -s "$signal" "$SAVER_PID"
    expect_end 1 0 "SIG$signal ends it cleanly"
done

# The longest run of ticks more than 15 ms late on the 30 ms rhythm.
late_in_a_row() {
    awk '$1 == "tick" && $2 == 0 { if (last && $3 - last > 45) { run++; if (run > worst) worst = run } else run = 0; last = $3 } END { print worst + 0 }' "$1"
}

start_saver
press_key s
# A storm of command keys: about 1,000 a second for 5 seconds.
keys=()
for _ in $(seq 2500); do keys+=(Left Right); done
xdotool key --delay 1 "${keys[@]}"
running && pass "5,000 command keys leave it running" || fail "the key storm ended it"

# A storm of pointer events over the logo box, in bursts aimed at where the
# box is (it moves at most a few pixels during one burst).
storm_over_box=yes
for burst in 1 2 3 4; do
    if ! locate_box; then
        storm_over_box="the logo was not found"
        break
    fi
    cx=$((BOX_X + 142)) cy=$((BOX_Y + 160))
    for i in $(seq 100); do echo "mousemove $((cx + i % 7)) $((cy + i % 5))"; done | xdotool - 2>/dev/null
done
if [ "$storm_over_box" != yes ]; then
    fail "$storm_over_box"
elif running; then
    pass "400 pointer moves over the logo box leave it running"
else
    fail "the pointer storm over the box ended it"
fi
worst=$(late_in_a_row "$WORK/saver.out")
ticks=$(grep -c "^tick 0" "$WORK/saver.out")
[ "$worst" -le 1 ] && pass "the 30 ms ticks kept their rhythm ($ticks ticks, at most $worst late in a row)" || fail "$worst ticks late in a row"
press_key Escape
if ends_within 1; then pass "the next dismissing key ends it"; else fail "Escape did not end it after the storms"; stop_saver; fi

# The X server goes away under the saver.
start_saver
kill -9 "$XVFB_PID"
if expect_end 2 1 "a lost display ends it with status 1"; then
    grep -q "lost the connection" "$WORK/saver.out" && pass "and says so on standard error" || fail "no message: $(cat "$WORK/saver.out" | grep -v '^tick' | head -3)"
fi
XVFB_PID=""
finish
