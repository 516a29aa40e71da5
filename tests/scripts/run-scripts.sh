#!/usr/bin/env bash
# Runs every script NAME.txt in the given folder through the simulator twice
# and compares both traces with NAME.trace. With UPDATE=1 it rewrites the
# expected traces instead (review the diff before committing).
set -u
folder=$1
sim=${SIM:?SIM names the simulator}
failed=0
passed=0
for script in "$folder"/*.txt; do
    name=$(basename "$script" .txt)
    expected="$folder/$name.trace"
    # SIM may be a command with arguments (an emulator before the program).
    first=$($sim < "$script" 2>&1; echo "status=$?")
    second=$($sim < "$script" 2>&1; echo "status=$?")
    if [ "$first" != "$second" ]; then
        echo "FAIL $name: two runs differ"
        failed=$((failed + 1))
        continue
    fi
    if [ "${UPDATE:-0}" = 1 ]; then
        printf '%s\n' "$first" > "$expected"
    fi
    if [ "$first" = "$(cat "$expected" 2>/dev/null)" ]; then
        passed=$((passed + 1))
    else
        echo "FAIL $name: trace differs from $name.trace"
        diff <(printf '%s\n' "$first") "$expected" | head -20
        failed=$((failed + 1))
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
