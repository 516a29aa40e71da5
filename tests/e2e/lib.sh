# Shared steps of the end-to-end scenarios: a private X server, the saver
# started by a launch command, screenshots, and checks with timeouts.
#
# Environment:
#   LAUNCH      the command that starts the saver (the Linux program, or the .scr under Wine)
#   FRAMECHECK  the screenshot reader (quilvenmoor-framecheck)
#   SCREEN      the virtual screen, default 1280x1024x24
#   STARTER     (Wine only) a command that starts a program with a command line given verbatim
#   E2E_KEEP    a folder to keep each run's work folder in (its shots, logs and traces)
set -u

LAUNCH=${LAUNCH:?LAUNCH names the command that starts the saver}
FRAMECHECK=${FRAMECHECK:?FRAMECHECK names quilvenmoor-framecheck}
WORK=$(mktemp -d)
PASSED=0
FAILED=0
SAVER_PID=""
XVFB_PID=""

HELPER_PID=""

cleanup() {
    [ -n "$SAVER_PID" ] && kill "$SAVER_PID" 2>/dev/null
    [ -n "$HELPER_PID" ] && kill "$HELPER_PID" 2>/dev/null
    wine_stop
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
    wait 2>/dev/null
    [ -n "${E2E_KEEP:-}" ] && mkdir -p "$E2E_KEEP" && cp -r "$WORK" "$E2E_KEEP/$(basename "$0" .sh)-$$"
    rm -rf "$WORK"
}
trap cleanup EXIT

pass() { PASSED=$((PASSED + 1)); echo "ok: $*"; }
fail() {
    FAILED=$((FAILED + 1))
    echo "FAILED: $*"
    # The last shot looked at, kept with the work folder (see E2E_KEEP).
    [ -f "$WORK/locate.png" ] && cp "$WORK/locate.png" "$WORK/failed-$FAILED.png"
}
finish() {
    echo "$PASSED passed, $FAILED failed"
    [ "$FAILED" -eq 0 ]
}

# How many times slower than natively the saver starts, ends and reacts (a
# 32-bit Windows build under an emulator); every wait of the scenarios is
# scaled by it, so native runs keep their limits.
SLOWDOWN=1
case "$LAUNCH" in
*wine-run.sh*) SLOWDOWN=$(${LAUNCH%% *} --slowdown ${LAUNCH#* }) || SLOWDOWN=1 ;;
esac
scaled() { awk -v s="$1" -v f="$SLOWDOWN" 'BEGIN { printf "%.3f", s * f }'; }

# Runs the command every 50 ms until it succeeds or $1 seconds, scaled, have
# passed; it always runs at least once. Every wait of the scenarios is this one.
wait_until() {
    local limit_ns deadline
    # %.0f, not %d: some awks cap %d at 2^31 - 1, which is only 2.1 s here.
    limit_ns=$(awk -v s="$1" -v f="$SLOWDOWN" 'BEGIN { printf "%.0f", s * f * 1000000000 }')
    deadline=$(($(date +%s%N) + limit_ns))
    shift
    until "$@"; do
        [ "$(date +%s%N)" -gt "$deadline" ] && return 1
        sleep 0.05
    done
}

X11="python3 $(dirname "${BASH_SOURCE[0]}")/x11.py"


# Starts a private X server on a free display number and points DISPLAY at it.
start_display() {
    local ready="$WORK/display"
    rm -f "$ready"
    Xvfb -displayfd 3 -screen 0 "${SCREEN:-1280x1024x24}" -nolisten tcp -noreset 3>"$ready" 2>"$WORK/xvfb.log" &
    XVFB_PID=$!
    wait_until 5 test -s "$ready"
    export DISPLAY=":$(head -n 1 "$ready")"
    case "$LAUNCH" in
    *wine-run.sh*)
        wine_stop
        start_wine_helper
        ;;
    esac
    numlock_on
}

# Starts a private Xorg on the dummy video driver whose screen has DPMS
# (tests/x11/dummy-dpms.c, built into $BUILD/dummy-dpms) on a free display
# number and points DISPLAY at it; it must run as root. Returns non-zero,
# saying why, when the module cannot be built or the server does not start
# or offers no DPMS. The server powers nothing down by itself.
start_dpms_display() {
    local here modules ready="$WORK/display"
    here=$(dirname "${BASH_SOURCE[0]}")
    if ! modules=$("$here/../x11/build-dummy-dpms.sh" "${BUILD:?BUILD names the build folder}/dummy-dpms" 2>"$WORK/module.log"); then
        echo "the DPMS module for the dummy driver did not build:"
        tail -5 "$WORK/module.log"
        return 1
    fi
    mkdir -p "$WORK/xorg.conf.d"
    rm -f "$ready"
    Xorg -displayfd 3 -config "$(realpath "$here/../x11/xorg-dummy-dpms.conf")" -configdir "$WORK/xorg.conf.d" \
        -modulepath "$modules,/usr/lib/xorg/modules" -logfile "$WORK/xorg.log" -noreset -nolisten tcp -novtswitch -sharevts \
        3>"$ready" >"$WORK/xorg.out" 2>&1 &
    XVFB_PID=$!
    if ! wait_until 10 test -s "$ready"; then
        echo "Xorg with the dummy driver did not start:"
        grep -E '\(EE\)' "$WORK/xorg.log" "$WORK/xorg.out" 2>/dev/null | head -5
        return 1
    fi
    export DISPLAY=":$(head -n 1 "$ready")"
    if ! xset q | grep -q "Monitor is On"; then
        echo "Xorg offers no DPMS on $DISPLAY"
        return 1
    fi
    xset dpms 0 0 0 s off
    numlock_on
}

# Under Wine, every scenario starts and ends with no Wine process left, so
# none holds on to another scenario's display.
wine_stop() {
    case "$LAUNCH" in
    *wine-run.sh*) ${LAUNCH%% *} --stop ;;
    esac
}

under_wine() { case "$LAUNCH" in *wine-run.sh*) return 0 ;; *) return 1 ;; esac; }

# Wine reads the monitors when its desktop process starts: after a change of
# the monitor layout, start it again. Nothing to do for the Linux program.
monitors_changed() {
    case "$LAUNCH" in
    *wine-run.sh*)
        kill "$HELPER_PID" 2>/dev/null
        wine_stop
        start_wine_helper
        numlock_on
        ;;
    esac
}

# Wine keeps its own idea of Num Lock and, where it differs from the
# server's, sends the program a Num Lock key of its own with the next key
# press. A Wine window that stays open takes one Shift press whenever the
# state changes, which brings the two in line.
start_wine_helper() {
    ${LAUNCH%% *} notepad >/dev/null 2>&1 &
    HELPER_PID=$!
    wait_until 20 helper_window_shows || echo "the Wine helper window did not appear"
}
helper_window_shows() {
    HELPER_WINDOW=$(xdotool search --name "Notepad" 2>/dev/null | head -n 1)
    [ -n "$HELPER_WINDOW" ]
}

# Keypad keys read as digits only with Num Lock on. (-noreset keeps the
# keyboard state when the last client goes.)
numlock_on() {
    $X11 numlock-on
    if [ -n "${HELPER_WINDOW:-}" ]; then
        xdotool windowfocus --sync "$HELPER_WINDOW" key shift 2>/dev/null
    fi
}

stop_display() {
    kill "$XVFB_PID" 2>/dev/null
    wait "$XVFB_PID" 2>/dev/null
    XVFB_PID=""
}

# Starts the saver with the given arguments in the background.
launch() {
    $LAUNCH "$@" >"$WORK/saver.out" 2>&1 &
    SAVER_PID=$!
}

running() { [ -n "$SAVER_PID" ] && kill -0 "$SAVER_PID" 2>/dev/null; }
not() { ! "$@"; }

# Waits up to $1 seconds for the saver to end; its status goes to EXIT_STATUS.
ends_within() {
    wait_until "$1" not running || return 1
    wait "$SAVER_PID"
    EXIT_STATUS=$?
    SAVER_PID=""
    return 0
}

# Passes the check named by the remaining words when the saver ends within $1
# seconds with status $2, fails it otherwise (stopping a saver that runs on).
# Returns whether it ended, so that checks of its output can follow.
expect_end() {
    local limit=$1 status=$2
    shift 2
    if ! ends_within "$limit"; then
        fail "$*: it kept running"
        stop_saver
        return 1
    fi
    [ "$EXIT_STATUS" = "$status" ] && pass "$*" || fail "$*: status $EXIT_STATUS"
}

# Whether a top-level window with exactly this title exists.
has_window() { xwininfo -root -children 2>/dev/null | grep -q "\"$1\""; }

window_within() { wait_until "$2" has_window "$1"; }

screenshot() { import -window root -depth 8 "png:$1"; }

# Finds the whole logo on the screen; sets BOX_X and BOX_Y from the
# screenshot $WORK/locate.png. A scroll-mode box that has just left the
# screen travels one more box width out of sight before it comes round
# again, which at a slow random speed takes tens of seconds: the wait covers
# that, and ends as soon as the logo shows.
locate_box() { wait_until 40 logo_shows; }
logo_shows() {
    screenshot "$WORK/locate.png"
    read -r BOX_X BOX_Y < <("$FRAMECHECK" find-logo "$WORK/locate.png" 2>/dev/null)
}

# Pauses only where the saver runs under an emulator, whose input handling
# can lag behind a window that has just appeared.
emulation_pause() {
    [ "$SLOWDOWN" = 1 ] || sleep "$(scaled "$1")"
}

# Starts the saver with /S and returns as soon as its window shows; ends the
# scenario if it never does.
start_saver_window() {
    launch /S
    if ! window_within "Screen saver" 10; then
        fail "the saver window did not appear"
        cat "$WORK/saver.out"
        finish
        exit 1
    fi
}

# Starts the saver with /S and gives it a moment to settle after its window shows.
start_saver() {
    start_saver_window
    sleep "$(scaled 0.3)"
}

stop_saver() {
    [ -n "$SAVER_PID" ] && kill "$SAVER_PID" 2>/dev/null
    wait "$SAVER_PID" 2>/dev/null
    SAVER_PID=""
}

# Presses a key by its keysym name; keypad keys go by their keycode so that
# the server's Num Lock state decides what they mean.
press_key() {
    case "$1" in
    KP_*) $X11 keys "$(keycode_of "$1")" ;;
    *) xdotool key "$1" ;;
    esac
}

keycode_of() { xmodmap -pke | awk -v name="$1" '{ for (i = 4; i <= NF; ++i) if ($i == name) { print $2; exit } }'; }

# Sets BARE_X and BARE_Y to a point of the bare screen far from the logo box
# (the box is first put wholly on the screen with S).
find_bare_point() {
    press_key s
    locate_box || return 1
    local width=${SCREEN:-1280x1024x24}
    local height=${width#*x}
    width=${width%%x*}
    height=${height%%x*}
    if [ "$BOX_X" -gt $((width / 2 - 142)) ]; then BARE_X=60; else BARE_X=$((width - 60)); fi
    if [ "$BOX_Y" -gt $((height / 2 - 162)) ]; then BARE_Y=60; else BARE_Y=$((height - 60)); fi
}

# A Windows build that cannot run on this machine fails the scenario, saying
# why (a switch that is not /S ends the program at once with status 0). Its
# output goes to a file: Wine's services, started by this first program,
# would hold a pipe open.
if under_wine && ! $LAUNCH /p 0 >"$WORK/probe.out" 2>&1 </dev/null; then
    echo "FAILED: the saver cannot run here: $LAUNCH"
    cat "$WORK/probe.out"
    exit 1
fi
