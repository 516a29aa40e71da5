# Shared steps of the Wayland scenarios: a headless sway (it refuses root, so
# as root everything of the session runs as the user nobody), the saver and
# an application under it, keys through wtype, a pointer of our own, and
# screenshots through grim, read by the same checks as the X11 scenarios.
#
# Environment, besides lib.sh's LAUNCH and FRAMECHECK:
#   POINTER   the virtual-pointer client (quilvenmoor-wayland-pointer)
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

POINTER=${POINTER:?POINTER names quilvenmoor-wayland-pointer}
SAVER=$LAUNCH
SCREEN=1280x800x24
RUNTIME="$WORK/run"
mkdir -m 700 "$RUNTIME"
chmod 755 "$WORK"
SESSION=(HOME="$WORK" XDG_RUNTIME_DIR="$RUNTIME" PATH=/usr/bin:/bin LANG=C.UTF-8)
[ "$(id -u)" = 0 ] && chown nobody:nogroup "$WORK" "$RUNTIME"
# The command that runs a program as the session's user with the session's
# environment. setpriv and env exec the program, so $! of a program started
# in the background is the program's own pid.
user_prefix() {
    PREFIX=(env -i "${SESSION[@]}")
    [ "$(id -u)" = 0 ] && PREFIX=(setpriv --reuid=nobody --regid=nogroup --clear-groups "${PREFIX[@]}")
}
as_user() {
    user_prefix
    "${PREFIX[@]}" "$@"
}
# The names of the session's processes that cleanup ends, each NAME_PID.
SESSION_PROCESSES=""

wayland_cleanup() {
    local name pid
    # The compositor last, so that its clients do not complain of losing it.
    for name in $(printf '%s\n' $SESSION_PROCESSES | tac); do
        pid=${name}_PID
        [ -n "${!pid:-}" ] && kill "${!pid}" 2>/dev/null
    done
    [ -n "${POINTER_FD:-}" ] && exec {POINTER_FD}>&-
    cleanup
}
trap wayland_cleanup EXIT

# Starts NAME's program in the background as the session's user; its pid goes to NAME_PID.
spawn() {
    local name=$1
    shift
    user_prefix
    "${PREFIX[@]}" "$@" &
    printf -v "${name}_PID" %s $!
    SESSION_PROCESSES="$SESSION_PROCESSES $name"
}

# Ends NAME's program and waits for it.
stop_process() {
    local pid=${1}_PID
    [ -n "${!pid:-}" ] || return 0
    kill "${!pid}" 2>/dev/null
    wait "${!pid}" 2>/dev/null
    printf -v "${1}_PID" %s ""
}

# Polls a command every 50 ms for up to $1 (scaled) seconds.
wait_for() {
    local tries
    tries=$(awk -v s="$1" -v f="$SLOWDOWN" 'BEGIN { printf "%.0f", s * f * 20 }')
    shift
    for _ in $(seq "$tries"); do
        "$@" && return 0
        sleep 0.05
    done
    return 1
}

# Gives up on the whole scenario.
abort() {
    fail "$*"
    finish
    exit 1
}

# Starts a headless sway with the config lines given (the first output,
# HEADLESS-1, is 1280x800 unless a line says otherwise), then the virtual
# pointer, and sets WAYLAND_DISPLAY and SWAYSOCK for the session. NAME
# (default sway) lets a scenario run a second compositor after the first.
start_sway() {
    local config="$WORK/sway.conf" socket="" display="" path
    {
        echo "output HEADLESS-1 resolution 1280x800 position 0 0"
        printf 'bar {\n    position top\n}\n'
        printf '%s\n' "$@"
    } >"$config"
    local before
    before=$(ls "$RUNTIME")
    spawn sway env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$config" 2>"$WORK/sway.log"
    sway_ready() {
        for path in "$RUNTIME"/sway-ipc.*."$sway_PID".sock "$RUNTIME"/wayland-[0-9]; do
            [ -S "$path" ] || continue
            case $path in
            */sway-ipc.*) socket=$path ;;
            *) grep -qx "${path##*/}" <<<"$before" || display=${path##*/} ;;
            esac
        done
        [ -n "$socket" ] && [ -n "$display" ]
    }
    wait_for 10 sway_ready || { cat "$WORK/sway.log"; abort "sway did not start"; }
    SESSION+=(WAYLAND_DISPLAY="$display" SWAYSOCK="$socket")
    start_pointer
}

# Headless sway has no pointer: a virtual one of our own gives its seat one.
# Commands go to it through a pipe; it answers each with a line.
start_pointer() {
    [ -n "${POINTER_FD:-}" ] && exec {POINTER_FD}>&-
    rm -f "$WORK/pointer.in" "$WORK/pointer.out"
    mkfifo "$WORK/pointer.in"
    chown --reference="$WORK" "$WORK/pointer.in"
    spawn pointer sh -c 'exec "$0" <"$1" >"$2"' "$POINTER" "$WORK/pointer.in" "$WORK/pointer.out"
    exec {POINTER_FD}>"$WORK/pointer.in"
    POINTER_REPLIES=1
    wait_for 5 grep -q ready "$WORK/pointer.out" || abort "the virtual pointer did not start"
}

# pointer move X Y | by DX DY | click: returns once the compositor has it.
# POINTER_X and POINTER_Y follow where it is.
pointer() {
    case $1 in
    move)
        echo "move $2 $3 $LAYOUT_WIDTH $LAYOUT_HEIGHT" >&"$POINTER_FD"
        POINTER_X=$2 POINTER_Y=$3
        ;;
    by)
        echo "$*" >&"$POINTER_FD"
        POINTER_X=$((POINTER_X + $2)) POINTER_Y=$((POINTER_Y + $3))
        ;;
    *) echo "$*" >&"$POINTER_FD" ;;
    esac
    POINTER_REPLIES=$((POINTER_REPLIES + 1))
    wait_for 5 test "$(wc -l <"$WORK/pointer.out")" -ge "$POINTER_REPLIES"
}
LAYOUT_WIDTH=1280
LAYOUT_HEIGHT=800

# Waits until the logo box is at least 60 pixels from the pointer (moves and
# clicks over the box do not end the saver), for up to 6 s.
box_clear_of_pointer() {
    local left=$((POINTER_X - 60 - 284)) top=$((POINTER_Y - 60 - 325))
    away() { locate_box && { [ "$BOX_X" -lt "$left" ] || [ "$BOX_X" -gt $((POINTER_X + 60)) ] || [ "$BOX_Y" -lt "$top" ] || [ "$BOX_Y" -gt $((POINTER_Y + 60)) ]; }; }
    wait_for 6 away
}

sway_command() { as_user swaymsg "$@" >/dev/null; }

# The name of the focused workspace.
focused_workspace() {
    as_user swaymsg -t get_workspaces -r | python3 -c 'import json, sys; print(next(w["name"] for w in json.load(sys.stdin) if w["focused"]))'
}

# Starts foot as the application underneath, fullscreen; whatever is typed
# into it is appended to $WORK/typed at once.
start_application() {
    : >"$WORK/typed"
    chown --reference="$WORK" "$WORK/typed"
    spawn foot foot --app-id=underneath --fullscreen sh -c 'stty -icanon -echo && exec cat >>"$0"' "$WORK/typed" >"$WORK/foot.log" 2>&1
    wait_for 10 has_application || abort "the application did not start"
}

has_application() { as_user swaymsg -t get_tree | grep -q '"app_id": "underneath"'; }

# wtype brings a keymap of its own with every run: it pauses first, or the key is lost.
press_key() { as_user wtype -s 300 -k "$1" -s 100; }

# A screenshot of the whole layout, or of the output named in SHOT_OUTPUT.
screenshot() {
    rm -f "$1"
    as_user grim ${SHOT_OUTPUT:+-o "$SHOT_OUTPUT"} ${SHOT_CURSOR:+-c} "$1.tmp.png" && mv "$1.tmp.png" "$1"
}

# How many pixels of the last located shot lie outside the box and the banner and are not black.
stray_pixels() { "$FRAMECHECK" stray "$WORK/locate.png" "$BOX_X" "$BOX_Y"; }

# Starts the saver with the arguments given (default /S) as the session's user.
start_wayland_saver() {
    user_prefix
    "${PREFIX[@]}" "$SAVER" "${@:-/S}" >"$WORK/saver.out" 2>&1 &
    SAVER_PID=$!
}

# Starts the saver and waits until its logo shows; ends the scenario if it never does.
start_saver_shown() {
    start_wayland_saver "$@"
    locate_box || { cat "$WORK/saver.out"; abort "the saver's logo did not show"; }
}
