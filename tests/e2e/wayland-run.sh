#!/usr/bin/env bash
# The saver natively on a headless sway, over a fullscreen application that
# records every key it gets: it covers everything, keeps every key from the
# application (also after the compositor switches workspaces), hides the
# pointer, ignores a key held as it starts, and ends on a dismissing key, a
# pointer move, a click, SIGTERM or the compositor's going away, each with
# its own status.
source "$(dirname "$0")/wayland-lib.sh"
start_sway
start_application
# The pointer rests on the bare screen, away from the banner, before the saver starts.
pointer move 40 770
start_saver_shown
# (The pointer shows until the compositor has told the saver it is there.)
covered() { locate_box && [ "$(stray_pixels)" = 0 ]; }
wait_until 3 covered && pass "it covers the bar and the fullscreen application: only the box shows" ||
    fail "$(stray_pixels) pixels outside the box are not black"
first="$BOX_X,$BOX_Y"
moved() { locate_box && [ "$BOX_X,$BOX_Y" != "$first" ]; }
wait_until 3 moved && pass "the logo moves ($first -> $BOX_X,$BOX_Y)" || fail "the logo did not move from $first"
# The pointer's arrival under the saver is no move: it stays hidden and the saver runs.
wait_until 6 pointer_hidden_on_bare_screen && running && pass "the pointer is hidden" || fail "the pointer shows over the saver"

for key in a s space Left; do press_key "$key"; done
running && pass "steering keys keep it running" || fail "a steering key ended it"
[ -s "$WORK/typed" ] && fail "the application got keys: $(cat "$WORK/typed")" || pass "the application got no key"

sway_command workspace 2
[ "$(focused_workspace)" = 2 ] || fail "sway did not switch to workspace 2"
wait_until 3 covered && pass "after a workspace switch it still covers everything" ||
    fail "after a workspace switch $(stray_pixels) pixels outside the box are not black"
sway_command workspace 1
press_key a
running && [ ! -s "$WORK/typed" ] && pass "after workspace switches steering keys still go to the saver" ||
    fail "after workspace switches a steering key reached the application or ended the saver"
press_key x
expect_end 1 0 "a dismissing key ends it with status 0"
press_key z
wait_until 2 grep -q z "$WORK/typed" && pass "the application gets keys again" || fail "the application got no key afterwards"

# A key already held down as the saver starts is no press, nor is its release.
spawn typing wtype -s 300 -P x -s 2500 -p x
wait_until 2 grep -q x "$WORK/typed"
start_saver_shown
wait "$typing_PID"
running && pass "a key held as it starts, and its release, keep it running" || fail "a key held as it started ended it"

# Once the pointer has entered the saver's surface (the trace tells it),
# the second move after it is real at the latest: the entry is the first
# position, and a move the compositor may send with it to the same spot
# completes a pair. A resting pointer may enter only when it moves.
stop_saver
session_set QUILVENMOOR_TICK_TRACE=1
start_saver_shown
session_set QUILVENMOOR_TICK_TRACE
wait_until 6 pointer_hidden_on_bare_screen
entered() { grep -q '^pointer entered' "$WORK/saver.out"; }
wait_until 1 entered || { pointer by 0 1 && wait_until 2 entered; } || fail "the pointer never entered the saver's surface"
pointer by 12 -8
pointer by 12 -8
expect_end 1 0 "a pointer move ends it with status 0"

start_saver_shown
wait_until 6 pointer_hidden_on_bare_screen
pointer click
expect_end 1 0 "a click ends it with status 0"

start_saver_shown
kill -TERM "$SAVER_PID"
expect_end 0.5 0 "SIGTERM ends it at once with status 0"

start_saver_shown
{ kill -KILL "$sway_PID" && wait "$sway_PID"; } 2>/dev/null
sway_PID=""
if ends_within 2; then
    [ "$EXIT_STATUS" = 1 ] && [ "$(wc -l <"$WORK/saver.out")" = 1 ] &&
        pass "the compositor's going away ends it with status 1 and one line: $(cat "$WORK/saver.out")" ||
        fail "the compositor's going away ended it with status $EXIT_STATUS, saying: $(cat "$WORK/saver.out")"
else
    fail "it kept running without its compositor"
    stop_saver
fi
finish
