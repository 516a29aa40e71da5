#!/usr/bin/env bash
# Checks the zip Windows users download: exactly the two screen savers (each
# passing pe-check: stripped, with manifest and name), INSTALL.txt naming the
# version and LICENSE.txt with the licences of the code and the font, both
# with Windows line endings throughout.
#
# Usage: dist-check.sh ZIP VERSION
set -u
[ -f "$1" ] || { echo "FAILED: no zip at $1"; exit 1; }
zip=$(realpath "$1")
version=${2:?the version is the second argument}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failed=0
passed=0
check() {
    if eval "$2"; then passed=$((passed + 1)); echo "ok: $1"; else failed=$((failed + 1)); echo "FAILED: $1"; fi
}

(cd "$work" && cmake -E tar xf "$zip") || { echo "FAILED: $zip could not be extracted"; exit 1; }
listing=$(cd "$work" && find . -type f | sort | tr '\n' ' ')
check "the zip holds the two savers, INSTALL.txt and LICENSE.txt ($listing)" \
    '[ "$listing" = "./Quilvenmoor/64-bit/Quilvenmoor.scr ./Quilvenmoor/INSTALL.txt ./Quilvenmoor/LICENSE.txt ./Quilvenmoor/Quilvenmoor.scr " ]'

install="$work/Quilvenmoor/INSTALL.txt"
licence="$work/Quilvenmoor/LICENSE.txt"
crlf_only='import sys; d = open(sys.argv[1], "rb").read(); sys.exit(not (d.endswith(b"\r\n") and d.count(b"\n") == d.count(b"\r\n") == d.count(b"\r")))'
for text in "$install" "$licence"; do
    check "$(basename "$text"): every line ends in CR LF, no bare CR or LF" 'python3 -c "$crlf_only" "$text"'
done
check "INSTALL.txt names version $version" 'head -n 1 "$install" | grep -q -F " $version"'
check "LICENSE.txt: the MIT licence of the code" 'grep -q "MIT License" "$licence" && grep -q "The Quilvenmoor developers" "$licence"'
check "LICENSE.txt: the font's own licence" 'grep -q "Bitstream Vera" "$licence"'
for phrase in "extract" "Install" "Show more options" "More info" "Run anyway" "Vista" "Settings" "preview" "but over the logo"; do
    check "INSTALL.txt mentions \"$phrase\"" 'grep -q -i "$phrase" "$install"'
done

for entry in "Quilvenmoor.scr i686 pei-i386" "64-bit/Quilvenmoor.scr x86_64 pei-x86-64"; do
    read -r path arch format <<<"$entry"
    if output=$(bash "$here/pe-check.sh" "$work/Quilvenmoor/$path" "$arch-w64-mingw32-objdump" "$format" "$version"); then
        passed=$((passed + 1)); echo "ok: $path passes pe-check"
    else
        failed=$((failed + 1)); echo "FAILED: $path fails pe-check:"; echo "$output" | grep FAILED
    fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
