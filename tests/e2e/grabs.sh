#!/usr/bin/env bash
# Another program holds the keyboard, the pointer or both when the saver
# starts: it keeps asking for two seconds, then ends with status 1 and a
# message naming what is held, instead of running where no input ends it.
# A grab let go within that time is taken over and the saver runs.
source "$(dirname "$0")/lib.sh"
start_display

hold() {
    $X11 grab "$1" >"$WORK/grab.out" 2>&1 &
    GRAB_PID=$!
    wait_until 8 grep -q grabbed "$WORK/grab.out" || fail "the grabbing client did not grab the $1: $(cat "$WORK/grab.out")"
}
release() { kill "$GRAB_PID" 2>/dev/null; wait "$GRAB_PID" 2>/dev/null; }

for held in keyboard pointer both; do
    hold "$held"
    expected="another program holds the $held"
    [ "$held" = both ] && expected="another program holds the keyboard and the pointer"
    started=$(date +%s%N)
    launch /S
    if ends_within 6; then
        took=$((($(date +%s%N) - started) / 1000000))
        [ "$EXIT_STATUS" = 1 ] && pass "a held $held ends it with status 1 after $took ms" || fail "a held $held: status $EXIT_STATUS"
        grep -qx "quilvenmoor: $expected" "$WORK/saver.out" && pass "it says: $expected" || fail "it said: $(cat "$WORK/saver.out")"
        [ "$took" -ge 1900 ] && pass "it asked for the grab for two seconds first" || fail "it gave up after $took ms"
    else
        fail "with the $held held, it runs on: $(cat "$WORK/saver.out")"
        stop_saver
    fi
    release
done

# A grab that ends within the two seconds is no reason to give up.
hold keyboard
launch /S
sleep 0.8
release
sleep 2
running && pass "a grab let go after 0.8 s: the saver runs" || fail "it ended: $(cat "$WORK/saver.out")"
xdotool key x
ends_within 2 && [ "$EXIT_STATUS" = 0 ] && pass "and a key ends it" || { fail "a key did not end it"; stop_saver; }
finish
