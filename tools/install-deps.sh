#!/usr/bin/env bash
# Installs the Debian packages a task needs, if any is missing, and nothing more.
#
# Usage: tools/install-deps.sh [GROUP ...]    (default: run)
#   run      build the Linux saver and start it (without a display it runs
#            on a private virtual screen and takes a screenshot)
#   check    run, and what `make check` adds: the X11 scenarios' helpers
#            and servers
#   package  build and check the Debian package
#   test     everything `make test` needs: check, package, the Windows
#            cross build under Wine, the fuzzer, xscreensaver and the
#            Wayland compositors of the scenarios
#   bench    what `make bench` adds to test: Google Benchmark, strace,
#            two screen-saver collections and the compositors with Xwayland to compare with
#   picture  make the README's moving picture
#   font     make the built-in font again
set -euo pipefail

# The Wayland front end builds against libwayland and xkbcommon, the KWin
# scenario's input client against KWin's fake-input description; the idle
# watcher and the X11 front end (DPMS) against libXext, the watcher also
# against libsystemd (sd-bus).
run=(cmake make g++ pkg-config libgtest-dev libpng-dev libx11-dev libxrandr-dev libxss-dev libxext-dev
    libwayland-dev wayland-protocols libxkbcommon-dev libsystemd-dev plasma-wayland-protocols
    xvfb xdotool imagemagick x11-xserver-utils)
# The idle watcher's scenario runs a private session bus, with a stand-in
# for GNOME's idle monitor in Python; Xorg with the dummy video driver is the
# X server with DPMS of the scenarios.
check=(python3 python3-dbus python3-gi x11-utils x11-xkb-utils dbus-daemon xserver-xorg-core xserver-xorg-video-dummy)
package=(dpkg-dev lintian file man-db desktop-file-utils)
# qemu-user-static runs 32-bit Wine where the kernel runs no 32-bit programs.
windows=(binutils g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools wine wine64 wine32:i386 qemu-user-static)
fuzz=(clang libclang-rt-14-dev)
# The Wayland scenarios run it on a headless sway (swaybar, swayidle), with
# foot as the application underneath, wtype and grim for keys and
# screenshots, and on weston (also with its Xwayland) and GNOME's mutter as
# compositors without the layer shell (mutter's keys and pictures go over its
# session bus, the pictures through PipeWire and GStreamer; iproute2's ss
# finds its X display; the idle watcher's scenario uses mutter's idle
# monitor); foot and swaybar draw text, so a font comes too. KWin's scenario
# runs kwin_wayland with weston-terminal (from weston) as the windows, gdbus
# for its desktops and Python's D-Bus for its screenshots.
wayland=(sway swayidle grim wtype foot weston xwayland fonts-dejavu-core
    mutter dbus procps iproute2 pipewire wireplumber gstreamer1.0-pipewire gstreamer1.0-tools
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good
    kwin-wayland libglib2.0-bin python3-dbus)
xscreensaver=(xscreensaver)
bench=(libbenchmark-dev strace xscreensaver-data xscreensaver-data-extra)
picture=(webp)
font=(libfreetype-dev fonts-dejavu-core)

packages=()
for group in "${@:-run}"; do
    case "$group" in
    run) packages+=("${run[@]}") ;;
    check) packages+=("${run[@]}" "${check[@]}") ;;
    package) packages+=("${run[@]}" "${package[@]}") ;;
    test) packages+=("${run[@]}" "${check[@]}" "${package[@]}" "${windows[@]}" "${fuzz[@]}" "${xscreensaver[@]}" "${wayland[@]}") ;;
    bench) packages+=("${bench[@]}" "${wayland[@]}") ;;
    picture) packages+=("${picture[@]}") ;;
    font) packages+=("${font[@]}") ;;
    *) echo "install-deps.sh: no group named '$group'" >&2; exit 2 ;;
    esac
done

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
# 32-bit Wine comes from the i386 architecture, added only when it is wanted.
if printf '%s\n' "${missing[@]}" | grep -q ':i386$' && ! dpkg --print-foreign-architectures | grep -q i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
