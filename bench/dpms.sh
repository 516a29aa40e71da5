#!/usr/bin/env bash
# What the saver costs while the monitor is powered down, against powered
# up, on a private Xorg with the dummy driver and the test-only DPMS module
# (tests/x11/dummy-dpms.c; needs root): over SECONDS each (default 10), the
# saver's and the server's CPU, the saver's wake-ups (voluntary context
# switches, and poll calls counted by strace in a separate window), the
# writes that carry its X requests to the server (each flush is one; the
# saver flushes once a frame) and the drawing requests it reports having
# sent while off (its tick trace); then the time from
# `xset dpms force on` to the first frame, several times. Figures, not pass
# or fail.
#
#   bench/dpms.sh BUILD [SECONDS]
build=$(cd "${1:-build}" && pwd) || exit 2
measured=${2:-10}
export LAUNCH=$build/quilvenmoor FRAMECHECK=$build/quilvenmoor-framecheck BUILD=$build
source "$(dirname "$0")/../tests/e2e/lib.sh"
start_dpms_display || exit 1

cpu_nanoseconds() {
    local total=0 task running
    for task in /proc/"$1"/task/*/schedstat; do
        read -r running _ <"$task" 2>/dev/null && total=$((total + running))
    done
    echo "$total"
}
switches() { awk '/^voluntary_ctxt_switches:/ { print $2 }' "/proc/$1/status"; }
now_ms() { python3 -c 'import time; print(int(time.monotonic() * 1000))'; }

QUILVENMOOR_TICK_TRACE=1 $LAUNCH /S 2>"$WORK/trace" &
SAVER_PID=$!
window_within "Screen saver" 10 || { echo "the saver did not start"; exit 1; }
sleep 3

# One line of figures for the monitor's present state.
measure() {
    local saver_cpu server_cpu woken
    saver_cpu=$(cpu_nanoseconds "$SAVER_PID") server_cpu=$(cpu_nanoseconds "$XVFB_PID") woken=$(switches "$SAVER_PID")
    sleep "$measured"
    saver_cpu=$(($(cpu_nanoseconds "$SAVER_PID") - saver_cpu)) server_cpu=$(($(cpu_nanoseconds "$XVFB_PID") - server_cpu))
    woken=$(($(switches "$SAVER_PID") - woken))
    # System calls counted in a window of their own: strace slows what it watches.
    # The tick trace goes to standard error (descriptor 2): those writes are not X requests.
    strace -f -e trace=poll,write,writev,sendmsg -p "$SAVER_PID" -o "$WORK/strace" >/dev/null 2>&1 &
    local tracer=$!
    sleep "$measured"
    kill -INT "$tracer"
    wait "$tracer" 2>/dev/null
    local polls writes
    polls=$(grep -c 'poll(' "$WORK/strace")
    writes=$(grep -E '(write|writev|sendmsg)\(' "$WORK/strace" | grep -vc -E '(write|writev|sendmsg)\(2,')
    awk -v what="$1" -v s="$measured" -v saver="$saver_cpu" -v server="$server_cpu" -v woken="$woken" -v polls="${polls:-0}" -v writes="$writes" \
        'BEGIN { printf "%-11s saver %.2f %% CPU, server %.2f %% CPU, %.1f wake-ups/s (%.1f polls/s), %.1f writes of X requests/s\n",
            what, saver / 1e7 / s, server / 1e7 / s, woken / s, polls / s, writes / s }'
}

echo "DPMS bench: Xorg dummy driver at 1280x1024, ${measured} s per figure"
measure "monitor on"
xset dpms force off
sleep 1
measure "monitor off"
xset dpms force on
sleep 1
drawn=$(awk '$1 == "unseen" { before = $4 } $1 == "seen" { after = $4 } END { print after - before }' "$WORK/trace")
echo "drawing requests sent while off: $drawn"

# From `on` to the first frame, five times.
times=()
for round in 1 2 3 4 5; do
    xset dpms force off
    sleep 1.5
    frames=$(grep -c '^frame' "$WORK/trace")
    on_at=$(now_ms)
    xset dpms force on
    wait_until 5 test "$(grep -c '^frame' "$WORK/trace")" -gt "$frames"
    frame=$(grep '^frame' "$WORK/trace" | tail -n 1 | awk '{ print $2 }')
    times+=($((frame - on_at)))
done
echo "from 'xset dpms force on' to the first frame: ${times[*]} ms"
xdotool key Escape
ends_within 3 || stop_saver
