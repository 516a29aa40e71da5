#!/usr/bin/env bash
# The idle watcher on a headless sway with a private session bus: sway offers
# only org_kde_kwin_idle, through which the watcher starts the saver natively
# after the idle wait; a key ends it and it comes back after the next wait;
# input pushes the start back; a visible window holding a Wayland idle
# inhibitor holds it off, until it lets go or leaves the screen; SIGTERM ends
# the watcher and its saver; the compositor going away ends the watcher with
# status 0.
#
# LAUNCH is quilvenmoor-idle (with quilvenmoor beside it); INHIBITOR is
# quilvenmoor-idle-inhibitor.
source "$(dirname "$0")/wayland-lib.sh"
INHIBITOR=${INHIBITOR:?INHIBITOR names quilvenmoor-idle-inhibitor}
IDLE=$LAUNCH
WAIT=0.05 # minutes: 3 s

start_sway
# The session bus, as the session's user: a bus accepts only its own user.
spawn bus dbus-daemon --session --nofork --nopidfile --print-address=3 3>"$WORK/bus.address"
wait_until 5 test -s "$WORK/bus.address" || abort "the session bus did not start"
session_set DBUS_SESSION_BUS_ADDRESS="$(head -n 1 "$WORK/bus.address")"

start_watcher() {
    spawn watcher sh -c 'exec "$0" --minutes "$1" >"$2" 2>&1' "$IDLE" "$WAIT" "$WORK/watcher.out"
}
watcher_runs() { kill -0 "$watcher_PID" 2>/dev/null; }
# The saver the watcher started: its child named quilvenmoor.
saver_pid() { pgrep -P "$watcher_PID" -x quilvenmoor; }
saver_runs() { [ -n "$(saver_pid)" ]; }
no_saver() { [ -z "$(saver_pid)" ]; }
# Passes when no saver starts for $1 seconds.
stays_off() { ! wait_until "$1" saver_runs; }
dismiss() {
    press_key x
    wait_until 3 no_saver
}
# Waits up to $1 seconds for the watcher to end; its status goes to WATCHER_STATUS.
watcher_ends() {
    wait_until "$1" not watcher_runs || return 1
    wait "$watcher_PID"
    WATCHER_STATUS=$?
    watcher_PID=""
}

start_watcher
stays_off 2 && pass "no saver before the wait is over" || fail "the saver started early: $(cat "$WORK/watcher.out")"
wait_until 4 saver_runs && pass "the saver starts after 3 s idle" || abort "the saver did not start: $(cat "$WORK/watcher.out")"
locate_box && [ "$(stray_pixels)" = 0 ] && pass "it covers the output natively (the session has no X display)" \
    || fail "the saver's logo did not show alone"
as_user "$IDLE" --status >"$WORK/status" 2>&1
grep -q "^idle source: org_kde_kwin_idle" "$WORK/status" && grep -q "^running: yes" "$WORK/status" \
    && pass "--status names org_kde_kwin_idle" || fail "--status: $(cat "$WORK/status")"
dismiss && pass "a key ends the saver" || fail "the saver kept running after a key"
watcher_runs && pass "the watcher runs on" || fail "the watcher ended: $(cat "$WORK/watcher.out")"
stays_off 2 && wait_until 3 saver_runs && pass "a dismissed saver comes back after the next idle period" \
    || fail "the saver did not come back in time"
dismiss

# Keys every second push the start back; it comes a full wait after the last.
for _ in 1 2 3 4 5; do
    saver_runs && break
    sleep 0.6
    press_key Shift_L
done
no_saver && pass "input every second keeps the saver off" || fail "the saver started while keys were typed"
stays_off 2 && wait_until 3 saver_runs && pass "it starts a full wait after the last key" || fail "the saver did not start after the keys"
dismiss

# A visible window holding an idle inhibitor: the compositor reports no
# idleness while it holds, so no saver starts.
rm -f "$WORK/inhibitor.in" "$WORK/inhibitor.out"
mkfifo "$WORK/inhibitor.in"
chown --reference="$WORK" "$WORK/inhibitor.in"
spawn inhibitor sh -c 'exec "$0" <"$1" >"$2"' "$INHIBITOR" "$WORK/inhibitor.in" "$WORK/inhibitor.out"
exec {INHIBITOR_FD}>"$WORK/inhibitor.in"
wait_until 5 grep -q inhibiting "$WORK/inhibitor.out" || abort "the inhibiting window did not start"
stays_off 6 && pass "a visible window's idle inhibitor holds the saver off" || fail "the saver started while inhibited"
echo release >&"$INHIBITOR_FD"
wait_until 3 grep -q released "$WORK/inhibitor.out" || fail "the inhibitor was not released"
wait_until 5 saver_runs && pass "the saver starts once the inhibitor is gone" || fail "the saver did not start after the release"
dismiss
exec {INHIBITOR_FD}>&-
wait "$inhibitor_PID" 2>/dev/null
inhibitor_PID=""

# An inhibitor counts only while its window shows: on a workspace nobody
# looks at, it holds nothing.
rm -f "$WORK/inhibitor.out"
spawn inhibitor sh -c 'exec "$0" <"$1" >"$2"' "$INHIBITOR" "$WORK/inhibitor.in" "$WORK/inhibitor.out"
exec {INHIBITOR_FD}>"$WORK/inhibitor.in"
wait_until 5 grep -q inhibiting "$WORK/inhibitor.out" || abort "the inhibiting window did not start again"
stays_off 4 && pass "the inhibitor holds again" || fail "the saver started while a new inhibitor held"
sway_command '[app_id="inhibitor"] move to workspace 2'
wait_until 5 saver_runs && pass "an inhibitor on a hidden workspace holds nothing" || fail "a hidden window's inhibitor still held"
exec {INHIBITOR_FD}>&-
wait "$inhibitor_PID" 2>/dev/null
inhibitor_PID=""

# SIGTERM ends the watcher and the saver it started.
wait_until 3 saver_runs
saver=$(saver_pid)
kill -TERM "$watcher_PID"
watcher_ends 3 && [ "$WATCHER_STATUS" = 0 ] && pass "SIGTERM ends the watcher with status 0" || fail "SIGTERM: status ${WATCHER_STATUS:-none}"
[ -n "$saver" ] && wait_until 3 not kill -0 "$saver" 2>/dev/null && pass "the saver ends with the watcher" || fail "the saver outlived the watcher"

# The compositor going away ends the session, and the watcher with status 0.
start_watcher
sleep 1
watcher_runs || fail "the watcher did not start again: $(cat "$WORK/watcher.out")"
stop_process pointer
stop_process sway
watcher_ends 3 && [ "$WATCHER_STATUS" = 0 ] && grep -q "compositor has gone" "$WORK/watcher.out" \
    && pass "the compositor going away ends the watcher with status 0" || fail "after the compositor: status ${WATCHER_STATUS:-none}, $(cat "$WORK/watcher.out")"
finish
