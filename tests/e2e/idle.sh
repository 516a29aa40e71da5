#!/usr/bin/env bash
# The idle watcher on a private X server with a private session bus: it
# starts the saver after the idle wait, input ends it and it comes back after
# the next wait; an Inhibit held on the bus, and a client resetting the X
# server's saver, hold it off; a second watcher ends at once; SIGTERM ends the
# watcher and its saver; failed savers are not restarted in a loop; --enable,
# --status and --disable in a temporary home; without a display it follows
# GNOME's idle monitor (a stand-in) and ends when the monitor leaves the bus;
# logind's lock hint (a stand-in) holds it off.
#
# LAUNCH is quilvenmoor-idle (with quilvenmoor beside it); BUS_CALLER is
# quilvenmoor-bus-caller.
source "$(dirname "$0")/lib.sh"
BUS_CALLER=${BUS_CALLER:?BUS_CALLER names quilvenmoor-bus-caller}
IDLE=$LAUNCH
WAIT=0.05 # minutes: 3 s

BUS_PID=""
SYSTEM_BUS_PID=""
CALLER_PID=""
RESETTER_PID=""
stop_helpers() {
    [ -n "$CALLER_PID" ] && kill "$CALLER_PID" 2>/dev/null
    [ -n "$RESETTER_PID" ] && kill "$RESETTER_PID" 2>/dev/null
    [ -n "$BUS_PID" ] && kill "$BUS_PID" 2>/dev/null
    [ -n "$SYSTEM_BUS_PID" ] && kill "$SYSTEM_BUS_PID" 2>/dev/null
    cleanup
}
trap stop_helpers EXIT

start_display
unset WAYLAND_DISPLAY XDG_CONFIG_HOME
export XDG_RUNTIME_DIR=$WORK/runtime HOME=$WORK/home
mkdir -m 700 "$XDG_RUNTIME_DIR" "$HOME"
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$WORK/bus.address" 4>"$WORK/bus.pid"
BUS_PID=$(cat "$WORK/bus.pid")
export DBUS_SESSION_BUS_ADDRESS=$(cat "$WORK/bus.address")

# The saver the watcher started: its child named quilvenmoor.
saver_pid() { pgrep -P "$SAVER_PID" -x quilvenmoor; }
saver_runs() { [ -n "$(saver_pid)" ] && has_window "Screen saver"; }
no_saver() { [ -z "$(saver_pid)" ]; }
# Passes when no saver starts for $1 seconds.
stays_off() { ! wait_until "$1" saver_runs; }
dismiss() {
    xdotool key x
    wait_until 3 no_saver
}

launch --minutes "$WAIT"
stays_off 2 && pass "no saver before the wait is over" || fail "the saver started early"
wait_until 4 saver_runs && pass "the saver starts after 3 s idle" || fail "the saver did not start"
[ "$($BUS_CALLER get-active)" = true ] && pass "GetActive says true while it runs" || fail "GetActive did not say true"
dismiss && pass "a key ends the saver" || fail "the saver kept running after a key"
running && pass "the watcher runs on" || fail "the watcher ended: $(cat "$WORK/saver.out")"
[ "$($BUS_CALLER get-active)" = false ] && pass "GetActive says false after it" || fail "GetActive did not say false"
stays_off 2 && wait_until 3 saver_runs && pass "a dismissed saver comes back after the next idle period" || fail "the saver did not come back in time"
dismiss

# A caller's Inhibit holds the saver off until UnInhibit. Bash unsets a
# coprocess's variables (HOLDER, HOLDER_PID) when it reaps it, which may come
# before the script's own wait: the pid is kept in a variable of our own.
coproc HOLDER { exec $BUS_CALLER inhibit; }
CALLER_PID=$HOLDER_PID
read -r -t 5 cookie <&"${HOLDER[0]}"
[ -n "$cookie" ] && pass "Inhibit gives cookie $cookie" || fail "Inhibit failed"
stays_off 5 && pass "an inhibitor holds the saver off" || fail "the saver started while inhibited"
$IDLE --status >"$WORK/status" && grep -q "inhibitors held now: 1" "$WORK/status" && grep -q "bus-caller" "$WORK/status" \
    && pass "--status names the inhibitor" || fail "--status: $(cat "$WORK/status")"
$BUS_CALLER uninhibit "$cookie" 2>/dev/null && fail "another caller ended the hold" || pass "another caller cannot end the hold"
echo uninhibit >&"${HOLDER[1]}"
read -r -t 5 released <&"${HOLDER[0]}"
[ "$released" = released ] && pass "UnInhibit succeeds" || fail "UnInhibit failed"
stays_off 2.5 && wait_until 2 saver_runs && pass "the saver starts a full wait after UnInhibit" || fail "the saver did not start after UnInhibit"
dismiss
echo quit >&"${HOLDER[1]}"
wait "$CALLER_PID" 2>/dev/null

# A caller that dies holding an inhibit (on the older path) releases it.
coproc HOLDER { exec $BUS_CALLER inhibit /ScreenSaver; }
CALLER_PID=$HOLDER_PID
read -r -t 5 cookie <&"${HOLDER[0]}"
stays_off 4 && pass "an inhibitor on /ScreenSaver holds the saver off" || fail "the saver started while inhibited through /ScreenSaver"
kill -9 "$CALLER_PID"
wait "$CALLER_PID" 2>/dev/null
CALLER_PID=""
stays_off 2.5 && wait_until 2 saver_runs && pass "the saver starts after the inhibiting caller died" || fail "the dead caller's inhibit still held"
dismiss

# A program resetting the X server's saver every two seconds holds it off.
(while :; do xset s reset; sleep 2; done) &
RESETTER_PID=$!
stays_off 6 && pass "XResetScreenSaver every 2 s holds the saver off" || fail "the saver started despite the resets"
kill "$RESETTER_PID"
wait "$RESETTER_PID" 2>/dev/null
RESETTER_PID=""
wait_until 4 saver_runs && pass "the saver starts once the resets stop" || fail "the saver did not start after the resets"

# One watcher per session.
timeout 5 $IDLE --minutes "$WAIT" >"$WORK/second.out" 2>&1
status=$?
[ "$status" = 0 ] && [ "$(wc -l <"$WORK/second.out")" = 1 ] && grep -q "already runs" "$WORK/second.out" \
    && pass "a second watcher ends at once with one line, status 0" || fail "a second watcher: status $status, $(cat "$WORK/second.out")"

# SIGTERM ends the watcher and the saver it started.
saver=$(saver_pid)
kill -TERM "$SAVER_PID"
expect_end 3 0 "SIGTERM ends the watcher with status 0"
wait_until 3 not kill -0 "$saver" 2>/dev/null && pass "the saver ends with the watcher" || fail "the saver outlived the watcher"

# --enable, --status and --disable in the temporary home.
entry=$HOME/.config/autostart/quilvenmoor-idle.desktop
$IDLE --enable --minutes 7.5 >"$WORK/enable.out" 2>&1 && pass "--enable succeeds" || fail "--enable: $(cat "$WORK/enable.out")"
grep -q "^Exec=$IDLE --minutes 7.5$" "$entry" && pass "--enable writes the autostart entry" || fail "the entry: $(cat "$entry" 2>&1)"
$IDLE --status >"$WORK/status" 2>&1
grep -q "^enabled: yes (.*7.5 minutes)" "$WORK/status" && grep -q "^running: yes" "$WORK/status" && grep -q "^minutes: 7.5" "$WORK/status" \
    && grep -q "^idle source: .*IDLETIME" "$WORK/status" && pass "--status: enabled, running, minutes, source" || fail "--status: $(cat "$WORK/status")"
watcher=$(sed -n 's/^running: yes (pid \([0-9]*\))/\1/p' "$WORK/status")
$IDLE --disable >"$WORK/disable.out" 2>&1 && [ ! -e "$entry" ] && pass "--disable removes the entry" || fail "--disable: $(cat "$WORK/disable.out")"
[ -n "$watcher" ] && wait_until 3 not kill -0 "$watcher" 2>/dev/null && pass "--disable ends the running watcher" || fail "the watcher $watcher kept running"
$IDLE --status >"$WORK/status" 2>&1
grep -q "^enabled: no" "$WORK/status" && grep -q "^running: no" "$WORK/status" && pass "--status after --disable" || fail "--status: $(cat "$WORK/status")"

# The command line's own failures.
$IDLE --minutes -2 >/dev/null 2>"$WORK/error"
[ $? = 2 ] && grep -q "'-2'" "$WORK/error" && pass "a bad --minutes ends with status 2 and says why" || fail "a bad --minutes: $(cat "$WORK/error")"
$IDLE --version >/dev/full 2>"$WORK/error"
[ $? = 1 ] && grep -q "cannot write" "$WORK/error" && pass "--version to a full disk ends with status 1" || fail "--version to /dev/full: $(cat "$WORK/error")"
env -u DISPLAY $IDLE >"$WORK/none.out" 2>&1
[ $? = 1 ] && [ "$(wc -l <"$WORK/none.out")" = 1 ] && grep -q "no idle source" "$WORK/none.out" \
    && pass "without an idle source: one line, status 1" || fail "without an idle source: $(cat "$WORK/none.out")"

# A saver that fails is run again only after fresh input, and three failures
# in a row stop the watcher. The watcher runs the quilvenmoor beside it: here
# one that fails.
mkdir "$WORK/failing"
cp "$IDLE" "$WORK/failing/"
printf '#!/bin/sh\necho run >>"%s"\nexit 1\n' "$WORK/failures" >"$WORK/failing/quilvenmoor"
chmod +x "$WORK/failing/quilvenmoor"
runs() { [ "$( { wc -l <"$WORK/failures"; } 2>/dev/null || echo 0)" -ge "$1" ]; }
LAUNCH=$WORK/failing/quilvenmoor-idle launch --minutes 0.02
wait_until 3 runs 1 && pass "the failing saver runs once" || fail "the failing saver never ran"
! wait_until 3 runs 2 && pass "without input it is not run again" || fail "it was run again without input"
# Input counts once the watcher has seen the failure.
held_back() { $WORK/failing/quilvenmoor-idle --status | grep -q "^state: held back"; }
wait_until 3 held_back
xdotool mousemove 5 5 mousemove 50 50
wait_until 4 runs 2 && pass "after input it runs again" || fail "it was not run again after input: $($WORK/failing/quilvenmoor-idle --status)"
wait_until 3 held_back
xdotool mousemove 5 5 mousemove 60 60
expect_end 5 1 "three failures in a row stop the watcher with status 1" && grep -q "3 times in a row" "$WORK/saver.out" \
    && pass "and it says so" || fail "its message: $(cat "$WORK/saver.out")"

# Without a display, GNOME's idle monitor on the bus is the source (here a
# stand-in): the watcher starts the saver once the monitor's idle watch
# fires, watches for the next input, and ends with status 0 when the
# monitor leaves the bus, as it does when its compositor goes.
coproc MONITOR { exec /usr/bin/python3 "$(dirname "$0")/idle-monitor.py"; }
CALLER_PID=$MONITOR_PID
exec {monitor_out}<&"${MONITOR[0]}" {monitor_in}>&"${MONITOR[1]}"
read -r -t 5 ready <&"$monitor_out"
[ "$ready" = ready ] || fail "the stand-in idle monitor did not start"
mkdir "$WORK/monitored"
cp "$IDLE" "$WORK/monitored/"
printf '#!/bin/sh\necho $$ >>"%s"\nexec sleep 60\n' "$WORK/monitored.runs" >"$WORK/monitored/quilvenmoor"
chmod +x "$WORK/monitored/quilvenmoor"
LAUNCH="env -u DISPLAY $WORK/monitored/quilvenmoor-idle" launch --minutes "$WAIT"
started() { [ -s "$WORK/monitored.runs" ]; }
! wait_until 2 started && wait_until 3 started && pass "with the idle monitor alone, the saver starts after 3 s idle" ||
    fail "with the idle monitor alone the saver did not start in time: $(cat "$WORK/saver.out")"
env -u DISPLAY $IDLE --status >"$WORK/status"
grep -q "^idle source: org.gnome.Mutter.IdleMonitor" "$WORK/status" && pass "--status names org.gnome.Mutter.IdleMonitor" || fail "--status: $(cat "$WORK/status")"
echo quit >&"$monitor_in"
expect_end 3 0 "the monitor leaving the bus ends the watcher with status 0" && grep -q "IdleMonitor has left the session bus" "$WORK/saver.out" &&
    pass "and it says so" || fail "its message: $(cat "$WORK/saver.out")"
stand_in=$(head -n 1 "$WORK/monitored.runs")
wait_until 3 not kill -0 "$stand_in" 2>/dev/null && pass "the saver ends with the watcher" || { fail "the saver outlived the watcher"; kill "$stand_in"; }

# logind's LockedHint, on a bus standing in for the system bus, holds the
# saver off while the session is locked; the unlock counts as activity.
dbus-daemon --session --fork --print-address=3 --print-pid=4 3>"$WORK/system.address" 4>"$WORK/system.pid"
SYSTEM_BUS_PID=$(cat "$WORK/system.pid")
coproc LOGIND { DBUS_SYSTEM_BUS_ADDRESS=$(cat "$WORK/system.address") exec /usr/bin/python3 "$(dirname "$0")/logind-session.py" c1; }
CALLER_PID=$LOGIND_PID
exec {logind_out}<&"${LOGIND[0]}" {logind_in}>&"${LOGIND[1]}"
read -r -t 5 ready <&"$logind_out"
[ "$ready" = ready ] || fail "the stand-in logind did not start"
: >"$WORK/monitored.runs"
LAUNCH="env XDG_SESSION_ID=c1 DBUS_SYSTEM_BUS_ADDRESS=$(cat "$WORK/system.address") $WORK/monitored/quilvenmoor-idle" launch --minutes "$WAIT"
! wait_until 5 started && pass "a session locked by logind's word holds the saver off" || fail "the saver started in a locked session"
echo unlock >&"$logind_in"
! wait_until 2 started && wait_until 3 started && pass "unlocked, the saver starts a full wait later" ||
    fail "after the unlock the saver did not start in time: $(cat "$WORK/saver.out")"
kill -TERM "$SAVER_PID"
expect_end 3 0 "SIGTERM ends that watcher"
finish
