#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, creating the
# prefix on first use. The program runs directly under the loader of its
# machine type, so the process is the program's own (for its PID and status).
#
# Usage: tools/wine-run.sh PROGRAM.exe|.scr [ARGUMENTS...]
#        tools/wine-run.sh --stop                ends every Wine process of the prefix
#        tools/wine-run.sh --slowdown PROGRAM    prints how many times slower than a
#                                                native run a run of PROGRAM is (1 when native)
#        tools/wine-run.sh --session COMMAND...  runs COMMAND with one Wine server and
#                                                Wine's services kept up for all of it
# QUILVENMOOR_WINEPREFIX overrides the prefix (default: build/wine-prefix).
# QUILVENMOOR_WINE_XRANDR=N makes Wine learn the monitors from Xinerama rather
# than RandR, in a prefix of its own (build/wine-prefix-xinerama): it then
# reports each monitor `xrandr --setmonitor` defines, but follows no change of
# the screen's size.
#
# Where the kernel runs no 32-bit programs, 32-bit Wine runs under qemu-user
# from a loader folder of its own (build/wine-loader): Wine starts its 32-bit
# children through the file named `wine` beside its own executable, so that
# file is a script that hands them to qemu. A program that cannot run at all
# ends with status 1 and says why.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$here/.." && pwd)/build
xrandr_setting=${QUILVENMOOR_WINE_XRANDR:-Y}
default_prefix=$build/wine-prefix
[ "$xrandr_setting" = N ] && default_prefix=$build/wine-prefix-xinerama
export WINEPREFIX=${QUILVENMOOR_WINEPREFIX:-$default_prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
system_loaders=/usr/lib/wine
loader_folder=$build/wine-loader
# Under qemu, 32-bit runs take several times longer to start, end and react.
emulated_slowdown=${QUILVENMOOR_EMULATED_SLOWDOWN:-8}

fail() {
    echo "wine-run: $*" >&2
    exit 1
}

# How 32-bit Wine runs here: "native", "emulated" (qemu-user) or "none".
thirty_two_bit_mode() {
    if "$system_loaders/wine" --version >/dev/null 2>&1; then
        echo native
    elif command -v qemu-i386-static >/dev/null 2>&1; then
        echo emulated
    else
        echo none
    fi
}
mode=$(thirty_two_bit_mode)

# The folder holding the loaders Wine is started from.
if [ "$mode" = emulated ]; then
    bindir=$loader_folder/lib/wine
else
    bindir=$system_loaders
fi

# Makes the loader folder once; other runs wait on the lock meanwhile.
prepare_loader_folder() {
    mkdir -p "$build"
    (
        flock 9
        [ -x "$bindir/wine" ] && [ -f "$loader_folder/.ready" ] && exit 0
        rm -rf "$loader_folder"
        mkdir -p "$loader_folder/lib/wine" "$loader_folder/share"
        cp "$system_loaders/wine" "$bindir/wine-i386"
        cp "$system_loaders/wine64" "$bindir/wine64"
        ln -s "$system_loaders/wineserver" "$bindir/wineserver"
        # -R keeps the guest within 2 GiB, as a 32-bit program has on 64-bit
        # Windows; without it Wine probes the upper half of the address space
        # and every start takes about a minute. -0 keeps Wine's own name, so
        # its children come back through this script.
        cat >"$bindir/wine" <<EOF
#!/bin/sh
exec qemu-i386-static -R 0x81000000 -L / -0 "$bindir/wine" "$bindir/wine-i386" "\$@"
EOF
        chmod +x "$bindir/wine"
        # Wine finds its libraries and data beside the folder of its loader.
        ln -s /usr/lib/i386-linux-gnu "$loader_folder/lib/i386-linux-gnu"
        ln -s /usr/lib/x86_64-linux-gnu "$loader_folder/lib/x86_64-linux-gnu"
        ln -s /usr/share/wine "$loader_folder/share/wine"
        touch "$loader_folder/.ready"
    ) 9>"$loader_folder.lock"
}

# A prefix is usable once made and, where 32-bit Wine can run, when its
# 32-bit half (syswow64) is populated. One made while 32-bit Wine could not
# start has an empty syswow64 and cannot be repaired: it is made again.
prefix_ready() {
    [ -f "$WINEPREFIX/.quilvenmoor-ready" ] || return 1
    [ "$mode" = none ] && return 0
    [ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]
}

prepare_prefix() {
    mkdir -p "$(dirname "$WINEPREFIX")"
    (
        flock 9
        prefix_ready && exit 0
        if [ -d "$WINEPREFIX" ]; then
            echo "wine-run: making the Wine prefix again (its 32-bit half is missing)" >&2
            "$bindir/wineserver" -k 2>/dev/null || true
            "$bindir/wineserver" -w 2>/dev/null || true
            rm -rf "$WINEPREFIX"
        fi
        mkdir -p "$WINEPREFIX"
        # The 64-bit loader makes both halves, starting the 32-bit one through
        # the `wine` beside it.
        if ! "$bindir/wine64" wineboot -i </dev/null >/dev/null 2>&1; then
            fail "wineboot could not make the prefix $WINEPREFIX"
        fi
        # Unmanaged windows: Wine then waits for no window manager, and
        # hiding or destroying a window is immediate.
        "$bindir/wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
        "$bindir/wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d "$xrandr_setting" /f </dev/null >/dev/null 2>&1
        "$bindir/wineserver" -w
        touch "$WINEPREFIX/.quilvenmoor-ready"
        prefix_ready || fail "the prefix $WINEPREFIX has no 32-bit half after wineboot"
    ) 9>"$WINEPREFIX.lock"
}

prepare() {
    [ "$mode" = emulated ] && prepare_loader_folder
    prepare_prefix
}

# The PE header's machine field: 14c for 32-bit x86, 8664 for x86-64.
machine_of() {
    local offset
    offset=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
    od -An -t x2 -j $((offset + 4)) -N 2 "$1" | tr -d ' '
}

loader_for() {
    if [ ! -f "$1" ] || [ "$(machine_of "$1")" = 8664 ]; then
        echo "$bindir/wine64"
        return
    fi
    case "$mode" in
    none) fail "32-bit Wine cannot start here: the kernel runs no 32-bit programs and qemu-i386-static is not installed (tools/install-deps.sh installs qemu-user-static)" ;;
    *) echo "$bindir/wine" ;;
    esac
}

stop_server() {
    # Wine's desktop process keeps the display it started on; after that
    # display is gone, the next program would wait for it.
    "$bindir/wineserver" -k 2>/dev/null || true
    "$bindir/wineserver" -w 2>/dev/null || true
}

[ $# -ge 1 ] || fail "usage: wine-run.sh PROGRAM [ARGUMENTS...] | --stop | --slowdown PROGRAM | --session COMMAND..."
program=$1
shift
case "$program" in
--stop)
    stop_server
    exit 0
    ;;
--slowdown)
    [ $# -ge 1 ] || fail "--slowdown needs the program"
    loader=$(loader_for "$1")
    if [ "$mode" = emulated ] && [ "$loader" = "$bindir/wine" ]; then echo "$emulated_slowdown"; else echo 1; fi
    exit 0
    ;;
--session)
    [ $# -ge 1 ] || fail "--session needs a command"
    prepare
    stop_server
    # One server for the whole command instead of one per program, and
    # Wine's services started now, with nothing of ours as their output: a
    # service first started by a program inside a command substitution would
    # hold that pipe open, and the substitution would never end.
    "$bindir/wineserver" -p
    "$bindir/wine64" wineboot </dev/null >/dev/null 2>&1 || fail "Wine's services did not start"
    status=0
    "$@" || status=$?
    stop_server
    exit "$status"
    ;;
esac
prepare
loader=$(loader_for "$program")
exec "$loader" "$program" "$@"
