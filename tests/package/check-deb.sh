#!/usr/bin/env bash
# The Debian package as a user installs it: its files, owners and modes,
# Depends computed from the binaries, manual pages that render cleanly, the
# settings file xscreensaver reads, desktop entries that desktop-file-validate
# accepts, and lintian (errors fail; warnings are listed).
# Usage: check-deb.sh PACKAGE_FOLDER VERSION with-idle|without-idle
# (whether the build made the idle watcher, which the package must then hold)
set -u
folder=$1
version=$2
idle=$3
PASSED=0
FAILED=0
pass() { PASSED=$((PASSED + 1)); echo "ok: $*"; }
fail() { FAILED=$((FAILED + 1)); echo "FAILED: $*"; }

deb=$(ls "$folder"/quilvenmoor_${version}_*.deb 2>/dev/null | head -n 1)
if [ -z "$deb" ]; then
    echo "FAILED: no package in $folder"
    exit 1
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

[ "$(dpkg-deb -f "$deb" Package)" = quilvenmoor ] && pass "package name" || fail "package name $(dpkg-deb -f "$deb" Package)"
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] && pass "version $version" || fail "version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
case "$depends" in
*libx11-6*libc6* | *libc6*libx11-6*) pass "Depends names the libraries the binaries use: $depends" ;;
*) fail "Depends: $depends" ;;
esac
# The native Wayland front end talks to the compositor and reads its keymaps itself.
case "$depends" in
*libwayland-client0*libxkbcommon0* | *libxkbcommon0*libwayland-client0*) pass "Depends names the Wayland libraries" ;;
*) fail "Depends names no Wayland library: $depends" ;;
esac

# Every file with the owner and mode a package needs.
listing=$(dpkg-deb -c "$deb")
expect_entry() {
    local mode=$1 path=$2
    if echo "$listing" | grep -Eq "^$mode root/root .* \./$path\$"; then
        pass "$path ($mode root/root)"
    else
        fail "$path is missing or wrong: $(echo "$listing" | grep " ./$path\$")"
    fi
}
programs="usr/bin/quilvenmoor usr/libexec/xscreensaver/quilvenmoor-module"
pages="usr/share/man/man6/quilvenmoor.6.gz usr/share/man/man6/quilvenmoor-module.6.gz"
if [ "$idle" = with-idle ]; then
    programs="$programs usr/bin/quilvenmoor-idle"
    pages="$pages usr/share/man/man1/quilvenmoor-idle.1.gz"
fi
for program in $programs; do expect_entry -rwxr-xr-x "$program"; done
for page in $pages; do expect_entry -rw-r--r-- "$page"; done
expect_entry -rw-r--r-- usr/share/xscreensaver/config/quilvenmoor-module.xml
expect_entry -rw-r--r-- usr/share/applications/screensavers/quilvenmoor.desktop
expect_entry -rw-r--r-- usr/share/doc/quilvenmoor/copyright
# Nothing else: no tools, tests or libraries of the build.
files=$(echo "$listing" | awk '$1 !~ /^d/ { print $6 }' | LC_ALL=C sort | tr '\n' ' ')
expected=$(for path in $programs $pages usr/share/xscreensaver/config/quilvenmoor-module.xml \
    usr/share/applications/screensavers/quilvenmoor.desktop usr/share/doc/quilvenmoor/copyright \
    usr/share/doc/quilvenmoor/changelog.gz; do echo "./$path"; done | LC_ALL=C sort | tr '\n' ' ')
[ "$files" = "$expected" ] && pass "the package holds exactly its $(echo $expected | wc -w) files" || fail "the package holds: $files; expected: $expected"
others=$(echo "$listing" | grep -v " root/root " | head -3)
[ -z "$others" ] && pass "everything belongs to root" || fail "not owned by root: $others"
loose=$(echo "$listing" | awk '$1 ~ /^d/ && $1 != "drwxr-xr-x"' | head -3)
[ -z "$loose" ] && pass "every folder is drwxr-xr-x" || fail "folders: $loose"

dpkg-deb -x "$deb" "$work/root"
for program in $programs; do
    if [ ! -f "$work/root/$program" ] || file "$work/root/$program" | grep -q "not stripped"; then fail "$program is missing or not stripped"; else pass "$program is stripped"; fi
done
# Every library a packaged program loads comes from a Debian package that
# Depends names (libsystemd0 for the watcher's session bus, say): a missing
# one would install cleanly and then fail to start.
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH 2>/dev/null || gcc -print-multiarch)
for program in $programs; do
    for soname in $(objdump -p "$work/root/$program" | awk '$1 == "NEEDED" { print $2 }'); do
        owners=$(dpkg -S "*/$multiarch/$soname" 2>/dev/null | cut -d: -f1 | tr ',' '\n' | tr -d ' ' | LC_ALL=C sort -u)
        if [ -z "$owners" ]; then
            fail "$program needs $soname, which no installed package holds"
            continue
        fi
        for owner in $owners; do
            if echo "$depends" | tr ',|' '\n\n' | awk '{ print $1 }' | grep -Fxq "$owner"; then
                pass "$program needs $soname: Depends names $owner"
            else
                fail "$program needs $soname from $owner, which Depends does not name: $depends"
            fi
        done
    done
done
# The newest changelog entry is this version's: a release without its entry is caught here.
top=$(zcat "$work/root/usr/share/doc/quilvenmoor/changelog.gz" | head -n 1)
case "$top" in "quilvenmoor ($version) "*) pass "the changelog starts with $version" ;; *) fail "the changelog starts: $top" ;; esac
for path in $pages; do
    page=$(basename "$path" .gz)
    gz="$work/root/$path"
    grep -q "\"Quilvenmoor $version\"" <(zcat "$gz") && pass "$page names version $version" || fail "$page does not name version $version"
    # gzip -9n: no name flag, no time stamp, and "best compression" in the header.
    if [ "$(od -An -tx1 -j3 -N6 "$gz" | tr -d ' \n')" = 000000000002 ]; then pass "$page.gz is gzip -9n"; else fail "$page.gz header $(od -An -tx1 -N10 "$gz")"; fi
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] && pass "man page $page renders without warnings" || fail "man page $page: $warnings"
done
# xscreensaver's settings dialog lists the module by the label in its settings file.
python3 - "$work/root/usr/share/xscreensaver/config/quilvenmoor-module.xml" "$version" <<'PYTHON' && pass "the settings file names the module, its label, --root and the version" || fail "the settings file"
import sys, xml.etree.ElementTree as tree
root = tree.parse(sys.argv[1]).getroot()
assert root.tag == "screensaver", root.tag
assert root.get("name") == "quilvenmoor-module", root.get("name")
assert root.get("_label") == "Quilvenmoor", root.get("_label")
assert [c.get("arg") for c in root.iter("command")] == ["--root"]
description = root.findtext("_description").strip()
assert len(description.split()) > 20
assert "Quilvenmoor " + sys.argv[2] + "." in description
# The settings dialog is as wide as the first paragraph: one short sentence keeps its usual width.
first_paragraph = " ".join(description.split("\n\n")[0].split())
assert len(first_paragraph) < 100, first_paragraph
PYTHON
# The packaged module starts and knows its options.
"$work/root/usr/libexec/xscreensaver/quilvenmoor-module" --help | grep -q -- --window-id && pass "the packaged module prints its usage" || fail "the packaged module's --help"
if [ "$idle" = with-idle ]; then
    "$work/root/usr/bin/quilvenmoor-idle" --version | grep -qF "$version" && pass "the packaged watcher names version $version" || fail "the packaged watcher's --version"
    # The autostart entry that --enable writes is a desktop entry too. In a
    # home of its own and without any display or bus, the watcher that
    # --enable starts finds no idle source and ends; the entry stays.
    mkdir -m 700 "$work/home"
    in_home() { env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_RUNTIME_DIR="$work/home" "$work/root/usr/bin/quilvenmoor-idle" "$@" >/dev/null 2>&1; }
    in_home --enable --minutes 2.5
    autostart="$work/home/.config/autostart/quilvenmoor-idle.desktop"
    if [ -f "$autostart" ]; then
        findings=$(desktop-file-validate "$autostart" 2>&1)
        status=$?
        if [ "$status" -eq 0 ] && ! echo "$findings" | grep -Eq ": (error|warning): "; then pass "desktop-file-validate accepts the autostart entry"; else fail "desktop-file-validate on the autostart entry (status $status): $findings"; fi
        grep -qx "Exec=$work/root/usr/bin/quilvenmoor-idle --minutes 2.5" "$autostart" && pass "the autostart entry runs the watcher with its minutes" || fail "the autostart entry: $(grep ^Exec= "$autostart")"
    else
        fail "--enable wrote no autostart entry"
    fi
    in_home --disable
    [ ! -e "$autostart" ] && pass "--disable removes the autostart entry" || fail "--disable left $autostart"
fi

# Every desktop entry passes desktop-file-validate (hints are advice, not
# findings); the screen-saver entry runs the packaged module with --root,
# by the path the package installs it to.
entries=$(cd "$work/root" && find . -name '*.desktop' | sed 's|^\./||' | LC_ALL=C sort)
[ -n "$entries" ] && pass "desktop entries: $(echo $entries)" || fail "the package holds no desktop entry"
for entry in $entries; do
    findings=$(desktop-file-validate "$work/root/$entry" 2>&1)
    status=$?
    problems=$(echo "$findings" | grep -E ": (error|warning): ")
    if [ "$status" -eq 0 ] && [ -z "$problems" ]; then pass "desktop-file-validate accepts $entry"; else fail "desktop-file-validate on $entry (status $status): $findings"; fi
done
saver_entry="$work/root/usr/share/applications/screensavers/quilvenmoor.desktop"
entry_value() { sed -n "s/^$1=//p" "$saver_entry"; }
module=/usr/libexec/xscreensaver/quilvenmoor-module
[ "$(entry_value Exec)" = "$module --root" ] && pass "the screen-saver entry runs $module --root" || fail "the screen-saver entry runs: $(entry_value Exec)"
[ "$(entry_value TryExec)" = "$module" ] && [ -x "$work/root$(entry_value TryExec)" ] && pass "its TryExec names the packaged module" || fail "its TryExec: $(entry_value TryExec)"
case "$(entry_value Categories)" in *Screensaver\;*) pass "its category is Screensaver" ;; *) fail "its Categories: $(entry_value Categories)" ;; esac
case "$(entry_value OnlyShowIn)" in *MATE\;*X-Cinnamon\;*) pass "it is shown in MATE and Cinnamon" ;; *) fail "its OnlyShowIn: $(entry_value OnlyShowIn)" ;; esac

# lintian: an error fails; warnings are shown for the record. It warns
# about running as root, which is no finding about the package.
lintian_out=$(lintian --no-tag-display-limit "$deb" 2>&1 | grep -v "running with root privileges")
errors=$(echo "$lintian_out" | grep -c "^E:")
warnings=$(echo "$lintian_out" | grep "^W:")
[ -n "$warnings" ] && echo "lintian warnings:" && echo "$warnings"
[ "$errors" = 0 ] && pass "lintian reports no errors" || fail "lintian: $(echo "$lintian_out" | grep '^E:')"

echo "$PASSED passed, $FAILED failed"
[ "$FAILED" -eq 0 ]
