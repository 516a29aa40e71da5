#!/usr/bin/env bash
# Runs every script NAME.txt in the given folder through the simulator twice
# and compares both traces with NAME.trace. With UPDATE=1 it rewrites the
# expected traces instead (review the diff before committing).
#
# A script that hides the window (`hide` ... `show`) must also move exactly
# as the same script without those lines: its trace, less the lines that
# say when it was hidden, shown and when a batch of ticks ran, must equal
# that script's trace, and it must have run at least one batch.
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
    if [ "$first" != "$(cat "$expected" 2>/dev/null)" ]; then
        echo "FAIL $name: trace differs from $name.trace"
        diff <(printf '%s\n' "$first") "$expected" | head -20
        failed=$((failed + 1))
        continue
    fi
    if grep -qE '^[[:space:]]*hide[[:space:]]*$' "$script"; then
        shown=$(grep -vE '^[[:space:]]*(hide|show)[[:space:]]*$' "$script" | $sim 2>&1; echo "status=$?")
        motion=$(printf '%s\n' "$first" | grep -vE '^t=[0-9]+ (hide|show|batch)$')
        if ! printf '%s\n' "$first" | grep -qE '^t=[0-9]+ batch$'; then
            echo "FAIL $name: no batch of ticks ran while hidden"
            failed=$((failed + 1))
            continue
        fi
        if [ "$motion" != "$shown" ]; then
            echo "FAIL $name: the motion differs from the same script never hidden"
            diff <(printf '%s\n' "$motion") <(printf '%s\n' "$shown") | head -20
            failed=$((failed + 1))
            continue
        fi
    fi
    passed=$((passed + 1))
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
