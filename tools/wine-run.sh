#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, creating the
# prefix on first use. The program runs directly under the loader of its
# machine type, so the process is the program's own (for its PID and status).
#
# Usage: tools/wine-run.sh PROGRAM.exe|.scr [ARGUMENTS...]
#        tools/wine-run.sh --stop     ends every Wine process of the prefix
# QUILVENMOOR_WINEPREFIX overrides the prefix (default: build/wine-prefix).
# Exits with 77 (a skipped test, for CTest) when the machine cannot run the
# program's kind at all: 32-bit Wine needs a kernel that runs 32-bit programs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${QUILVENMOOR_WINEPREFIX:-$here/../build/wine-prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

prepare() {
    mkdir -p "$WINEPREFIX"
    (
        flock 9
        if [ ! -f "$WINEPREFIX/.quilvenmoor-ready" ]; then
            /usr/lib/wine/wine64 wineboot -i >/dev/null 2>&1 || true
            # Unmanaged windows: Wine then waits for no window manager, and
            # hiding or destroying a window is immediate.
            /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
            /usr/lib/wine/wineserver -w
            touch "$WINEPREFIX/.quilvenmoor-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}

program=$1
shift
if [ "$program" = --stop ]; then
    # Wine's desktop process keeps the display it started on; after that
    # display is gone, the next program would wait for it.
    /usr/lib/wine/wineserver -k 2>/dev/null || true
    /usr/lib/wine/wineserver -w 2>/dev/null || true
    exit 0
fi
prepare
# A program of Wine's own (notepad) runs under the 64-bit loader.
if [ ! -f "$program" ]; then
    exec /usr/lib/wine/wine64 "$program" "$@"
fi
# The PE header's machine field: 0x14c for 32-bit x86, 0x8664 for x86-64.
offset=$(od -An -t u4 -j 60 -N 4 "$program" | tr -d ' ')
machine=$(od -An -t x2 -j $((offset + 4)) -N 2 "$program" | tr -d ' ')
if [ "$machine" = 8664 ]; then
    loader=/usr/lib/wine/wine64
else
    loader=/usr/lib/wine/wine
    if ! "$loader" --version >/dev/null 2>&1; then
        echo "wine-run: this machine cannot run 32-bit Wine (its kernel runs no 32-bit programs); skipped" >&2
        exit 77
    fi
fi
exec "$loader" "$program" "$@"
