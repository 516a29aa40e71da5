#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, if any is missing.
set -euo pipefail

# Usage: tools/install-deps.sh [bench]   (bench adds what the benchmarks need)
# qemu-user-static runs 32-bit Wine where the kernel runs no 32-bit programs.
# The Wayland front end builds against libwayland and xkbcommon; its scenarios
# run it on a headless sway (swaybar, swayidle), with foot as the application
# underneath, wtype and grim for keys and screenshots, and weston as a
# compositor without the layer shell.
packages=(cmake make g++ clang libclang-rt-14-dev pkg-config python3 libgtest-dev libpng-dev libx11-dev libxrandr-dev libxss-dev
    xvfb xdotool imagemagick x11-utils x11-xserver-utils x11-xkb-utils binutils
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 wine32:i386 qemu-user-static
    dpkg-dev lintian file man-db xscreensaver
    libwayland-dev wayland-protocols libxkbcommon-dev sway swayidle grim wtype foot weston)
if [ "${1:-}" = bench ]; then
    packages+=(libbenchmark-dev strace xscreensaver-data xscreensaver-data-extra xwayland)
fi

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$package")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
# 32-bit Wine comes from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -q i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
