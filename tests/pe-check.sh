#!/usr/bin/env bash
# Checks a built screen saver file: a GUI-subsystem PE of the expected machine
# type, with its icon, version, name and manifest resources, that imports
# nothing but system DLLs and carries no debug information or symbols.
#
# Usage: pe-check.sh FILE.scr OBJDUMP pei-i386|pei-x86-64 VERSION
set -u
file=$1
objdump=$2
format=$3
version=$4
failed=0
passed=0
check() {
    if eval "$2"; then passed=$((passed + 1)); echo "ok: $1"; else failed=$((failed + 1)); echo "FAILED: $1"; fi
}
headers=$("$objdump" -p "$file")
check "file format $format" 'echo "$headers" | grep -q "file format $format\$"'
check "Windows GUI subsystem" 'echo "$headers" | grep -q "^Subsystem.*(Windows GUI)"'
imports=$(echo "$headers" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
check "imports only system DLLs ($imports)" '[ -z "$(echo $imports | tr " " "\n" | grep -v -x -E "kernel32.dll|user32.dll|gdi32.dll|msvcrt.dll")" ]'
resources=$(echo "$headers" | sed -n '/Resource Directory section/,/Resources start/p' | grep -E "^0[0-9a-f]{2}   Entry" | sed 's/.*ID: 0x0*\([0-9a-f]*\),.*/\1/' | tr '\n' ' ')
check "an icon and its group (types 3 and 14)" 'echo " $resources" | grep -q " 3 " && echo " $resources" | grep -q " e "'
check "version information (type 16)" 'echo " $resources" | grep -q " 10 "'
check "a manifest (type 24)" 'echo " $resources" | grep -q " 18 "'
check "version $version named in the file" 'LC_ALL=C strings -el "$file" | grep -q -F "$version"'

facts=$(python3 "$(dirname "$0")/pe-facts.py" "$file") || { echo "FAILED: the file could not be read"; exit 1; }
fact() { echo "$facts" | sed -n "s/^$1=//p"; }
check "string 1 is the saver's name ($(fact string1))" '[ "$(fact string1)" = Quilvenmoor ]'
check "no symbol table ($(fact symbols) symbols)" '[ "$(fact symbols)" = 0 ]'
check "no debug sections" '! echo "$facts" | grep -q -E "^section=(\.debug|/)"'
check "per-monitor DPI awareness, newest form ($(fact manifest.dpiAwareness))" '[ "$(fact manifest.dpiAwareness)" = "PerMonitorV2, PerMonitor" ]'
check "per-monitor DPI awareness, older form ($(fact manifest.dpiAware))" '[ "$(fact manifest.dpiAware)" = true/pm ]'
check "the manifest names version $version ($(fact manifest.version))" '[ "$(fact manifest.version)" = "$version.0.0" ] || [ "$(fact manifest.version)" = "$version.0" ]'
check "common controls 6" '[ "$(fact manifest.dependency)" = "Microsoft.Windows.Common-Controls 6.0.0.0" ]'
supported="{1f676c76-80e1-4239-95bb-83d0f6d0da78} {35138b9a-5d96-4fbd-8e2d-a2440225f93a} {4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38} {8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a} "
check "the supported systems, 7 to 10" '[ "$(fact manifest.supportedOS | sort | tr "\n" " ")" = "$supported" ]'
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
