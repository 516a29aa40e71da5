#!/usr/bin/env bash
# What the saver costs on a headless sway, measured from outside: CPU of the
# compositor and the saver over 20 s (after 3 s of start-up) for the native
# front end, for `quilvenmoor /S` forced onto Xwayland under the same sway
# (then Xwayland's CPU counts too), and for the sway alone; and the saver's
# peak resident memory. Then the saver in a sway nested in that one, shown
# and hidden: its CPU, wake-ups and commits a second, and the nested sway's
# CPU. CPU comes from /proc/PID/task/*/schedstat, in nanoseconds. Figures,
# not pass or fail.
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

# sway starts Xwayland with the first X client, on the display it gave its children.
xwayland_pid() { pgrep -a -x Xwayland | awk -v display="$1" '$3 == display { print $1 }'; }

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
session_set DISPLAY QUILVENMOOR_PLATFORM

# Hidden against shown: the saver in a sway nested in the headless one,
# bouncing (the box moves with every tick), first while the outer sway shows
# the nested one's outputs, then while it shows another workspace. Commits
# are counted in a run of their own, since WAYLAND_DEBUG's account of every
# request costs time of its own.
start_nested_sway
outer() { (SESSION=("${OUTER_SESSION[@]}") && sway_command "$@"); }
# How many times the saver's threads have gone to sleep and been woken.
wakeups() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches:/ { sum += $2 } END { print sum }'; }
# The saver's CPU (in % of a core, to the hundredth: these are small) and
# wake-ups a second, and the nested sway's CPU, over the measured time.
cpu_and_wakeups() {
    local before_wakeups before_saver before_nested
    before_wakeups=$(wakeups "$SAVER_PID")
    before_saver=$(cpu_nanoseconds "$SAVER_PID")
    before_nested=$(cpu_nanoseconds "$nested_PID")
    sleep "$SECONDS_MEASURED"
    awk -v n=$(($(cpu_nanoseconds "$SAVER_PID") - before_saver)) -v w=$(($(wakeups "$SAVER_PID") - before_wakeups)) \
        -v c=$(($(cpu_nanoseconds "$nested_PID") - before_nested)) -v s="$SECONDS_MEASURED" \
        'BEGIN { printf "saver %.2f %% CPU, %.1f wake-ups/s; nested sway %.2f %% CPU", n / 1e7 / s, w / s, c / 1e7 / s }'
}
commits() { grep -Ec '^\[ *[0-9.]+\]  -> wl_surface@[0-9]+\.commit\(' "$WORK/saver.out"; }
commits_per_second() {
    local before
    before=$(commits)
    sleep 5
    awk -v n=$(($(commits) - before)) 'BEGIN { printf "%.1f", n / 5 }'
}

SHOT_OUTPUT=WL-1 start_saver_shown
press_key q
sleep 2
shown=$(cpu_and_wakeups)
outer workspace 3
sleep 2
hidden=$(cpu_and_wakeups)
outer workspace 1
stop_saver

session_set WAYLAND_DEBUG=client
start_wayland_saver
session_set WAYLAND_DEBUG
SHOT_OUTPUT=WL-1 locate_box || abort "the saver's logo did not show"
press_key q
sleep 2
shown_commits=$(commits_per_second)
outer workspace 3
sleep 2
hidden_commits=$(commits_per_second)
asked=${EPOCHREALTIME/./}
outer workspace 1
answered=${EPOCHREALTIME/./}
sleep 1
stop_saver
# The first commit after the switch back, from the moment the outer sway
# answered it (WAYLAND_DEBUG stamps its lines with the wall clock's µs
# modulo 2^32; a commit may come before the answer).
first_frame=$(python3 - "$WORK/saver.out" "$asked" "$answered" <<'EOF'
import re, sys
asked, answered = int(sys.argv[2]), int(sys.argv[3])
for line in open(sys.argv[1], errors="replace"):
    if m := re.match(r"\[ *(\d+)\.(\d+)\]  -> wl_surface@\d+\.commit\(", line):
        stamp = int(m[1]) * 1000 + int(m[2])
        if (stamp - asked) % 2**32 < 2_000_000:
            print(round(((stamp - asked) % 2**32 - (answered - asked)) / 1000))
            break
EOF
)
echo "nested sway, shown: $shown; saver $shown_commits commits/s"
echo "nested sway, hidden: $hidden; saver $hidden_commits commits/s"
echo "nested sway, shown again: the first commit ${first_frame:-(none)} ms after the switch"
