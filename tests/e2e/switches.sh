#!/usr/bin/env bash
# How the start is decided: "/c" shows the information box and ends after OK
# without a saver window; anything but "/S" ends at once; a second copy ends at
# once and leaves the first one running.
source "$(dirname "$0")/lib.sh"
start_display

launch /c
if window_within "S C R E E N   S A V E R" 10; then pass "/c shows the information box"; else fail "/c showed no box"; fi
has_window "Screen saver" && fail "the saver window appeared" || pass "no saver window with the box"
# A box that has just appeared can miss a key: Wine activates it a moment
# after mapping it, and under load that moment is late. Return is pressed
# again while the program runs on, three times at most.
return_ends_it() {
    for _ in 1 2 3; do
        xdotool key Return
        ends_within 1 && return 0
    done
    return 1
}
emulation_pause 0.2
if return_ends_it; then pass "OK ends the program (status $EXIT_STATUS)"; else fail "the program did not end after OK"; stop_saver; fi
has_window "Screen saver" && fail "the saver window appeared after OK" || pass "no saver window after OK"

# Each entry is one command line; words are separate arguments, as the
# system's preview pane sends "/p HWND", and "/c:HWND" as the settings
# dialog does.
for arguments in "/p 1234" "/c:1234" "/s:1" "/c 5" "/S\ " ""; do
    eval "words=($arguments)"
    launch "${words[@]}"
    expect_end 3 0 "'$arguments' ends at once"
    has_window "Screen saver" && fail "'$arguments' opened the saver window" || true
done

# The Linux program answers --help and --version (and -h, -V) on standard
# output, without a display; near misses keep ending at once in silence.
if ! under_wine; then
    for argument in --help -h; do
        text=$(env -u DISPLAY $LAUNCH "$argument")
        status=$?
        if [ "$status" = 0 ] && echo "$text" | grep -q '^Usage: quilvenmoor' && echo "$text" | grep -q -- '--version'; then
            pass "'$argument' prints the usage"
        else
            fail "'$argument' ended with status $status and printed: $text"
        fi
    done
    for argument in --version -V; do
        text=$(env -u DISPLAY $LAUNCH "$argument")
        status=$?
        [ "$status" = 0 ] && [[ "$text" =~ ^quilvenmoor\ [0-9]+\.[0-9]+ ]] && pass "'$argument' prints '$text'" \
            || fail "'$argument' ended with status $status and printed: $text"
    done
    # An answer that cannot be written is a failure, said on standard error.
    for argument in --help --version; do
        text=$(env -u DISPLAY $LAUNCH "$argument" 2>&1 >/dev/full)
        status=$?
        [ "$status" = 1 ] && [[ "$text" == *"cannot write"* ]] && pass "'$argument' to a full disk ends with status 1 and says so" \
            || fail "'$argument' to a full disk ended with status $status and said: $text"
    done
    for arguments in "--HELP" "-v" "--help /S" "/S --version"; do
        eval "words=($arguments)"
        text=$($LAUNCH "${words[@]}" 2>&1 </dev/null)
        status=$?
        [ "$status" = 0 ] && [ -z "$text" ] && pass "'$arguments' ends at once in silence" \
            || fail "'$arguments' ended with status $status and printed: $text"
    done
fi

# Under Wine: the command lines exactly as the system writes them, unquoted,
# the saver named by its short 8.3 path.
if [ -n "${STARTER:-}" ]; then
    saver_file=${LAUNCH#* }
    dos_path="Z:$(echo "$saver_file" | tr / '\\')"
    start_exactly() {
        $STARTER --short "$dos_path" "$@" >"$WORK/starter.out" 2>&1 &
        SAVER_PID=$!
    }
    start_exactly /s
    if window_within "Screen saver" 10; then
        line=$(head -n 1 "$WORK/starter.out" | tr -d '\r')
        case "$line" in
        *~*' /s') pass "'$line' runs the saver" ;;
        *) fail "the starter used '$line', not a short path and /s" ;;
        esac
        sleep "$(scaled 0.3)"
        press_key Escape
        if ends_within 6; then pass "Escape ends it (status $EXIT_STATUS)"; else fail "Escape did not end it"; stop_saver; fi
    else
        fail "the short path and /s showed no saver window"
        cat "$WORK/starter.out"
        stop_saver
    fi
    for switches in "/c:65552" "/p 65552"; do
        start_exactly $switches
        # Two programs start here, the starter and the saver.
        if ends_within 6; then
            line=$(head -n 1 "$WORK/starter.out" | tr -d '\r')
            [ "$EXIT_STATUS" = 0 ] && pass "'$line' ends at once" || fail "'$line' ended with status $EXIT_STATUS"
        else
            fail "'$switches' kept running"
            stop_saver
        fi
        has_window "Screen saver" && fail "'$switches' opened the saver window"
        has_window "S C R E E N   S A V E R" && fail "'$switches' opened the information box"
    done
fi

start_saver
first=$SAVER_PID
launch /S
if ends_within 3; then pass "a second /S ends at once"; else fail "the second copy kept running"; stop_saver; fi
SAVER_PID=$first
running && pass "the first copy keeps running" || fail "the first copy ended"
stop_saver
finish
