#!/usr/bin/env bash
# The saver natively on KWin: two virtual outputs, keys and a pointer
# through KWin's fake input, pictures through its screenshot service, and a
# terminal underneath that records every key it gets. It chooses the native
# front end although DISPLAY is set, covers both outputs with the box exact,
# keeps steering keys from the terminal, and when KWin takes the keyboard
# away (a virtual-desktop switch, a new window) it either has the keyboard
# back or has ended with status 0: a key typed then never reaches a window
# the saver hides. One KWin start serves every step.
#
# Environment, besides lib.sh's LAUNCH and FRAMECHECK:
#   KWIN_INPUT   the fake-input client (quilvenmoor-kwin-input)
#   IDLE         quilvenmoor-idle, for a last step: the watcher on KWin
source "$(dirname "$0")/wayland-lib.sh"
KWIN_INPUT=${KWIN_INPUT:?KWIN_INPUT names quilvenmoor-kwin-input}
KWIN=$(command -v kwin_wayland) || abort "kwin_wayland is not installed (tools/install-deps.sh test)"

# Keys by their evdev codes (linux/input-event-codes.h).
declare -A CODE=([a]=30 [s]=31 [space]=57 [Left]=105 [x]=45 [z]=44 [k]=37)

# KWin refuses to start from a binary with a file capability this
# container does not allow: a copy has none, and keeps the name its Qt
# platform plugin looks for. Its D-Bus session's address and KWin's own pid
# (which dbus-run-session does not end) come back through files.
start_kwin() {
    mkdir -p "$WORK/bin" "$WORK/.config"
    cp "$KWIN" "$WORK/bin/kwin_wayland"
    printf '[Desktops]\nNumber=2\nRows=1\n' >"$WORK/.config/kwinrc"
    [ "$(id -u)" = 0 ] && chown -R nobody:nogroup "$WORK/bin" "$WORK/.config"
    new_runtime
    session_set KWIN_WAYLAND_NO_PERMISSION_CHECKS=1 KWIN_SCREENSHOT_NO_PERMISSION_CHECKS=1 WAYLAND_DISPLAY=wayland-kwin
    spawn kwinsession dbus-run-session -- sh -c 'echo "$DBUS_SESSION_BUS_ADDRESS" >"$0/bus"; echo $$ >"$0/kwin.pid"
        exec "$0/bin/kwin_wayland" --virtual --output-count 2 --width 1280 --height 800 --socket wayland-kwin' "$WORK" 2>"$WORK/kwin.log"
    wait_until 20 test -S "$RUNTIME/wayland-kwin" -a -s "$WORK/bus" -a -s "$WORK/kwin.pid" || { cat "$WORK/kwin.log"; abort "KWin did not start"; }
    kwin_PID=$(cat "$WORK/kwin.pid")
# KWin is ended by its own pid; dbus-run-session then ends its bus itself
# (ended first, it would leave the bus running).
stop_kwin() {
    stop_process input
    [ -n "${kwin_PID:-}" ] && kill "$kwin_PID" 2>/dev/null
    kwin_PID=""
    wait_until 5 not kill -0 "${kwinsession_PID:-0}" 2>/dev/null
    wayland_cleanup
}
trap stop_kwin EXIT
    session_set DBUS_SESSION_BUS_ADDRESS="$(cat "$WORK/bus")"
}

# The fake-input client: commands through a pipe, a line in answer to each.
start_input() { start_piped_client input "$KWIN_INPUT" || abort "the fake-input client did not start"; }
input() { tell_client input "$*"; }
# Like wtype's runs, a key waits a moment before and after.
press_key() {
    sleep 0.2
    input key "${CODE[$1]}"
    sleep 0.2
}

# The whole workspace (both outputs side by side), or the output in SHOT_OUTPUT (1 or 2).
screenshot() {
    rm -f "$1"
    as_user python3 "$(dirname "$0")/kwin-shot.py" "$1.all.png" || return 1
    case ${SHOT_OUTPUT:-} in
    1) convert "$1.all.png" -crop 1280x800+0+0 +repage "$1" ;;
    2) convert "$1.all.png" -crop 1280x800+1280+0 +repage "$1" ;;
    *) mv "$1.all.png" "$1" ;;
    esac
}

# A terminal that appends whatever is typed into it to the file $2; its pid goes to $1_PID.
start_terminal() {
    : >"$2"
    chown --reference="$WORK" "$2"
    printf '#!/bin/sh\nstty -icanon -echo\nexec cat >>"%s"\n' "$2" >"$WORK/$1.sh"
    chmod 755 "$WORK/$1.sh"
    spawn "$1" weston-terminal --shell="$WORK/$1.sh" >"$WORK/$1.log" 2>&1
}
typed_into() { [ -s "$1" ]; }

# The saver's keyboard events from its trace, after line $1 of its output.
keyboard_events() { tail -n +"$(($1 + 1))" "$WORK/saver.out" | grep -E '^keyboard' | cut -d' ' -f1-3 | paste -sd, -; }

start_kwin
start_input
# The terminal has the keyboard before the saver starts. KWin does not
# always give a new window the keyboard: a click in the middle of what shows
# on the first output (the terminal alone) does.
click_terminal() {
    local geometry
    SHOT_OUTPUT=1 screenshot "$WORK/terminal.png" || return 1
    geometry=$(convert "$WORK/terminal.png" -trim -format '%w %h %X %Y' info:) || return 1
    read -r width height left top <<<"${geometry//+/}"
    [ "$width" -gt 100 ] && [ "$height" -gt 100 ] || return 1
    input move $((left + width / 2)) $((top + height / 2)) && input click
}
start_terminal terminal "$WORK/typed"
wait_until 60 eval 'input key 37 && grep -q k "$WORK/typed" || { click_terminal; false; }' || {
    cat "$WORK/terminal.log"
    tail -n 5 "$WORK/kwin.log"
    abort "the terminal underneath got no key"
}
: >"$WORK/typed"

# DISPLAY names an X server that does not exist: the native front end must
# be chosen before it. The trace tells the keyboard's comings and goings.
session_set DISPLAY=:1999 QUILVENMOOR_TICK_TRACE=1
SHOT_OUTPUT=1 start_saver_shown
grep -q '^quilvenmoor:' "$WORK/saver.out" && fail "it warned: $(grep '^quilvenmoor:' "$WORK/saver.out")" ||
    pass "with DISPLAY set it runs natively, without a word"
# KWin may show the cover a frame before the box has settled on it. In
# scroll mode the box leaves the output for seconds at a time (a slow one
# for longer): a shot without it is no verdict.
wait_until 20 eval 'SHOT_OUTPUT=1 logo_shows && box_edges_clean' && pass "the box on the first output is 284 x 325 pixels" ||
    fail "the picture goes on beyond the box"
all_black() {
    SHOT_OUTPUT=2 screenshot "$WORK/second.png" || return 1
    local black total
    read -r black total < <("$FRAMECHECK" count "$WORK/second.png" 000000)
    [ "$black" = "$total" ]
}
wait_until 3 all_black && pass "the second output is a black cover" || fail "the second output is not all black"

for key in a s space Left; do press_key "$key"; done
running && [ "$(grep -c '^key ' "$WORK/saver.out")" -ge 4 ] && pass "steering keys reach it and keep it running" ||
    fail "steering keys did not all reach it ($(grep -c '^key ' "$WORK/saver.out") seen) or ended it"
typed_into "$WORK/typed" && fail "the terminal got keys: $(cat "$WORK/typed")" || pass "the terminal got no key"

# After KWin takes the keyboard: either the saver has it back and a steering
# key reaches it (and no window), or the saver has ended with status 0.
# Records what happened in OUTCOME for the summary.
after_keyboard_taken() {
    local what=$1 mark=$2
    OUTCOME=""
    sleep 1
    if running; then
        press_key a
        if typed_into "$WORK/typed" || typed_into "$WORK/new-typed"; then
            fail "$what: a key typed while the saver covers the screen reached a window"
            OUTCOME="blind typing"
        elif running; then
            pass "$what: the saver has the keyboard back and a steering key reaches it"
        else
            fail "$what: a steering key ended it"
        fi
        OUTCOME=${OUTCOME:-keyboard back}
    else
        wait "$SAVER_PID"
        EXIT_STATUS=$?
        SAVER_PID=""
        [ "$EXIT_STATUS" = 0 ] && pass "$what: the saver ended with status 0" || fail "$what: the saver ended with status $EXIT_STATUS"
        OUTCOME="ended"
    fi
    echo "measured: $what: $OUTCOME (keyboard: $(keyboard_events "$mark"))"
}

: >"$WORK/new-typed"
mark=$(wc -l <"$WORK/saver.out")
kwin_call() { as_user gdbus call --session --dest org.kde.KWin --object-path /KWin --method "org.kde.KWin.$1" "${@:2}"; }
kwin_call setCurrentDesktop 2 >/dev/null
[ "$(kwin_call currentDesktop)" = "(2,)" ] || fail "KWin did not switch to desktop 2 ($(kwin_call currentDesktop))"
after_keyboard_taken "a virtual-desktop switch" "$mark"
kwin_call setCurrentDesktop 1 >/dev/null

running || SHOT_OUTPUT=1 start_saver_shown
: >"$WORK/typed"
mark=$(wc -l <"$WORK/saver.out")
start_terminal newwindow "$WORK/new-typed"
after_keyboard_taken "a new window" "$mark"

if running; then
    press_key x
    expect_end 1 0 "a dismissing key ends it with status 0"
fi
# Afterwards the keys go to a window again, as typed.
press_key z
wait_until 2 eval 'grep -q z "$WORK/typed" || grep -q z "$WORK/new-typed"' && pass "after it ends, keys reach a window again" ||
    fail "after it ended no window got the key"

# The idle watcher on KWin takes its idle time from ext-idle-notify-v1 and
# starts the saver natively after the wait.
if [ -n "${IDLE:-}" ]; then
    session_set QUILVENMOOR_TICK_TRACE
    spawn watcher sh -c 'exec "$0" --minutes 0.05 >"$1" 2>&1' "$IDLE" "$WORK/watcher.out"
    idle_saver() { pgrep -P "$watcher_PID" -x quilvenmoor >/dev/null; }
    wait_until 8 idle_saver && pass "the idle watcher starts the saver after 3 s idle" ||
        fail "the idle watcher started no saver: $(cat "$WORK/watcher.out")"
    as_user "$IDLE" --status >"$WORK/status" 2>&1
    grep -q '^idle source: ext-idle-notify-v1' "$WORK/status" && pass "--status names ext-idle-notify-v1" ||
        fail "--status: $(cat "$WORK/status")"
    kill "$watcher_PID"
    wait_until 3 not kill -0 "$watcher_PID" && wait_until 3 eval '! pgrep -u nobody -x quilvenmoor >/dev/null' &&
        pass "SIGTERM ends the watcher and its saver" || fail "the watcher or its saver ran on after SIGTERM"
fi
finish
