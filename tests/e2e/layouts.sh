#!/usr/bin/env bash
# On a non-Latin layout the letter keys steer the saver as on a Latin one:
# with the layouts us and ru and the Russian one active, the keys A, S and Q
# (which type Cyrillic letters there) keep it running, as they do on a
# Russian layout alone; another letter key still ends it.
source "$(dirname "$0")/lib.sh"
start_display
setxkbmap -layout us,ru || { fail "setxkbmap cannot set the layouts"; finish; exit 1; }

start_saver
$X11 group 1
# Keys by their keycode: the server's layout decides what they type.
for key in a s q; do
    $X11 keys "$(keycode_of "$key")"
    sleep "$(scaled 0.15)"
    running && pass "the $key key on the Russian layout keeps it running" || { fail "the $key key on the Russian layout ended the saver"; break; }
done
$X11 keys "$(keycode_of x)"
if ends_within 1; then pass "the x key on the Russian layout ends it"; else fail "the x key on the Russian layout did not end it"; stop_saver; fi

# The layouts changed while the saver runs: it keeps reading keys.
$X11 group 0
start_saver
setxkbmap -layout ru,us
sleep "$(scaled 0.2)"
$X11 keys "$(keycode_of Cyrillic_ef)"
sleep "$(scaled 0.15)"
running && pass "A keeps it running after the layouts changed under it" || fail "A ended the saver after the layouts changed under it"
press_key Escape
if ends_within 1; then pass "Escape ends it"; else fail "Escape did not end it"; stop_saver; fi

# A Russian layout alone has no Latin group: a letter key counts as the
# letter a US keyboard has in its place.
setxkbmap -layout us
declare -A place
for key in a s q x; do place[$key]=$(keycode_of "$key"); done
setxkbmap -layout ru
start_saver
for key in a s q; do
    $X11 keys "${place[$key]}"
    sleep "$(scaled 0.15)"
    running && pass "the $key key on a Russian layout alone keeps it running" || { fail "the $key key on a Russian layout alone ended the saver"; break; }
done
$X11 keys "${place[x]}"
if ends_within 1; then pass "the x key on a Russian layout alone ends it"; else fail "the x key on a Russian layout alone did not end it"; stop_saver; fi
finish
