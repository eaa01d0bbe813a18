#!/bin/bash
# Takes a PNG picture of the program's window on a private X server.
#   tools/screenshot.sh OUT.png [lunaclock options...]
# The program is $LUNACLOCK_BINARY when set, else the one in build/. Needs Xvfb,
# xwininfo, xprop, xwd and ImageMagick's convert (scripts/install-deps).
set -euo pipefail

if [ $# -lt 1 ]; then
    echo "usage: $0 OUT.png [lunaclock options...]" >&2
    exit 2
fi
out=$1
shift
here=$(cd "$(dirname "$0")/.." && pwd)
program=${LUNACLOCK_BINARY:-}
if [ -z "$program" ]; then
    for candidate in "$here/build/src/lunaclock" "$here/build/lunaclock"; do
        if [ -x "$candidate" ]; then
            program=$candidate
            break
        fi
    done
fi
title="Lunaclock   by Orvane   v3.0.3"
if [ ! -x "$program" ]; then
    echo "$0: no program at $program (run make first)" >&2
    exit 1
fi

work=$(mktemp -d)
xvfb_pid=
program_pid=
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number to the given descriptor.
exec {display_fd}>"$work/display"
Xvfb -displayfd "$display_fd" -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec {display_fd}>&-

# Polls a condition every 50 ms for at most 10 s.
wait_for() {
    local what=$1
    shift
    for _ in $(seq 200); do
        if "$@"; then
            return 0
        fi
        sleep 0.05
    done
    echo "$0: timed out waiting for $what" >&2
    return 1
}

wait_for "the X server" test -s "$work/display"
display=":$(head -n1 "$work/display")"

"$program" -display "$display" "$@" >"$work/program.log" 2>&1 &
program_pid=$!

window_viewable() {
    xwininfo -display "$display" -name "$title" 2>/dev/null | grep -q 'Map State: IsViewable'
}
wait_for "the window to be mapped" window_viewable
window=$(xwininfo -display "$display" -name "$title" | awk '/Window id:/ { print $4 }')

# The icon name is set by the first picture redraw, which also paints the
# canvas; the panel was filled before the window was realized.
icon_named() {
    xprop -display "$display" -id "$window" WM_ICON_NAME 2>/dev/null | grep -q '= "'
}
wait_for "the first picture" icon_named
# Let the exposures of the labels be served.
sleep 0.3

xwd -display "$display" -id "$window" -silent | convert xwd:- "png:$out"
echo "$out: $(xwininfo -display "$display" -id "$window" | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }')"
