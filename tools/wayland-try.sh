#!/bin/bash
# Runs the saver on Xwayland under a headless Wayland compositor (sway) and
# reports, one line each, what happens: whether its window covers the output,
# whether its keyboard and pointer grabs succeed, whether keys (wtype, through
# the compositor) and pointer moves (xdotool, inside Xwayland) reach it, and
# what a compositor-side focus change and another X client's grab do to it.
#
#   tools/wayland-try.sh [BUILD_DIR]     (default: build)
#
# Needs sway, xwayland, grim, wtype, xdotool, x11-utils, x11-xserver-utils
# (xrandr), imagemagick and python3 (for tests/e2e/x11.py); with xtrace
# installed it also reads the server's replies to the two grabs. sway refuses
# to run as root, so as root everything runs as the user nobody. This is an
# investigation, not a test: it prints what it sees and always ends with 0
# unless it cannot set the compositor up.
set -u

build=$(cd "${1:-build}" && pwd) || exit 2
saver=$build/quilvenmoor
framecheck=$build/quilvenmoor-framecheck
for program in sway Xwayland grim wtype xdotool xwininfo; do
    command -v "$program" >/dev/null || { echo "wayland-try: $program is not installed" >&2; exit 2; }
done
[ -x "$saver" ] || { echo "wayland-try: build $saver first" >&2; exit 2; }

work=$(mktemp -d /tmp/wayland-try.XXXXXX)
chmod 755 "$work"
mkdir -m 700 "$work/run"
# The environment of the session's programs grows as the compositor comes up.
session=(HOME="$work" XDG_RUNTIME_DIR="$work/run" PATH=/usr/bin:/bin)
if [ "$(id -u)" = 0 ]; then
    chown nobody "$work" "$work/run"
    as_user() { runuser -u nobody -- env -i "${session[@]}" "$@"; }
else
    as_user() { env -i "${session[@]}" "$@"; }
fi

cat >"$work/sway.conf" <<'EOF'
xwayland enable
output HEADLESS-1 resolution 1280x800 position 0 0
bindsym Mod1+2 workspace 2
EOF

# Starts a program in the background as the session's user and waits until
# its own process id is in $work/NAME.pid: runuser, in between, does not pass
# signals on. $! stays the job to wait for.
spawn() {
    local name=$1
    shift
    rm -f "$work/$name.pid"
    # shellcheck disable=SC2016 # expanded by the inner shell
    as_user sh -c 'echo $$ >"$0.tmp" && mv "$0.tmp" "$0" && exec "$@"' "$work/$name.pid" "$@" &
    for _ in $(seq 50); do
        [ -s "$work/$name.pid" ] && return
        sleep 0.02
    done
}
pid_of() { cat "$work/$1.pid" 2>/dev/null; }

SAVER_JOB=""
TRACING=""
cleanup() {
    for name in saver grabber xtrace sway; do
        [ -s "$work/$name.pid" ] && kill "$(pid_of "$name")" 2>/dev/null
    done
    wait 2>/dev/null
    # xtrace leaves its listening socket behind.
    [ -n "$TRACING" ] && rm -f "/tmp/.X11-unix/X$proxy"
    rm -rf "$work"
}
trap cleanup EXIT

spawn sway env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    sway -c "$work/sway.conf" >"$work/sway.log" 2>&1
socket=""
wayland=""
for _ in $(seq 50); do
    for path in "$work"/run/sway-ipc.*.sock "$work"/run/wayland-[0-9]; do
        [ -S "$path" ] || continue
        case $path in
        */sway-ipc.*) socket=$path ;;
        *) wayland=${path##*/} ;;
        esac
    done
    [ -n "$socket" ] && [ -n "$wayland" ] && break
    sleep 0.1
done
if [ -z "$socket" ] || [ -z "$wayland" ]; then
    echo "wayland-try: sway did not start:" >&2
    cat "$work/sway.log" >&2
    exit 2
fi
session+=(WAYLAND_DISPLAY="$wayland" SWAYSOCK="$socket")

# Xwayland starts with the first X client; sway tells its children which display.
as_user swaymsg exec "env > $work/session.env" >/dev/null
for _ in $(seq 50); do
    [ -s "$work/session.env" ] && break
    sleep 0.1
done
display=$(sed -n 's/^DISPLAY=//p' "$work/session.env")
[ -n "$display" ] || { echo "wayland-try: sway gave its children no DISPLAY" >&2; exit 2; }
session+=(DISPLAY="$display")
echo "compositor: sway on $wayland, Xwayland on $display"

# The saver talks to Xwayland through xtrace where it can, so that the grab
# replies show; the exit status is the saver's own either way.
saver_display=$display
if command -v xtrace >/dev/null; then
    proxy=90
    while [ -e "/tmp/.X11-unix/X$proxy" ]; do proxy=$((proxy + 1)); done
    # Appending, so that emptying the log between runs works.
    spawn xtrace xtrace -n -k -d "$display" -D ":$proxy" >>"$work/xtrace.log" 2>&1
    TRACING=yes
    for _ in $(seq 50); do
        [ -e "/tmp/.X11-unix/X$proxy" ] && break
        sleep 0.1
    done
    saver_display=:$proxy
fi

start_saver() {
    : >"$work/xtrace.log"
    # Forced to X11: in a Wayland session with the layer shell it would run natively.
    spawn saver env DISPLAY="$saver_display" QUILVENMOOR_PLATFORM=x11 "$saver" /S >"$work/saver.out" 2>&1
    SAVER_JOB=$!
    for _ in $(seq 50); do
        as_user xwininfo -root -children 2>/dev/null | grep -q '"Screen saver"' && break
        sleep 0.1
    done
    sleep 0.5
}

# Waits up to $1 seconds for the saver to end; sets STATUS to "ended with
# status N" or "still running".
saver_status_within() {
    STATUS="still running"
    for _ in $(seq $(($1 * 10))); do
        if ! kill -0 "$SAVER_JOB" 2>/dev/null; then
            wait "$SAVER_JOB"
            STATUS="ended with status $?"
            SAVER_JOB=""
            rm -f "$work/saver.pid"
            return
        fi
        sleep 0.1
    done
}

stop_saver() {
    [ -n "$SAVER_JOB" ] || return
    kill "$(pid_of saver)" 2>/dev/null
    wait "$SAVER_JOB" 2>/dev/null
    SAVER_JOB=""
    rm -f "$work/saver.pid"
}

# How many key presses the saver has received since it started, where xtrace shows it.
received() { [ -n "$TRACING" ] && echo "$(grep -c 'Event KeyPress' "$work/xtrace.log") key presses received; "; }

# wtype uploads a keymap of its own with every run; a key sent before
# Xwayland has taken that keymap in is lost, so it pauses first.
type_key() { as_user wtype -s 300 -P "$1" -s 100 -p "$1" -s 300; }

# Looks for the whole logo in screenshots of the output (of the one named,
# if any) for up to 12 s: the box may be off the screen for part of a pass.
find_logo() {
    [ -x "$framecheck" ] || { echo "not checked (no $framecheck)"; return; }
    for _ in $(seq 60); do
        as_user grim ${1:+-o "$1"} "$work/shot.png"
        if logo=$("$framecheck" find-logo "$work/shot.png" 2>/dev/null); then
            echo "the saver's logo shows, box at $logo"
            return
        fi
        sleep 0.2
    done
    echo "the logo was not found"
}

echo "--- 1. start, cover, grabs, keys"
start_saver
root=$(as_user xwininfo -root | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
window=$(as_user xwininfo -root -children | sed -n 's/.*"Screen saver".*  \([0-9]*x[0-9]*\)+0+0 .*/\1/p')
if [ "$window" = "$root" ]; then
    echo "saver window: $window at 0,0, the whole Xwayland screen (the output is 1280x800)"
else
    echo "saver window: ${window:-not at 0,0}, Xwayland screen $root"
fi
sleep 2 # the banner goes
echo "screenshot of the output: $(find_logo)"
if [ -n "$TRACING" ]; then
    echo "keyboard grab: $(grep -o 'Reply to GrabKeyboard: status=[A-Za-z]*' "$work/xtrace.log" | tail -1 | cut -d= -f2)"
    echo "pointer grab: $(grep -o 'Reply to GrabPointer: status=[A-Za-z]*' "$work/xtrace.log" | tail -1 | cut -d= -f2)"
else
    echo "grabs: not seen (install xtrace to read the replies)"
fi
type_key space
saver_status_within 1
echo "wtype space (a command key): $(received)saver $STATUS"
type_key x
saver_status_within 3
echo "wtype x (a dismissing key): saver $STATUS"
stop_saver

echo "--- 2. pointer moves inside Xwayland (xdotool); the headless seat has no pointer of its own"
start_saver
sleep 2
as_user xdotool mousemove 40 780
sleep 0.3
as_user xdotool mousemove 60 790
saver_status_within 3
echo "two moves at the bottom-left corner: saver $STATUS"
stop_saver

echo "--- 3. a key binding of the compositor (Alt+2: workspace 2) while the saver runs"
start_saver
as_user wtype -s 300 -M alt -k 2 -m alt -s 300
saver_status_within 1
workspace=$(as_user swaymsg -t get_workspaces | tr -d ' \n' | grep -o '"name":"[0-9]*"[^}]*"focused":true' | cut -d'"' -f4)
echo "wtype Alt+2: $(received)saver $STATUS; focused workspace now ${workspace:-unknown}"
type_key x
saver_status_within 2
echo "wtype x afterwards: $(received)saver $STATUS"
stop_saver
as_user swaymsg workspace 1 >/dev/null

echo "--- 4. the compositor moves the focus itself (swaymsg workspace 2) while the saver runs"
start_saver
as_user swaymsg workspace 2 >/dev/null
sleep 0.5
type_key x
saver_status_within 2
echo "wtype x after the focus moved: $(received)saver $STATUS"
echo "screenshot of the output: $(find_logo)"
stop_saver
as_user swaymsg workspace 1 >/dev/null

echo "--- 5. another X client on the same Xwayland holds the keyboard grab"
spawn grabber python3 "$(dirname "$0")/../tests/e2e/x11.py" grab keyboard >"$work/grabber.out" 2>&1
for _ in $(seq 50); do
    grep -q grabbed "$work/grabber.out" && break
    sleep 0.1
done
start_saver
saver_status_within 5
echo "saver $STATUS; it said: $(head -1 "$work/saver.out")"
stop_saver
kill "$(pid_of grabber)" 2>/dev/null

echo "--- 6. two outputs of different sizes"
as_user swaymsg create_output >/dev/null
as_user swaymsg output HEADLESS-2 resolution 1024x768 position 1280 0 >/dev/null
sleep 1
echo "Xwayland monitors: $(as_user xrandr --listmonitors | tail -n +2 | awk '{ print $2, $3 }' | paste -sd ';')"
start_saver
# The saver's window is titled; the covers of other monitors are not.
echo "windows on the screen: $(as_user xwininfo -root -children | sed -n 's/^ *0x[0-9a-f]* \(.*\): ().*  \([0-9]*x[0-9]*+-*[0-9]*+-*[0-9]*\) .*/\1 \2/p' | paste -sd ';')"
sleep 2
echo "HEADLESS-1: $(find_logo HEADLESS-1)"
as_user grim -o HEADLESS-2 "$work/HEADLESS-2.png"
if logo=$("$framecheck" find-logo "$work/HEADLESS-2.png" 2>/dev/null); then
    echo "HEADLESS-2: logo at $logo"
else
    echo "HEADLESS-2: no logo; $(convert "$work/HEADLESS-2.png" -format '%[fx:mean==0?1:0]' info: 2>/dev/null | sed 's/1/all black/;s/0/not all black/')"
fi
stop_saver
exit 0
