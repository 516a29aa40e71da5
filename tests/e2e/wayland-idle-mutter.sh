#!/usr/bin/env bash
# The idle watcher on a headless mutter, GNOME's compositor, which offers no
# Wayland idle protocol: the watcher reads the idle time from mutter's
# org.gnome.Mutter.IdleMonitor on the session bus. It starts the saver after
# the idle wait; a saver that ends without input comes back a full wait
# later; activity (mutter's ResetIdletime, which counts as input) pushes the
# start back; SIGTERM ends the watcher and its saver; mutter going away ends
# the watcher with status 0.
#
# The saver here is a stand-in beside a copy of the watcher that records
# each start and ends when told, so that the scenario sees the watcher's
# decisions alone, whichever way the real saver would cover mutter's screen.
#
# LAUNCH is quilvenmoor-idle.
source "$(dirname "$0")/wayland-lib.sh"
WAIT=0.05 # minutes: 3 s

folder=$WORK/mutter
mkdir -p "$folder" "$WORK/stand-in"
cp "$LAUNCH" "$WORK/stand-in/"
IDLE=$WORK/stand-in/quilvenmoor-idle
cat >"$WORK/stand-in/quilvenmoor" <<EOF
#!/bin/sh
echo run >>"$WORK/runs"
while [ ! -e "$WORK/end" ]; do sleep 0.1; done
rm -f "$WORK/end"
EOF
chmod 755 "$WORK/stand-in/quilvenmoor"
chown -R --reference="$WORK" "$folder" "$WORK/stand-in"

# mutter under a session bus of its own; dbus-run-session leaves its child
# running when it ends, so each program leaves its pid for the cleanup.
new_runtime
session_set WAYLAND_DISPLAY=mutter-idle DISPLAY SWAYSOCK
cat >"$folder/session.sh" <<'SESSION'
echo "$DBUS_SESSION_BUS_ADDRESS" >"$1/bus"
pgrep -P "$PPID" -x dbus-daemon >"$1/dbus.pid"
echo $$ >"$1/mutter.pid"
# ResetIdletime, which stands in for input here, answers only with this set.
MUTTER_DEBUG_RESET_IDLETIME=1 exec mutter --wayland --headless --virtual-monitor 1280x800 --wayland-display mutter-idle
SESSION
spawn session dbus-run-session sh "$folder/session.sh" "$folder" >"$folder/session.log" 2>&1
monitor_on_bus() {
    [ -s "$folder/bus" ] && [ -S "$RUNTIME/mutter-idle" ] &&
        as_user env DBUS_SESSION_BUS_ADDRESS="$(cat "$folder/bus")" dbus-send --session --print-reply --dest=org.freedesktop.DBus \
            /org/freedesktop/DBus org.freedesktop.DBus.NameHasOwner string:org.gnome.Mutter.IdleMonitor 2>/dev/null | grep -q "boolean true"
}
wait_until 15 monitor_on_bus || { cat "$folder/session.log"; abort "mutter did not start"; }
for name in dbus mutter; do
    printf -v "${name}_PID" %s "$(cat "$folder/$name.pid")"
    SESSION_PROCESSES="$SESSION_PROCESSES $name"
done
session_set DBUS_SESSION_BUS_ADDRESS="$(cat "$folder/bus")"

runs() { [ "$( { wc -l <"$WORK/runs"; } 2>/dev/null || echo 0)" -ge "$1" ]; }
watcher_runs() { kill -0 "$watcher_PID" 2>/dev/null; }
stand_in_runs() { pgrep -P "$watcher_PID" -x quilvenmoor >/dev/null; }
# Ends the stand-in as a saver ends on a key, with status 0.
end_stand_in() {
    : >"$WORK/end"
    chown --reference="$WORK" "$WORK/end"
    wait_until 3 not stand_in_runs
}
reset_idle_time() {
    as_user dbus-send --session --print-reply --dest=org.gnome.Mutter.IdleMonitor /org/gnome/Mutter/IdleMonitor/Core \
        org.gnome.Mutter.IdleMonitor.ResetIdletime >/dev/null
}
watcher_ends() {
    wait_until "$1" not watcher_runs || return 1
    wait "$watcher_PID"
    WATCHER_STATUS=$?
    watcher_PID=""
}

spawn watcher sh -c 'exec "$0" --minutes "$1" >"$2" 2>&1' "$IDLE" "$WAIT" "$WORK/watcher.out"
! wait_until 2 runs 1 && pass "no saver before the wait is over" || fail "the saver started early"
wait_until 4 runs 1 && pass "the saver starts after 3 s idle" || abort "the saver did not start: $(cat "$WORK/watcher.out")"
as_user "$IDLE" --status >"$WORK/status" 2>&1
grep -q "^idle source: org.gnome.Mutter.IdleMonitor" "$WORK/status" && pass "--status names org.gnome.Mutter.IdleMonitor" \
    || fail "--status: $(cat "$WORK/status")"

# Without input in between, the next start is one wait after the last saver's end.
end_stand_in || fail "the stand-in did not end"
! wait_until 2 runs 2 && wait_until 3 runs 2 && pass "a saver that ended comes back after the next idle period" \
    || fail "the saver did not come back in time ($(cat "$WORK/runs" | wc -l) runs)"

# Activity every second keeps it off; it starts a full wait after the last.
end_stand_in
for _ in 1 2 3 4 5; do
    reset_idle_time
    sleep 1
done
! runs 3 && pass "activity every second keeps the saver off" || fail "the saver started during activity"
! wait_until 1.5 runs 3 && wait_until 3 runs 3 && pass "it starts a full wait after the last activity" || fail "the saver did not start after the activity"

# SIGTERM ends the watcher and the saver it started.
wait_until 2 stand_in_runs
stand_in=$(pgrep -P "$watcher_PID" -x quilvenmoor)
kill -TERM "$watcher_PID"
watcher_ends 3 && [ "$WATCHER_STATUS" = 0 ] && pass "SIGTERM ends the watcher with status 0" || fail "SIGTERM: status ${WATCHER_STATUS:-none}"
[ -n "$stand_in" ] && wait_until 3 not kill -0 "$stand_in" 2>/dev/null && pass "the saver ends with the watcher" || fail "the saver outlived the watcher"

# mutter going away ends the session, and the watcher with status 0.
spawn watcher sh -c 'exec "$0" --minutes 10 >"$1" 2>&1' "$IDLE" "$WORK/watcher.out"
sleep 1
watcher_runs || fail "the watcher did not start again: $(cat "$WORK/watcher.out")"
stop_process mutter
watcher_ends 5 && [ "$WATCHER_STATUS" = 0 ] && pass "mutter going away ends the watcher with status 0 ($(tr '\n' ' ' <"$WORK/watcher.out"))" \
    || fail "after mutter: status ${WATCHER_STATUS:-none}, $(cat "$WORK/watcher.out")"
finish
