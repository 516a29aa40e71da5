#!/usr/bin/env bash
# Builds the Debian package from an already built tree into OUT, as
# `make deb` does, for the checks that need the package.
# Usage: build-deb.sh BUILD OUT
set -eu
build=$1
out=$2
rm -rf "$out"
mkdir -p "$out"
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || {
    cat "$out/cpack.log"
    exit 1
}
# The staging folder is not needed once the package is made.
rm -rf "$out/_CPack_Packages"
ls "$out"/quilvenmoor_*.deb
