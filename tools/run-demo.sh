#!/usr/bin/env bash
# Runs a short demonstration through the simulator and prints its trace.
set -euo pipefail
build=${1:-build}
"$build/quilvenmoor-sim" <<'SCRIPT'
screen 1920 1080
clock 12-07-2026 43200
start /S
wait 90
key 81
wait 60
key 38
wait 30
move 700 20
move 700 20
wait 1900
key 27
SCRIPT
