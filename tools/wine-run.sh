#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's own prefix, creating the
# prefix on first use. The program runs directly under the loader of its
# machine type, so the process is the program's own (for its PID and status).
#
# Usage: tools/wine-run.sh PROGRAM.exe|.scr [ARGUMENTS...]
# QUILVENMOOR_WINEPREFIX overrides the prefix (default: build/wine-prefix).
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
            wineboot -i >/dev/null 2>&1 || true
            # Unmanaged windows: Wine then waits for no window manager, and
            # hiding or destroying a window is immediate.
            wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
            wineserver -w
            touch "$WINEPREFIX/.quilvenmoor-ready"
        fi
    ) 9>"$WINEPREFIX.lock"
}

program=$1
shift
prepare
# The PE header's machine field: 0x14c for 32-bit x86, 0x8664 for x86-64.
offset=$(od -An -t u4 -j 60 -N 4 "$program" | tr -d ' ')
machine=$(od -An -t x2 -j $((offset + 4)) -N 2 "$program" | tr -d ' ')
if [ "$machine" = 8664 ]; then
    loader=/usr/lib/wine/wine64
else
    loader=/usr/lib/wine/wine
fi
exec "$loader" "$program" "$@"
