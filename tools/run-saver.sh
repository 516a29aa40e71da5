#!/usr/bin/env bash
# Starts the saver on the current display. Without a display, runs it for a
# few seconds on a private virtual screen and writes a screenshot instead.
set -euo pipefail
build=${1:-build}
saver="$build/quilvenmoor"

if [ -n "${DISPLAY:-}" ] && xset q >/dev/null 2>&1; then
    echo "Starting the saver on display $DISPLAY."
    echo "Space, Enter, A, S, Q, F2, F4 and the arrow keys steer it; any other key, a click or a mouse movement ends it."
    exec "$saver" /S
fi

shot="$build/saver-screenshot.png"
work=$(mktemp -d)
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do
    [ -s "$work/display" ] && break
    sleep 0.05
done
export DISPLAY=":$(head -n 1 "$work/display")"
echo "No display here: running the saver for 3 seconds on a private virtual screen ($DISPLAY)."
"$saver" /S &
saver_pid=$!
sleep 2.8
# S puts the logo somewhere wholly on the screen (in scroll mode it spends
# part of each pass out of sight) for the screenshot.
xdotool key s
sleep 0.2
import -window root -depth 8 "png:$shot"
xdotool key Escape
wait "$saver_pid"
echo "It ran and ended on Escape. What it showed: $shot"
