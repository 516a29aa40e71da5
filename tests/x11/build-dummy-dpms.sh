#!/usr/bin/env bash
# Builds the test-only Xorg module that gives the dummy driver's screens DPMS
# (dummy-dpms.c) into FOLDER/modules, against the headers of the installed
# server's version. The headers come from the Debian packages, unpacked into
# FOLDER/headers and kept there, never installed (installing xserver-xorg-dev
# would pull in and upgrade other packages). Prints the module folder.
#
# Usage: tests/x11/build-dummy-dpms.sh FOLDER
set -euo pipefail
folder=$(realpath -m "$1")
source_file=$(dirname "$(realpath "$0")")/dummy-dpms.c
module="$folder/modules/quilvenmoordpms_drv.so"
mkdir -p "$folder/modules" "$folder/headers"

version_of() { dpkg-query -W -f='${Version}' "$1"; }
server_version=$(version_of xserver-xorg-core)
stamp="$folder/headers/version"
if [ "$(cat "$stamp" 2>/dev/null)" != "$server_version" ]; then
    # The server's headers need pixman's and libpciaccess's of the installed libraries' versions.
    downloads="$folder/downloads"
    rm -rf "$downloads" "$folder/headers/usr"
    mkdir -p "$downloads"
    (cd "$downloads" && apt-get download -q "xserver-xorg-dev=$server_version" "libpixman-1-dev=$(version_of libpixman-1-0)" \
        "libpciaccess-dev=$(version_of libpciaccess0)") >&2
    for package in "$downloads"/*.deb; do
        dpkg-deb -x "$package" "$folder/headers"
    done
    rm -rf "$downloads"
    echo "$server_version" > "$stamp"
fi
if [ ! -e "$module" ] || [ "$source_file" -nt "$module" ] || [ "$stamp" -nt "$module" ]; then
    include="$folder/headers/usr/include"
    cc -shared -fPIC -O2 -Wall -fvisibility=hidden -I"$include/xorg" -I"$include/pixman-1" -I"$include" "$source_file" -o "$module"
fi
echo "$folder/modules"
