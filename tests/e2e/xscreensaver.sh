#!/usr/bin/env bash
# xscreensaver 6 runs the module from the package: on activation the logo,
# its clock and the banner show in xscreensaver's window within 3 s, drawn by
# a child of xscreensaver; deactivation, by command or by a key, ends it
# within 1 s with nothing left running and nothing on its standard error.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/xscreensaver-lib.sh"

start_display
unpack_module
write_settings
start_xscreensaver

# Activation.
activated=$(date +%s%N)
xs_command -activate
if ! wait_for_launches 1 3 1; then
    fail "xscreensaver did not start the module: $(tail -5 "$XS_HOME/log")"
    finish
    exit 1
fi
read -r pid window <<<"$LAUNCHES"
if logo_in_window "$window" 3 "$activated"; then
    pass "within 3 s the logo shows in xscreensaver's window $window at $BOX_X,$BOX_Y ($COLUMNS of its 282 columns)"
    first_x=$BOX_X first_y=$BOX_Y
    first_label=$("$FRAMECHECK" label "$SHOT" "$BOX_X" "$BOX_Y")
    banner=$("$FRAMECHECK" banner "$SHOT")
    [ "$banner" -gt 100 ] && pass "the banner shows in its corner ($banner pixels)" || fail "the banner shows $banner pixels"
    stray=$("$FRAMECHECK" stray "$SHOT" "$BOX_X" "$BOX_Y")
    [ "$stray" = 0 ] && pass "everything else is black" || fail "$stray stray pixels"
else
    fail "no logo in xscreensaver's window within 3 s"
    first_x="" first_y="" first_label=""
fi
geometry=$(xwininfo -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')
[ "$geometry" = 1280x1024 ] && pass "xscreensaver's window covers the screen ($geometry)" || fail "xscreensaver's window is $geometry"

parent=$(parent_of "$pid")
grandparent=$(parent_of "$parent")
if [ "$(name_of "$parent")" = xscreensaver-gfx ] && [ "$grandparent" = "$XS_PID" ]; then
    pass "the module ($pid) is a child of xscreensaver's display process ($parent), itself xscreensaver's child"
else
    fail "the module's parent is $parent ($(name_of "$parent")), then $grandparent; xscreensaver is $XS_PID"
fi
tr '\0' '\n' <"/proc/$pid/environ" | grep -qx "XSCREENSAVER_WINDOW=$window" && pass "it was given the window in XSCREENSAVER_WINDOW" || fail "XSCREENSAVER_WINDOW"

# The logo and the clock move (at the slowest start speeds the logo needs a few seconds for a pixel).
if [ -n "$first_x" ]; then
    moved="" ticked=""
    moved_and_ticked() {
        logo_in_window "$window" 0 || return 1
        { [ "$BOX_X" != "$first_x" ] || [ "$BOX_Y" != "$first_y" ]; } && moved="$first_x,$first_y -> $BOX_X,$BOX_Y"
        [ "$("$FRAMECHECK" label "$SHOT" "$BOX_X" "$BOX_Y" | cut -d' ' -f1)" != "${first_label%% *}" ] && ticked=yes
        [ -n "$moved" ] && [ -n "$ticked" ]
    }
    wait_until 12 moved_and_ticked
    [ -n "$moved" ] && pass "the logo moves ($moved)" || fail "the logo did not move from $first_x,$first_y"
    [ -n "$ticked" ] && pass "the clock runs" || fail "the clock label did not change"
fi

# Deactivation by command.
xs_command -deactivate
if gone_within "$pid" 1; then pass "-deactivate ends the module within 1 s"; else fail "the module still runs 1 s after -deactivate"; fi
sleep 0.3
left=$(modules_left)
[ -z "$left" ] && pass "no module is left running" || fail "modules left: $left"

# Deactivation by a key press (xscreensaver holds the keyboard).
xs_command -activate
if wait_for_launches 2 3 1; then
    read -r pid window <<<"$LAUNCHES"
    logo_in_window "$window" 3 || fail "no logo after the second activation"
    # xscreensaver ignores input for a moment after an activation by command.
    sleep 3
    xdotool key x
    if gone_within "$pid" 1; then pass "a key press ends the module within 1 s"; else fail "the module still runs 1 s after a key press"; fi
else
    fail "the second activation started no module"
fi
sleep 0.3
left=$(modules_left)
[ -z "$left" ] && pass "again nothing is left running" || fail "modules left: $left"

# The settings dialog previews the selected saver: it runs the module with
# its own window id after the --root of the list, in a pane smaller than the box.
setpriv --reuid="$XS_USER" --regid=nogroup --clear-groups \
    env -i HOME="$XS_HOME" DISPLAY="$DISPLAY" PATH=/usr/bin:/bin LANG=C.UTF-8 \
    xscreensaver-settings >"$XS_HOME/settings.log" 2>&1 &
settings=$!
preview="" preview_window=""
preview_runs() {
    for child in $(pgrep -f "^$MODULE .*--window-id" 2>/dev/null); do
        command=$(tr '\0' ' ' <"/proc/$child/cmdline" 2>/dev/null)
        case "$command" in
        *quilvenmoor-module*--window-id*)
            preview=$child
            preview_window=${command##*--window-id }
            preview_window=${preview_window%% *}
            ;;
        esac
    done
    [ -n "$preview" ]
}
wait_until 15 preview_runs
if [ -n "$preview" ]; then
    pass "xscreensaver-settings previews it: $(tr '\0' ' ' <"/proc/$preview/cmdline")"
    if logo_in_window "$preview_window" 5; then
        pass "the logo shows in the preview pane ($(xwininfo -id "$preview_window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'))"
    else
        fail "no logo in the preview pane $preview_window"
    fi
else
    fail "xscreensaver-settings started no preview of the module: $(head -3 "$XS_HOME/settings.log")"
fi
# Closed as a window manager closes it.
dialog=$(xwininfo -root -children | awk '/"XScreenSaver: / { print $1; exit }')
title=$(xwininfo -id "$dialog" 2>/dev/null | sed -n 's/.*"\(XScreenSaver: .*\)"$/\1/p')
[ "$title" = "XScreenSaver: Quilvenmoor Settings" ] && pass "the settings dialog calls it Quilvenmoor ($title)" || fail "the settings dialog's title: '$title'"
$X11 close "$dialog"
if ! wait_until 5 not kill -0 "$settings" 2>/dev/null; then
    fail "the settings dialog did not close"
    kill "$settings" 2>/dev/null
fi
wait "$settings" 2>/dev/null
if [ -n "$preview" ]; then
    gone_within "$preview" 2 && pass "closing the settings ends the preview" || { fail "the preview outlived the settings dialog"; kill "$preview" 2>/dev/null; }
fi

[ ! -s "$XS_HOME/module.err" ] && pass "nothing on the module's standard error" || fail "the module wrote: $(head -3 "$XS_HOME/module.err")"
if grep -q "exited abnormally\|exited unexpectedly.*quilvenmoor\|quilvenmoor.*crashed" "$XS_HOME/log"; then fail "xscreensaver's log: $(grep -m2 abnormally "$XS_HOME/log")"; else pass "xscreensaver's log reports no abnormal exit"; fi
finish
