#!/usr/bin/env bash
# Checks a built screen saver file: a GUI-subsystem PE of the expected machine
# type, with its icon, version and manifest resources, that imports nothing
# but system DLLs.
#
# Usage: pe-check.sh FILE.scr OBJDUMP pei-i386|pei-x86-64
set -u
file=$1
objdump=$2
format=$3
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
check "version 1.41 named in the file" 'LC_ALL=C grep -q -a "1.41" <(strings -el "$file")'
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
