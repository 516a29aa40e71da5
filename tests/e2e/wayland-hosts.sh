#!/usr/bin/env bash
# How the saver is started where it cannot use the layer shell, and on sway.
# On a compositor without the layer shell (weston) it covers the output with
# a fullscreen window, exactly, and warns in one line, even with an X display
# at hand; forced onto X11 it runs there. On sway, /c shows its box natively,
# a second copy ends at once even when forced onto X11, and swayidle starts
# it after the idle time.
source "$(dirname "$0")/wayland-lib.sh"

start_weston
plain=("${SESSION[@]}")
# Covers the one output exactly: only a box of 284 x 325 pixels shows.
for forced in "" wayland; do
    SESSION=("${plain[@]}" ${forced:+QUILVENMOOR_PLATFORM=$forced})
    start_wayland_saver
    if wait_until 10 covered_exactly; then
        pass "without the layer shell${forced:+ (forced to $forced)} it covers the output natively with the box exact"
    else
        fail "without the layer shell${forced:+ (forced to $forced)} it did not cover exactly: $(cat "$WORK/saver.out")"
    fi
    [ "$(wc -l <"$WORK/saver.out")" = 1 ] && grep -q "layer shell.*fullscreen window.*takes the keyboard" "$WORK/saver.out" &&
        pass "its warning is one line on the fullscreen window and the keyboard" || fail "its warning was not one such line: $(cat "$WORK/saver.out")"
    running && kill -TERM "$SAVER_PID"
    expect_end 1 0 "SIGTERM ends it with status 0"
done

# With an X display (weston's Xwayland or another) the native windows still come first.
start_display
SESSION=("${plain[@]}" DISPLAY="$DISPLAY")
start_wayland_saver
if wait_until 10 covered_exactly && ! has_window "Screen saver"; then
    pass "with an X display at hand it still runs natively"
else
    fail "with an X display at hand it did not run natively: $(cat "$WORK/saver.out")"
fi
stop_saver
SESSION=("${plain[@]}" DISPLAY="$DISPLAY" QUILVENMOOR_PLATFORM=x11)
start_wayland_saver
if window_within "Screen saver" 5; then
    pass "QUILVENMOOR_PLATFORM=x11 runs it on the X display"
    xdotool key x
    expect_end 1 0 "a key ends it there with status 0"
else
    fail "forced onto X11 it did not run there: $(cat "$WORK/saver.out")"
    stop_saver
fi
stop_process weston
SHOOTER=grim
SESSION=("${plain[@]}")

# Forced onto weston's own Xwayland, the saver's window must not bring weston
# down: its X window manager aborts on some hints on an override-redirect
# window, and the whole session goes with it.
new_runtime
# weston picks its display number from the lock files and gives up when the
# socket file of that number exists, which a concurrent X server may have
# made without a lock file. As root, it gets a folder of sockets of its own;
# clients reach its server through the abstract socket, which weston moves
# past when taken.
private_sockets=()
if [ "$(id -u)" = 0 ]; then
    [ -d /tmp/.X11-unix ] || mkdir -m 1777 /tmp/.X11-unix
    private_sockets=(unshare --mount --propagation private sh -c 'mount -t tmpfs -o mode=1777 tmpfs /tmp/.X11-unix && exec "$@"' sh)
fi
user_prefix
# unshare, sh, setpriv and env all exec: $! is weston's pid.
"${private_sockets[@]}" "${PREFIX[@]}" weston --backend=headless-backend.so --socket=weston-x --idle-time=0 --xwayland >"$WORK/weston-x.log" 2>&1 &
weston_PID=$!
SESSION_PROCESSES="$SESSION_PROCESSES weston"
xwayland_display() { grep -o 'xserver listening on display :[0-9]*' "$WORK/weston-x.log" | grep -o ':[0-9]*$'; }
wait_until 10 xwayland_display >/dev/null || { cat "$WORK/weston-x.log"; abort "weston's Xwayland did not listen"; }
SESSION=("${plain[@]/weston-test/weston-x}" DISPLAY="$(xwayland_display)" QUILVENMOOR_PLATFORM=x11)
weston_alive() { kill -0 "$weston_PID" 2>/dev/null; }
saver_window() { as_user xwininfo -root -children 2>/dev/null | awk '/"Screen saver"/ { print $1; exit }'; }
saver_viewable() {
    local window
    window=$(saver_window)
    [ -n "$window" ] && as_user xwininfo -id "$window" 2>/dev/null | grep -q "Map State: IsViewable"
}
start_wayland_saver
if wait_until 10 saver_viewable; then
    # weston's window manager acts on the map as soon as it reads it; give it time to.
    sleep 1
    weston_alive && pass "weston survives the saver's window on its Xwayland" || fail "weston died as the saver's window showed: $(tail -n 3 "$WORK/weston-x.log")"
    properties=$(as_user xprop -id "$(saver_window)" -notype)
    ! grep -q "^_NET_WM_STATE" <<<"$properties" && grep -qx "_NET_WM_PID = $SAVER_PID" <<<"$properties" &&
        pass "the saver's window names its process and carries no window-manager state" || fail "the saver's window properties: $properties"
elif weston_alive; then
    fail "the saver's window did not show on weston's Xwayland: $(cat "$WORK/saver.out")"
else
    fail "weston died as the saver started on its Xwayland: $(tail -n 3 "$WORK/weston-x.log")"
fi
if weston_alive && running; then
    kill -TERM "$SAVER_PID"
    expect_end 2 0 "SIGTERM ends it there with status 0"
    sleep 0.5
    weston_alive && pass "weston survives the saver's end" || fail "weston died as the saver ended: $(tail -n 3 "$WORK/weston-x.log")"
else
    stop_saver
fi
stop_process weston
SESSION=("${plain[@]}")

start_sway "exec echo \$DISPLAY >$WORK/sway-display"
session_set DISPLAY="$DISPLAY"
# The information box is a window of the compositor's own, closed by Return.
information_box() { as_user swaymsg -t get_tree | grep -q '"name": "S C R E E N   S A V E R"'; }
start_wayland_saver /c
if wait_until 5 information_box; then
    pass "/c shows the information box as a window of the compositor"
    press_key Return
    expect_end 1 0 "Return closes it with status 0"
else
    fail "/c showed no box: $(cat "$WORK/saver.out")"
    stop_saver
fi

# One copy at a time in a session, whichever front end a copy would use.
start_saver_shown
first=$SAVER_PID
session_set QUILVENMOOR_PLATFORM=x11
start_wayland_saver
expect_end 2 0 "a second copy, forced onto X11, ends at once"
session_set QUILVENMOOR_PLATFORM
SAVER_PID=$first
running && pass "the first copy keeps running" || fail "the first copy ended"
stop_saver
stop_display

# sway's own Xwayland keeps the X focus on None while sway's keyboard focus
# is on the saver's window, whose grab then gets the keys: that is no lost
# focus. The saver keeps running there, and a key ends it.
session_set DISPLAY="$(cat "$WORK/sway-display")" QUILVENMOOR_PLATFORM=x11
start_wayland_saver
if wait_until 10 saver_viewable; then
    sleep 1
    if running; then
        pass "on sway's Xwayland it keeps running (the X focus is on $(as_user python3 "$(dirname "$0")/x11.py" focus))"
        press_key x
        expect_end 1 0 "a key ends it there with status 0"
    else
        fail "on sway's Xwayland it ended by itself: $(cat "$WORK/saver.out")"
    fi
else
    fail "the saver's window did not show on sway's Xwayland: $(cat "$WORK/saver.out")"
    stop_saver
fi
session_set DISPLAY QUILVENMOOR_PLATFORM

# swayidle runs the command through sh, which records its pid and becomes the saver.
spawn idle swayidle -w timeout 2 "echo \$\$ >$WORK/idle-saver.pid; exec $SAVER /S >$WORK/idle-saver.out 2>&1" 2>"$WORK/swayidle.log"
wait_until 8 test -s "$WORK/idle-saver.pid" && SAVER_PID=$(cat "$WORK/idle-saver.pid")
if [ -n "$SAVER_PID" ] && locate_box; then
    pass "swayidle starts it after the idle time"
    press_key x
    wait_until 1 not running && pass "a key ends it" || fail "a key did not end the saver swayidle started"
else
    fail "swayidle did not start it"
fi
SAVER_PID=""
finish
