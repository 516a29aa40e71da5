#!/usr/bin/env bash
# Makes the README's moving picture of the saver: the simulator runs a few
# seconds of scroll mode and then of bounce mode on a small screen and writes
# a frame every fourth tick; ImageMagick halves them and brings each down to
# 64 colours, and img2webp joins them, losslessly, into a looping animated
# WebP (its lossy mode leaves grey trails behind the box on the black). The same simulator always draws the same
# frames, so the file only changes when the saver's look does.
#
# Usage: tools/picture.sh BUILD OUTPUT.webp
set -euo pipefail
build=${1:?the build folder is the first argument}
output=${2:?the output file is the second argument}
sim="$build/quilvenmoor-sim"
[ -x "$sim" ] || { echo "picture.sh: no simulator at $sim (build it first)" >&2; exit 1; }

frames=$(mktemp -d)
trap 'rm -rf "$frames"' EXIT

# 120 ms between frames: four ticks of the saver's 30 ms timer.
step=120
script() {
    echo "screen 720 420"
    echo "clock 06-21-2026 50395"
    echo "start /S"
    # A fixed start, so the picture shows the box gliding in from the left.
    echo "set left 10"
    echo "set top 40"
    echo "set speed 5"
    local frame=0
    for _ in $(seq 25); do
        echo "frame $frames/$(printf %04d $frame).png"
        echo "wait $step"
        frame=$((frame + 1))
    done
    # Q: bounce mode, from the middle at a heading that meets two edges
    # within the loop.
    echo "key 81"
    echo "set left 220"
    echo "set top 30"
    echo "set heading 35"
    echo "set speed 6"
    for _ in $(seq 30); do
        echo "frame $frames/$(printf %04d $frame).png"
        echo "wait $step"
        frame=$((frame + 1))
    done
}
script | "$sim" >"$frames/trace.txt" || {
    echo "picture.sh: the simulator failed:" >&2
    tail -n 3 "$frames/trace.txt" >&2
    exit 1
}

# Half size and a small palette keep the file small; the logo's fine
# gradients are what cost.
small=()
for frame in "$frames"/*.png; do
    convert "$frame" -resize 50% +dither -colors 64 "png8:$frame.small.png"
    small+=("$frame.small.png")
done
img2webp -loop 0 -lossless -m 6 -d "$step" "${small[@]}" -o "$output" >"$frames/img2webp.log" 2>&1 || {
    cat "$frames/img2webp.log" >&2
    exit 1
}
echo "Written: $output ($(stat -c %s "$output") bytes, ${#small[@]} frames)"
