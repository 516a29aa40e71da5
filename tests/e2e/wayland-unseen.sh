#!/usr/bin/env bash
# While nobody can see the saver (it plays in a sway nested in the headless
# one, and the outer sway shows another workspace) it commits nothing and
# runs its ticks in batches at most once a second, each tick at its own due
# time; shown again, it commits a frame at once and no tick is missing.
# Before that, one of its outputs alone is hidden (its window moves to
# another workspace), which holds back nothing on the one that shows. The
# box goes by subsurfaces, then, in a second run, through whole buffers.
source "$(dirname "$0")/wayland-lib.sh"
start_sway
start_nested_sway
outer() { (SESSION=("${OUTER_SESSION[@]}") && sway_command "$@"); }
# The tick trace's clock (monotonic, in ms) and the wall clock (in µs, as
# WAYLAND_DEBUG stamps its lines and bash's EPOCHREALTIME reads) at one moment.
read -r start wall_start < <(python3 -c 'import time; print(int(time.monotonic() * 1000), int(time.time() * 1e6))')
now() { echo "${EPOCHREALTIME/./}"; }

# Reads a run's trace (the saver's output) against the moments of the
# switches; prints "ok TEXT" or "FAILED TEXT" for each check.
judge() {
    python3 - "$@" <<'EOF'
import re, sys
trace, start, wall_start = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
# The wall clock's moments on the trace's clock ("-": no such moment).
alone, hidden, showing, shown = (start + (int(wall) - wall_start) / 1000 if wall != "-" else None for wall in sys.argv[4:])
commits, ticks, called_back = [], [], []  # commit and frame call-back times; (timer, due, batch time or None); all in the trace's ms
frames = set()  # the frame call backs asked for and not yet done
# Commits that answer the compositor (a configure's acknowledgement, the
# keyboard asked back after a leave) come in the same round of the loop as
# its event, before the round's ticks and frames: they are not drawing.
answering = False
for line in open(trace, errors="replace"):
    # WAYLAND_DEBUG stamps the wall clock's µs modulo 2^32.
    if m := re.match(r"\[ *(\d+)\.(\d+)\] (.*)", line):
        since = (int(m[1]) * 1000 + int(m[2]) - wall_start + 2**31) % 2**32 - 2**31
        moment, request = start + since / 1000, m[3]
        if re.match(r"\w+@\d+\.(configure|leave|enter|capabilities)\(", request):
            answering = True
        elif re.match(r" -> wl_surface@\d+\.commit\(", request):
            if not answering:
                commits.append(moment)
        elif f := re.match(r" -> wl_surface@\d+\.frame\(new id wl_callback@(\d+)\)", request):
            frames.add(f[1])
            answering = False
        elif (f := re.match(r"wl_callback@(\d+)\.done\(", request)) and f[1] in frames:
            frames.discard(f[1])
            called_back.append(moment)
    elif m := re.match(r"tick (\d+) (\d+)(?: batch (\d+))?$", line):
        answering = False
        ticks.append((int(m[1]), int(m[2]), int(m[3]) if m[3] else None))

def verdict(ok, text):
    print(("ok " if ok else "FAILED ") + text)

# An output whose window is elsewhere: the play area on the other one goes
# on at the pace of the compositor's frames (two commits each, some 33 a
# second on an idle machine; held back, it would commit none).
if alone is not None:
    alone_commits = sum(alone <= t < alone + 1000 for t in commits)
    verdict(alone_commits >= 10, f"with the cover's output hidden the play area goes on: {alone_commits} commits in a second")

# The compositor stops calling back soon after the switch (a busy machine
# may take it a second or more); the frame committed after its last call
# back is owed from then on, and nothing more may go until it shows again.
last_call_back = max((t for t in called_back if t < showing), default=None)
verdict(last_call_back is not None and last_call_back < hidden + 2500,
        f"hidden, the compositor stops calling back ({last_call_back - hidden:.0f} ms after the switch)" if last_call_back else "no frame was ever called back")
owed = min((t for t in commits if last_call_back is not None and last_call_back <= t < showing), default=last_call_back or hidden)
settled = owed + 1
verdict(not any(settled <= t < showing for t in commits),
        f"hidden, it commits nothing once a frame is owed ({sum(settled <= t < showing for t in commits)} commits)")
late = [due for _, due, batch in ticks if batch is None and settled <= due < showing]
batches = sorted({batch for _, _, batch in ticks if batch is not None and settled <= batch < showing})
gaps = [b - a for a, b in zip(batches, batches[1:])]
verdict(not late and batches and all(gap >= 990 for gap in gaps),
        f"hidden, its ticks run in batches at most once a second (batches at {batches}, {len(late)} ticks alone)")

# (A frame may come before the answer does.)
after = [t - shown for t in commits if t >= showing]
verdict(after and after[0] <= 100,
        f"shown again, it commits a frame at once ({after[0]:.0f} ms from the switch's answer)" if after else "shown again, it commits nothing")

# Every tick of the box's 30 ms grid from the last before the hidden
# period to the first after it, each at its own due time: a batched tick
# is traced at its due time, one the loop woke for at the moment it ran,
# less than an interval after its due time. (Only this span: elsewhere a
# busy machine may wake the loop an interval late, and then one late tick
# stands for the ones it missed, as it always has.)
bounce = [(due, batch) for timer, due, batch in ticks if timer == 2]
back = min((batch for _, batch in bounce if batch is not None and batch >= showing), default=showing)
inside = [i for i, (_, batch) in enumerate(bounce) if batch is not None and settled <= batch <= back]
span = bounce[max(inside[0] - 1, 0):inside[-1] + 2] if inside else []
def follows(a, b):
    gap = b[0] - a[0]
    if a[1] is not None and b[1] is not None:
        return gap == 30
    if a[1] is None and b[1] is not None:
        return 0 < gap <= 30
    if a[1] is not None and b[1] is None:
        return 30 <= gap < 60
    return 0 < gap < 60
broken = [(a, b) for a, b in zip(span, span[1:]) if not follows(a, b)]
verdict(len(span) > 60 and not broken,
        f"its {len(span)} ticks around the hidden period follow the 30 ms grid with none missing {broken[:3]}")
EOF
}

# One run of the saver with the painter named (empty: the usual one), its
# checks labelled; with "alone", the cover's output is hidden first.
watch() {
    local painter=$1 label=$2 alone=- hidden showing shown result text
    # The tick trace and the client library's account of every request the
    # saver sends, in one stream.
    session_set QUILVENMOOR_TICK_TRACE=1 WAYLAND_DEBUG=client ${painter:+QUILVENMOOR_WAYLAND_PAINTER=$painter}
    start_wayland_saver
    session_set QUILVENMOOR_TICK_TRACE WAYLAND_DEBUG QUILVENMOOR_WAYLAND_PAINTER
    SHOT_OUTPUT=WL-1 locate_box || abort "$label: the saver's logo did not show"
    press_key q # bounce: the box stays in sight and moves with every tick
    if [ "${3:-}" = alone ]; then
        outer '[title="wlroots - WL-2"] move container to workspace 2'
        sleep 2
        alone=$(now)
        sleep 1
    fi
    # A switch is under way from the moment it is asked for, and done once
    # the outer sway has answered.
    outer workspace 3
    hidden=$(now)
    sleep 4
    showing=$(now)
    outer workspace 1
    shown=$(now)
    sleep 1
    # The frame after the hidden period clears every place the box went by.
    clean() { SHOT_OUTPUT=WL-1 logo_shows && [ "$(stray_pixels)" = 0 ]; }
    wait_until 3 clean && pass "$label: shown again, the box shows alone on black" ||
        fail "$label: shown again, $(stray_pixels) pixels outside the box are not black"
    running && pass "$label: it runs through it all" || fail "$label: it ended: $(grep -v '^\[\|^tick\|^frame' "$WORK/saver.out" | head -3)"
    stop_saver
    judge "$WORK/saver.out" "$start" "$wall_start" "$alone" "$hidden" "$showing" "$shown" >"$WORK/verdicts" ||
        abort "$label: the trace could not be read"
    while read -r result text; do
        [ "$result" = ok ] && pass "$label: $text" || fail "$label: $text"
    done <"$WORK/verdicts"
}

watch "" subsurfaces alone
watch buffer buffers
finish
