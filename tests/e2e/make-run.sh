#!/usr/bin/env bash
# What `make run` does where there is no display: the saver runs on a private
# virtual screen and a screenshot of it shows the logo.
source "$(dirname "$0")/lib.sh"
build=${BUILD:?BUILD names the build folder}
root=$(cd "$(dirname "$0")/../.." && pwd)
output=$(cd "$root" && env -u DISPLAY bash tools/run-saver.sh "$build" 2>&1)
status=$?
[ "$status" = 0 ] && pass "it ends by itself" || fail "status $status: $output"
echo "$output" | grep -q "saver-screenshot.png" && pass "it says where the screenshot is" || fail "no word of the screenshot: $output"
if "$FRAMECHECK" find-logo "$build/saver-screenshot.png" >/dev/null 2>&1; then
    pass "the screenshot shows the saver"
else
    fail "the screenshot does not show the saver"
fi
finish
