#!/usr/bin/env bash
# Replays the inputs the fuzzer once found, then fuzzes the simulator's script
# reader for a while from the committed seed corpus. Fails on any crash,
# sanitizer report or trace that differs between two runs of one script.
#
# Usage: tools/fuzz.sh FUZZER [SECONDS]    (new finds go to fuzz-findings/)
set -euo pipefail
fuzzer=$1
seconds=${2:-60}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

shopt -s nullglob
regressions=("$root"/tests/fuzz/regressions/*)
if [ ${#regressions[@]} -gt 0 ]; then
    "$fuzzer" "${regressions[@]}" >"$work/replay.log" 2>&1 || { cat "$work/replay.log"; echo "a saved regression fails again"; exit 1; }
    echo "replayed ${#regressions[@]} saved inputs"
fi

mkdir -p "$work/corpus" fuzz-findings
if ! "$fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
        -artifact_prefix=fuzz-findings/ "$work/corpus" "$root/tests/fuzz/corpus" >"$work/fuzz.log" 2>&1; then
    tail -n 40 "$work/fuzz.log"
    echo "the fuzzer found a failing input in fuzz-findings/: add it to tests/fuzz/regressions/ once fixed"
    exit 1
fi
grep -E "^stat::number_of_executed_units|^Done" "$work/fuzz.log" || true
echo "fuzzing for ${seconds} s found nothing"
