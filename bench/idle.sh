#!/usr/bin/env bash
# What the idle watcher costs while it waits, measured from outside with a
# private session bus, on a private X server and then on a headless sway
# (where it listens to the compositor's org_kde_kwin_idle): its wake-ups per
# second (the context switches of all its threads, from /proc) and its
# resident memory, over SECONDS (default 20) of a quiet session and then of
# a session with input every half second or less. Figures, not pass or fail.
#
#   bench/idle.sh BUILD [SECONDS]
build=$(cd "${1:-build}" && pwd) || exit 2
SECONDS_MEASURED=${2:-20}
export LAUNCH=$build/quilvenmoor-idle FRAMECHECK=$build/quilvenmoor-framecheck

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

# measure PID TEXT: the figures of the watcher PID, named TEXT.
measure() {
    local before after
    before=$(switches "$1")
    sleep "$SECONDS_MEASURED"
    after=$(switches "$1")
    echo "$2: $(per_second $((after - before))) wake-ups/s over $SECONDS_MEASURED s, RSS $(rss_mb "$1") MB"
}

# The sway half runs in a process of its own, with the Wayland scenarios'
# harness (sway refuses root: the session runs as nobody).
if [ "${3:-}" = sway ]; then
    export POINTER=$build/tests/quilvenmoor-wayland-pointer
    source "$(dirname "$0")/../tests/e2e/wayland-lib.sh"
    start_sway
    spawn bus dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$WORK/bus.address"
    wait_until 5 test -s "$WORK/bus.address" || { echo "the session bus did not start"; exit 1; }
    session_set DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$WORK/bus.address")"
    spawn watcher sh -c 'exec "$0" --minutes 10 >"$1" 2>&1' "$LAUNCH" "$WORK/watcher.out"
    sleep 1
    kill -0 "$watcher_PID" 2>/dev/null || { echo "the watcher did not start: $(cat "$WORK/watcher.out")"; exit 1; }
    measure "$watcher_PID" "idle watcher on sway, quiet session"
    # Input through the harness's virtual pointer, a device that stays: wtype
    # brings a new keyboard with every key, and each one's coming and going
    # changes the seat, which every client of the seat hears.
    pointer move 640 400
    (while :; do pointer by 5 0; sleep 0.25; pointer by -5 0; sleep 0.25; done) &
    MOVER_PID=$!
    SESSION_PROCESSES="$SESSION_PROCESSES MOVER"
    measure "$watcher_PID" "idle watcher on sway, a pointer move every 0.25 s"
    exit 0
fi

source "$(dirname "$0")/../tests/e2e/lib.sh"

BUS_PID=""
TYPIST_PID=""
trap '[ -n "$TYPIST_PID" ] && kill "$TYPIST_PID"; [ -n "$BUS_PID" ] && kill "$BUS_PID"; cleanup' EXIT

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
measure "$SAVER_PID" "idle watcher on X11, quiet session"
(while :; do xdotool key shift; sleep 0.5; done) &
TYPIST_PID=$!
measure "$SAVER_PID" "idle watcher on X11, a key every 0.5 s"
kill "$TYPIST_PID"
TYPIST_PID=""

bash "$0" "$build" "$SECONDS_MEASURED" sway
