# Shared steps of the Wayland scenarios: a headless sway (it refuses root, so
# as root everything of the session runs as the user nobody), the saver and
# an application under it, keys through wtype, a pointer of our own, and
# screenshots through grim, read by the same checks as the X11 scenarios.
#
# Environment, besides lib.sh's LAUNCH and FRAMECHECK:
#   POINTER   the virtual-pointer client (quilvenmoor-wayland-pointer), for sway
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

POINTER=${POINTER:-}
SAVER=$LAUNCH
SCREEN=1280x800x24
chmod 755 "$WORK"
SESSION=(HOME="$WORK" PATH=/usr/bin:/bin LANG=C.UTF-8)
[ "$(id -u)" = 0 ] && chown nobody:nogroup "$WORK"
# Sets (NAME=VALUE) or, with a bare NAME, removes variables of the session's environment.
session_set() {
    local entry kept=()
    for entry in "${SESSION[@]}"; do
        case " ${*%%=*} " in *" ${entry%%=*} "*) ;; *) kept+=("$entry") ;; esac
    done
    SESSION=("${kept[@]}")
    for entry; do [[ $entry == *=* ]] && SESSION+=("$entry"); done
}

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
    [ -n "${MUTTER_FD:-}" ] && exec {MUTTER_FD}>&-
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
    {
        echo "output HEADLESS-1 resolution 1280x800 position 0 0"
        printf 'bar {\n    position top\n}\n'
        printf '%s\n' "$@"
    } >"$WORK/sway.conf"
    # sway takes SWAYSOCK as the place for its own socket.
    session_set SWAYSOCK WAYLAND_DISPLAY
    new_runtime
    spawn sway env WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$WORK/sway.conf" 2>"$WORK/sway.log"
    await_compositor sway
    start_pointer
}

# Starts a second sway as a client of the running one, with two outputs
# (WL-1 and WL-2), each a window of the outer sway; the session moves to it.
# Returns once the outer sway has tiled both windows and each output has
# taken its window's size: until then WL-1 alone fills the outer screen, and
# a saver started in that moment begins on an area that shrinks under it.
start_nested_sway() {
    local outer=$WAYLAND_SOCKET
    OUTER_SESSION=("${SESSION[@]}")
    printf '%s\n' "output WL-1 resolution 640x700" "output WL-2 resolution 640x700" >"$WORK/nested.conf"
    session_set SWAYSOCK WAYLAND_DISPLAY
    new_runtime
    spawn nested env WAYLAND_DISPLAY="$outer" WLR_BACKENDS=wayland WLR_WL_OUTPUTS=2 WLR_RENDERER=pixman sway -c "$WORK/nested.conf" 2>"$WORK/nested.log"
    await_compositor nested
    wait_until 10 nested_outputs_settled || abort "the nested sway's outputs did not take their windows' sizes"
}

# Whether both outputs of the nested sway are active at the size of their
# window in the outer one ("WL-1 636x750" and so on, the same on both sides).
nested_outputs_settled() {
    local windows outputs
    windows=$(SESSION=("${OUTER_SESSION[@]}") && as_user swaymsg -t get_tree -r | python3 -c '
import json, sys
def walk(node):
    yield node
    for child in node.get("nodes", []) + node.get("floating_nodes", []):
        yield from walk(child)
for node in walk(json.load(sys.stdin)):
    name = node.get("name") or ""
    if node.get("type") == "con" and name.startswith("wlroots - "):
        print(name[len("wlroots - "):], "%dx%d" % (node["window_rect"]["width"], node["window_rect"]["height"]))
' | sort)
    outputs=$(as_user swaymsg -t get_outputs -r | python3 -c '
import json, sys
for output in json.load(sys.stdin):
    if output["active"]:
        print(output["name"], "%dx%d" % (output["current_mode"]["width"], output["current_mode"]["height"]))
' | sort)
    [ "$(wc -l <<<"$windows")" = 2 ] && [ "$windows" = "$outputs" ]
}

# Waits for the sway started as NAME to listen (each compositor has a
# runtime folder of its own, so its socket is the only one there), then
# points the session at it: WAYLAND_DISPLAY, SWAYSOCK, and WAYLAND_SOCKET
# for the full path.
await_compositor() {
    local pid=${1}_PID
    pid=${!pid}
    listening() {
        SWAYSOCK_PATH=$(ls "$RUNTIME"/sway-ipc.*."$pid".sock 2>/dev/null)
        WAYLAND_SOCKET=$(ls "$RUNTIME"/wayland-[0-9] 2>/dev/null)
        [ -S "$SWAYSOCK_PATH" ] && [ -S "$WAYLAND_SOCKET" ]
    }
    wait_until 10 listening || { cat "$WORK/$1.log"; abort "$1 did not start"; }
    session_set WAYLAND_DISPLAY="${WAYLAND_SOCKET##*/}" SWAYSOCK="$SWAYSOCK_PATH"
}

# Each compositor gets a runtime folder of its own.
RUNTIMES=0
new_runtime() {
    RUNTIMES=$((RUNTIMES + 1))
    RUNTIME="$WORK/run-$RUNTIMES"
    mkdir -m 700 "$RUNTIME"
    [ "$(id -u)" = 0 ] && chown nobody:nogroup "$RUNTIME"
    session_set XDG_RUNTIME_DIR="$RUNTIME"
}

# A helper client of the tests' own that takes commands through a pipe and
# answers each with a line, started as the session's user: NAME_FD (NAME in
# capitals) is its pipe and NAME_REPLIES the answers counted so far.
start_piped_client() {
    local name=$1 program=$2 fd
    rm -f "$WORK/$name.in" "$WORK/$name.out"
    mkfifo "$WORK/$name.in"
    chown --reference="$WORK" "$WORK/$name.in"
    spawn "$name" sh -c 'exec "$0" <"$1" >"$2"' "$program" "$WORK/$name.in" "$WORK/$name.out"
    exec {fd}>"$WORK/$name.in"
    printf -v "${name^^}_FD" %s "$fd"
    printf -v "${name^^}_REPLIES" %s 1
    wait_until 5 grep -q ready "$WORK/$name.out"
}
# Sends the client NAME one command; returns once it has answered.
tell_client() {
    local name=$1 fd=${1^^}_FD replies=${1^^}_REPLIES
    echo "$2" >&"${!fd}"
    printf -v "$replies" %s $((${!replies} + 1))
    wait_until 5 answered "$WORK/$name.out" "${!replies}"
}
# Whether FILE holds at least N lines, counted anew at every call.
answered() { [ "$(wc -l <"$1")" -ge "$2" ]; }

# Headless sway has no pointer: a virtual one of our own gives its seat one.
# Commands go to it through a pipe; it answers each with a line.
start_pointer() {
    [ -n "$POINTER" ] || abort "POINTER names quilvenmoor-wayland-pointer"
    [ -n "${POINTER_FD:-}" ] && exec {POINTER_FD}>&-
    start_piped_client pointer "$POINTER" || abort "the virtual pointer did not start"
}

# pointer move X Y | by DX DY | click: returns once the compositor has it.
# POINTER_X and POINTER_Y follow where it is.
pointer() {
    case $1 in
    move)
        tell_client pointer "move $2 $3 $LAYOUT_WIDTH $LAYOUT_HEIGHT"
        POINTER_X=$2 POINTER_Y=$3
        ;;
    by)
        tell_client pointer "$*"
        POINTER_X=$((POINTER_X + $2)) POINTER_Y=$((POINTER_Y + $3))
        ;;
    *) tell_client pointer "$*" ;;
    esac
}
LAYOUT_WIDTH=1280
LAYOUT_HEIGHT=800

# Whether, in a new shot, the logo box is at least 60 pixels from the
# pointer (moves and clicks over the box do not end the saver) and nothing
# but the box shows: the pointer has arrived over the saver and is hidden.
pointer_hidden_on_bare_screen() {
    locate_box || return 1
    [ "$BOX_X" -lt $((POINTER_X - 344)) ] || [ "$BOX_X" -gt $((POINTER_X + 60)) ] ||
        [ "$BOX_Y" -lt $((POINTER_Y - 385)) ] || [ "$BOX_Y" -gt $((POINTER_Y + 60)) ] || return 1
    [ "$(stray_pixels)" = 0 ]
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
    wait_until 10 has_application || abort "the application did not start"
}

has_application() { as_user swaymsg -t get_tree | grep -q '"app_id": "underneath"'; }

# wtype brings a keymap of its own with every run: it pauses first, or the key is lost.
press_key() { as_user wtype -s 300 -k "$1" -s 100; }

# A screenshot of the whole layout, or of the output named in SHOT_OUTPUT;
# through grim, or what SHOOTER names for a compositor without it.
SHOOTER=grim
screenshot() {
    rm -f "$1"
    case $SHOOTER in
    grim) as_user grim ${SHOT_OUTPUT:+-o "$SHOT_OUTPUT"} ${SHOT_CURSOR:+-c} "$1.tmp.png" && mv "$1.tmp.png" "$1" ;;
    weston) weston_screenshot "$1" ;;
    mutter) mutter_command shot "$1.tmp.png" && mv "$1.tmp.png" "$1" ;;
    esac
}

# Starts a headless mutter with one 1280 x 800 monitor under a session bus of
# its own, with PipeWire for its screen casts, and mutter.py connected to it
# for keys and pictures; points the session at it. MUTTER_X names the X
# display mutter offers for Xwayland and its authority file, as mutter
# gives them to its children (DISPLAY=... XAUTHORITY=...).
start_mutter() {
    local folder="$WORK/mutter"
    mkdir -p "$folder"
    chown --reference="$WORK" "$folder"
    new_runtime
    session_set WAYLAND_DISPLAY=mutter-test DISPLAY XAUTHORITY SWAYSOCK
    # dbus-run-session leaves its child running when it ends: each program
    # leaves its pid for the cleanup.
    cat >"$folder/session.sh" <<'SESSION'
echo "$DBUS_SESSION_BUS_ADDRESS" >"$1/bus"
pgrep -P "$PPID" -x dbus-daemon >"$1/dbus.pid"
pipewire >"$1/pipewire.log" 2>&1 &
echo $! >"$1/pipewire.pid"
wireplumber >"$1/wireplumber.log" 2>&1 &
echo $! >"$1/wireplumber.pid"
echo $$ >"$1/mutter.pid"
exec mutter --wayland --headless --virtual-monitor 1280x800 --wayland-display mutter-test
SESSION
    spawn bus dbus-run-session sh "$folder/session.sh" "$folder" >"$folder/session.log" 2>&1
    wait_until 10 test -s "$folder/mutter.pid" -a -S "$RUNTIME/mutter-test" -a -S "$RUNTIME/pipewire-0" || abort "mutter did not start"
    local name
    for name in dbus pipewire wireplumber mutter; do
        printf -v "${name}_PID" %s "$(cat "$folder/$name.pid")"
        SESSION_PROCESSES="$SESSION_PROCESSES $name"
    done
    # mutter listens on two X displays, its children's and a private one,
    # and starts Xwayland when an X client connects to either; Xwayland's
    # command line names its children's.
    listening_x() {
        x_socket=$(ss -xlpn | grep "pid=$mutter_PID," | grep -o '/tmp/.X11-unix/X[0-9]*' | head -n 1)
        x_authority=$(ls "$RUNTIME"/.mutter-Xwaylandauth.* 2>/dev/null | head -n 1)
        [ -n "$x_socket" ] && [ -n "$x_authority" ]
    }
    wait_until 10 listening_x || abort "mutter offers no X display"
    as_user env DISPLAY=":${x_socket##*X}" XAUTHORITY="$x_authority" xset q >/dev/null 2>&1
    xwayland_display() {
        local xwayland
        xwayland=$(pgrep -P "$mutter_PID" -x Xwayland) &&
            x_display=$(tr '\0' '\n' <"/proc/$xwayland/cmdline" | grep -m 1 '^:[0-9]*$')
    }
    wait_until 10 xwayland_display || abort "mutter did not start Xwayland"
    MUTTER_X=(DISPLAY="$x_display" XAUTHORITY="$x_authority")

    rm -f "$WORK/mutter.in" "$WORK/mutter.out"
    mkfifo "$WORK/mutter.in"
    chown --reference="$WORK" "$WORK/mutter.in"
    spawn mutter_tool sh -c 'exec python3 "$0" "$1" <"$2" >"$3" 2>&1' "$(dirname "${BASH_SOURCE[0]}")/mutter.py" \
        "$(cat "$folder/bus")" "$WORK/mutter.in" "$WORK/mutter.out"
    exec {MUTTER_FD}>"$WORK/mutter.in"
    MUTTER_REPLIES=1
    wait_until 20 grep -q ready "$WORK/mutter.out" || { cat "$WORK/mutter.out"; abort "mutter's remote desktop did not start"; }
    SHOOTER=mutter
}

mutter_answered() { [ "$(wc -l <"$WORK/mutter.out")" -ge "$MUTTER_REPLIES" ]; }

# Sends mutter.py one command and waits for its answer; fails with it.
mutter_command() {
    echo "$*" >&"$MUTTER_FD"
    MUTTER_REPLIES=$((MUTTER_REPLIES + 1))
    wait_until 25 mutter_answered || return 1
    [ "$(tail -n 1 "$WORK/mutter.out")" = done ]
}

# Starts a headless weston 1280 x 800 with its screenshot protocol, and
# points the session at it. It renders through GL: its pixman renderer
# copies the unused byte of XRGB pixels, which weston-screenshooter then
# writes as a transparent, black picture.
start_weston() {
    new_runtime
    session_set WAYLAND_DISPLAY=weston-test
    spawn weston weston --backend=headless-backend.so --socket=weston-test --idle-time=0 --debug --use-gl \
        --width=1280 --height=800 "$@" >"$WORK/weston.log" 2>&1
    # Our virtual-pointer client, finding no such thing there, tells when weston answers.
    weston_answers() { as_user "$POINTER" </dev/null 2>&1 | grep -q "offers no"; }
    wait_until 10 weston_answers || { cat "$WORK/weston.log"; abort "weston did not start"; }
    SHOOTER=weston
    mkdir -p "$WORK/shots"
    chown --reference="$WORK" "$WORK/shots"
}

# weston-screenshooter writes its picture into the folder it runs in.
weston_screenshot() {
    local shot
    rm -f "$WORK"/shots/*.png
    (cd "$WORK/shots" && as_user timeout 10 weston-screenshooter) || return 1
    shot=$(ls "$WORK"/shots/*.png 2>/dev/null | head -n 1)
    [ -n "$shot" ] && convert "$shot" -alpha off "$1"
}

# How many pixels of the last located shot lie outside the box and the banner and are not black.
stray_pixels() { "$FRAMECHECK" stray "$WORK/locate.png" "$BOX_X" "$BOX_Y"; }

# Whether the saver covers the shot exactly: the logo alone, its box exact.
covered_exactly() { locate_box && [ "$(stray_pixels)" = 0 ] && box_edges_clean; }

# Whether a band 16 pixels wide around the box located last is all black,
# the banner's strip aside: the picture ends where a box of 284 x 325
# pixels ends. The band stops at the shot's edges.
box_edges_clean() {
    local left=$((BOX_X < 16 ? 0 : BOX_X - 16)) top=$((BOX_Y < 16 ? 0 : BOX_Y - 16))
    [ "$(convert "$WORK/locate.png" -fill black -draw "rectangle $BOX_X,$BOX_Y $((BOX_X + 283)),$((BOX_Y + 324))" \
        -draw "rectangle 8,8 327,20" -crop "$((BOX_X + 300 - left))x$((BOX_Y + 341 - top))+$left+$top" +repage -format '%[max]' info:)" = 0 ]
}

# Starts the saver with the arguments given (default /S) as the session's user.
start_wayland_saver() {
    user_prefix
    "${PREFIX[@]}" "$SAVER" "${@:-/S}" >"$WORK/saver.out" 2>&1 &
    SAVER_PID=$!
}

# Starts the saver and waits until its logo shows; ends the scenario if it never does.
start_saver_shown() {
    start_wayland_saver "$@"
    locate_box || {
        cat "$WORK/saver.out"
        running || echo "(the saver has ended)"
        abort "the saver's logo did not show${SHOT_OUTPUT:+ on $SHOT_OUTPUT}"
    }
}
