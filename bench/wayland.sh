#!/usr/bin/env bash
# What the saver costs on a headless sway and a headless mutter, measured
# from outside: CPU of the compositor and the saver over 20 s (after 3 s of
# start-up) for the native front end (the layer shell on sway, fullscreen
# windows on mutter), for `quilvenmoor /S` forced onto Xwayland under the
# same compositor (then Xwayland's CPU counts too), and for the compositor
# alone; and the saver's peak resident memory. CPU comes from /proc/PID/task/*/schedstat, in
# nanoseconds. Figures, not pass or fail.
#
#   bench/wayland.sh BUILD [SECONDS]
build=$(cd "${1:-build}" && pwd) || exit 2
SECONDS_MEASURED=${2:-20}
export LAUNCH=$build/quilvenmoor FRAMECHECK=$build/quilvenmoor-framecheck POINTER=$build/tests/quilvenmoor-wayland-pointer
source "$(dirname "$0")/../tests/e2e/wayland-lib.sh"

cpu_nanoseconds() {
    local pid total=0 task
    for pid in "$@"; do
        for task in /proc/"$pid"/task/*/schedstat; do
            read -r running _ <"$task" 2>/dev/null && total=$((total + running))
        done
    done
    echo "$total"
}

# Each process's share of one core, in percent, over the measured time; one line each.
shares() {
    local before=() pid index=0
    for pid; do before+=("$(cpu_nanoseconds "$pid")"); done
    sleep "$SECONDS_MEASURED"
    for pid; do
        awk -v n=$(($(cpu_nanoseconds "$pid") - before[index])) -v s="$SECONDS_MEASURED" 'BEGIN { printf "%.1f\n", n / 1e7 / s }'
        index=$((index + 1))
    done
}
total() { printf '%s\n' "$@" | awk '{ sum += $1 } END { printf "%.1f", sum }'; }

peak_rss_mb() { awk '/^VmHWM:/ { printf "%.1f", $2 / 1024 }' "/proc/$1/status"; }

# The compositor starts Xwayland with the first X client, on the display it
# gave its children; the display is one of its arguments.
xwayland_pid() { pgrep -a -x Xwayland | awk -v display="$1" '{ for (i = 3; i <= NF; ++i) if ($i == display) print $1 }'; }

[ -n "${BENCH_MUTTER_ONLY:-}" ] || {
start_sway "xwayland enable"
sleep 3
echo "idle sway: sway $(shares "$sway_PID") %"

start_saver_shown
sleep 3
mapfile -t cpu < <(shares "$sway_PID" "$SAVER_PID")
echo "native: sway ${cpu[0]} %, saver ${cpu[1]} %, total $(total "${cpu[@]}") %, saver peak RSS $(peak_rss_mb "$SAVER_PID") MB"
stop_saver

# sway tells its children which X display it runs Xwayland on.
sway_command exec "env > $WORK/session.env"
wait_until 5 test -s "$WORK/session.env"
display=$(sed -n 's/^DISPLAY=//p' "$WORK/session.env")
session_set DISPLAY="$display" QUILVENMOOR_PLATFORM=x11
start_saver_shown
sleep 3
xwayland=$(xwayland_pid "$display")
[ -n "$xwayland" ] || { echo "Xwayland was not found"; exit 1; }
mapfile -t cpu < <(shares "$sway_PID" "$SAVER_PID" "$xwayland")
echo "Xwayland: sway ${cpu[0]} %, saver ${cpu[1]} %, Xwayland ${cpu[2]} %, total $(total "${cpu[@]}") %, saver peak RSS $(peak_rss_mb "$SAVER_PID") MB"
stop_saver

# The same on a headless mutter, which offers no layer shell: the saver's
# fullscreen windows beside the saver forced onto mutter's Xwayland. The
# screen cast the pictures come through runs in both.
stop_process pointer
stop_process sway
}
session_set DISPLAY XAUTHORITY QUILVENMOOR_PLATFORM
start_mutter
sleep 3
echo "idle mutter: mutter $(shares "$mutter_PID") %"

start_saver_shown
sleep 3
mapfile -t cpu < <(shares "$mutter_PID" "$SAVER_PID")
echo "mutter, native fullscreen windows: mutter ${cpu[0]} %, saver ${cpu[1]} %, total $(total "${cpu[@]}") %, saver peak RSS $(peak_rss_mb "$SAVER_PID") MB"
stop_saver

session_set "${MUTTER_X[@]}" QUILVENMOOR_PLATFORM=x11
start_saver_shown
sleep 3
xwayland=$(xwayland_pid "${MUTTER_X[0]#DISPLAY=}")
[ -n "$xwayland" ] || { echo "mutter's Xwayland for ${MUTTER_X[0]} was not found: $(pgrep -a -x Xwayland)"; exit 1; }
mapfile -t cpu < <(shares "$mutter_PID" "$SAVER_PID" "$xwayland")
echo "mutter, Xwayland: mutter ${cpu[0]} %, saver ${cpu[1]} %, Xwayland ${cpu[2]} %, total $(total "${cpu[@]}") %, saver peak RSS $(peak_rss_mb "$SAVER_PID") MB"
stop_saver
