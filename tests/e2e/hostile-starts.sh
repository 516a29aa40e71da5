#!/usr/bin/env bash
# Starts that are not a run: very long and strange command lines end at once,
# with status 0, no window and no crash; of 20 simultaneous runs exactly one
# survives.
source "$(dirname "$0")/lib.sh"
start_display

# The longest argument the system accepts, or (under Wine) the longest command line.
case "$LAUNCH" in
*wine-run.sh*) long=$(head -c 32000 /dev/zero | tr '\0' 'S') ;;
*) long=$(head -c 131069 /dev/zero | tr '\0' 'S') ;; # with "/S" and the ending zero: 128 KiB
esac
many=()
thousand=$(head -c 1000 /dev/zero | tr '\0' 'x')
for i in $(seq 1024); do many+=("$thousand$i"); done
[ "${LAUNCH#*wine-run.sh}" != "$LAUNCH" ] && many=("${many[@]:0:30}")

check_start() {
    local name=$1
    shift
    launch "$@"
    expect_end 5 0 "$name ends at once"
    has_window "Screen saver" && fail "$name opened the saver window"
    has_window "S C R E E N   S A V E R" && fail "$name opened the information box"
    return 0
}

check_start "a longest argument" "/S$long"
check_start "many long arguments" "${many[@]}"
check_start "invalid UTF-8" $'\xff\xfe/S' $'\xc3\x28'
check_start "embedded quotes" '"/S"' "'/S'" '/S"'
check_start "control characters" $'/S\x01' $'\t/S' $'/S\r'
check_start "a switch and more" /S /S
check_start "a line break" $'/S\n'

# Twenty at once: the instance lock lets exactly one through.
pids=()
for i in $(seq 20); do
    $LAUNCH /S >/dev/null 2>&1 &
    pids+=($!)
done
# Twenty starts at once are bound by the processor: on two busy cores they
# take about 10 s under Wine, and about a minute emulated. The state is
# polled, so a passing run takes only as long as the starts need.
one_runs() {
    alive=0
    for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && alive=$((alive + 1)); done
    windows=$(xwininfo -root -children | grep -c '"Screen saver"')
    [ "$alive" = 1 ] && [ "$windows" = 1 ]
}
wait_until 15 one_runs
[ "$alive" = 1 ] && pass "of 20 starts at once exactly one runs" || fail "$alive of 20 simultaneous starts run"
[ "$windows" = 1 ] && pass "one saver window" || fail "$windows saver windows"
for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
finish
