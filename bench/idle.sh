#!/usr/bin/env bash
# What the idle watcher costs while it waits, measured from outside on a
# private X server with a private session bus: its wake-ups per second (the
# context switches of all its threads, from /proc) and its resident memory,
# over SECONDS (default 20) of a quiet session and then of a session in
# which a key is typed every half second. Figures, not pass or fail.
#
#   bench/idle.sh BUILD [SECONDS]
build=$(cd "${1:-build}" && pwd) || exit 2
SECONDS_MEASURED=${2:-20}
export LAUNCH=$build/quilvenmoor-idle FRAMECHECK=$build/quilvenmoor-framecheck
source "$(dirname "$0")/../tests/e2e/lib.sh"

BUS_PID=""
TYPIST_PID=""
trap '[ -n "$TYPIST_PID" ] && kill "$TYPIST_PID"; [ -n "$BUS_PID" ] && kill "$BUS_PID"; cleanup' EXIT

switches() {
    local total=0 task count
    for task in /proc/"$1"/task/*/status; do
        for count in $(awk '/_ctxt_switches:/ { print $2 }' "$task" 2>/dev/null); do
            total=$((total + count))
        done
    done
    echo "$total"
}
rss_mb() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }
per_second() { awk -v n="$1" -v s="$SECONDS_MEASURED" 'BEGIN { printf "%.2f", n / s }'; }

measure() {
    local before after
    before=$(switches "$SAVER_PID")
    sleep "$SECONDS_MEASURED"
    after=$(switches "$SAVER_PID")
    echo "$1: $(per_second $((after - before))) wake-ups/s over $SECONDS_MEASURED s, RSS $(rss_mb "$SAVER_PID") MB"
}

start_display
unset WAYLAND_DISPLAY
export XDG_RUNTIME_DIR=$WORK/runtime HOME=$WORK/home
mkdir -m 700 "$XDG_RUNTIME_DIR" "$HOME"
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$WORK/bus.address" 4>"$WORK/bus.pid"
BUS_PID=$(cat "$WORK/bus.pid")
export DBUS_SESSION_BUS_ADDRESS=$(cat "$WORK/bus.address")

launch --minutes 10
sleep 1
running || { echo "the watcher did not start: $(cat "$WORK/saver.out")"; exit 1; }
measure "idle watcher on X11, quiet session"
(while :; do xdotool key shift; sleep 0.5; done) &
TYPIST_PID=$!
measure "idle watcher on X11, a key every 0.5 s"
