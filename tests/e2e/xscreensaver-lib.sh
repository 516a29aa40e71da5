# Shared steps of the scenarios with a real xscreensaver: the module taken
# from the built package (unpacked, never installed), a private home for an
# unprivileged user as xscreensaver requires, the daemon and its log.
# Source it after lib.sh.
#
# Environment:
#   PACKAGE_DIR  the folder holding the built quilvenmoor_*.deb
PACKAGE_DIR=${PACKAGE_DIR:?PACKAGE_DIR names the folder of the built package}
XS_USER=nobody
XS_HOME=$(mktemp -d)
XS_PID=""

xscreensaver_cleanup() {
    if [ -n "$XS_PID" ]; then
        kill "$XS_PID" 2>/dev/null
        wait "$XS_PID" 2>/dev/null
    fi
    # The modules it started, by the ids its log gave them.
    for pid in $(module_pids); do
        is_gone "$pid" || kill "$pid" 2>/dev/null
    done
    [ -n "${KEEP_XS_HOME:-}" ] && cp "$XS_HOME/log" /tmp/xs-last.log; rm -rf "$XS_HOME"
}
trap 'xscreensaver_cleanup; cleanup' EXIT

# As the unprivileged user, with nothing of our environment but the display.
as_user() {
    setpriv --reuid="$XS_USER" --regid=nogroup --clear-groups \
        env -i HOME="$XS_HOME" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}

unpack_module() {
    local deb
    deb=$(ls "$PACKAGE_DIR"/quilvenmoor_*.deb 2>/dev/null | head -n 1)
    if [ -z "$deb" ]; then
        fail "no package in $PACKAGE_DIR"
        finish
        exit 1
    fi
    dpkg-deb -x "$deb" "$XS_HOME/package"
    MODULE=$XS_HOME/package/usr/libexec/xscreensaver/quilvenmoor-module
}

# A private ~/.xscreensaver that names only the module, in the line the
# README gives (the quoted name is what the settings dialog lists), with its
# standard error kept apart from xscreensaver's.
write_settings() {
    cat >"$XS_HOME/.xscreensaver" <<SETTINGS
mode: one
selected: 0
lock: False
splash: False
fade: False
unfade: False
dpmsEnabled: False
timeout: 0:30:00
programs: "Quilvenmoor" $MODULE --root 2>>$XS_HOME/module.err \\n
SETTINGS
    : >"$XS_HOME/module.err"
}

start_xscreensaver() {
    chown -R "$XS_USER" "$XS_HOME"
    # A simple command, so that the id we get is xscreensaver's own after the execs.
    setpriv --reuid="$XS_USER" --regid=nogroup --clear-groups \
        env -i HOME="$XS_HOME" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin LANG=C.UTF-8 \
        xscreensaver -no-splash -verbose >"$XS_HOME/log" 2>&1 &
    XS_PID=$!
    wait_until 5 grep -q "running in process" "$XS_HOME/log" && return 0
    fail "xscreensaver did not start: $(tail -5 "$XS_HOME/log")"
    finish
    exit 1
}

xs_command() { as_user xscreensaver-command "$@" >/dev/null 2>&1; }

# "PID WINDOW" for each start of the module, from xscreensaver's log.
module_launches() {
    sed -n 's/.*forked ".*quilvenmoor-module.*" in pid \([0-9]*\) on window \(0x[0-9a-f]*\).*/\1 \2/p' "$XS_HOME/log" 2>/dev/null
}
module_pids() { module_launches | cut -d' ' -f1; }

# Waits up to $2 seconds until the log shows $1 starts of the module in
# all; the newest $3 of them go into LAUNCHES.
wait_for_launches() {
    wait_until "$2" launched "$1" || return 1
    LAUNCHES=$(module_launches | tail -n "$3")
}
launched() { [ "$(module_launches | wc -l)" -ge "$1" ]; }

# A process that has ended, whether or not its parent has reaped it yet.
is_gone() {
    [ ! -e "/proc/$1" ] || [ "$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null)" = Z ]
}

gone_within() { wait_until "$2" is_gone "$1"; }

parent_of() { awk '{ print $4 }' "/proc/$1/stat" 2>/dev/null; }
# The program's name as started (the kernel's short name stops at 15 characters).
name_of() { tr '\0' '\n' <"/proc/$1/cmdline" 2>/dev/null | head -n 1 | xargs -r basename; }

# Module processes still alive anywhere on the machine that belong to this test.
modules_left() {
    local pid
    for pid in $(pgrep -f "^$MODULE" 2>/dev/null); do
        is_gone "$pid" || echo "$pid"
    done
}

# Finds the logo in a screenshot of window $1, trying until $2 seconds have
# passed since $3 (date +%s%N; default now); sets BOX_X, BOX_Y, COLUMNS (how
# many of the logo's columns show: a box that scrolls out over one edge comes
# back over the other, and the module has no keys to put it back) and SHOT.
logo_in_window() {
    local left
    left=$(awk -v s="$2" -v since="${3:-$(date +%s%N)}" -v now="$(date +%s%N)" 'BEGIN { printf "%.3f", s - (now - since) / 1e9 }')
    SHOT="$WORK/window-$1.png"
    wait_until "$left" logo_part_shows "$1"
}
logo_part_shows() {
    import -window "$1" -depth 8 "png:$SHOT" 2>/dev/null
    read -r BOX_X BOX_Y COLUMNS < <("$FRAMECHECK" find-logo-part "$SHOT" 2>/dev/null)
}
