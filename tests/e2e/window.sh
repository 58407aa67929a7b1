#!/bin/bash
# Starts the program windowed, waits for its first picture, zooms with a dragged box, resets
# with F2, zooms with the wheel and closes it with Alt+F4, checking the screen after each step.
# Usage: window.sh PROGRAM.exe   (DISPLAY and WINEPREFIX come from the test run)
set -u
EXE=$1
WINE64=/usr/lib/wine/wine64
: "${DISPLAY:?e2e needs the test run's DISPLAY}" "${WINEPREFIX:?e2e needs the test run's WINEPREFIX}"
export WINEDEBUG=${WINEDEBUG:--all} WINELOADER=$WINE64
WORK=$(mktemp -d)
PID=""

cleanup() {
    if [ -n "$PID" ] && kill -0 "$PID" 2> /dev/null; then kill "$PID" 2> /dev/null; fi
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "e2e: FAIL: $*"; exit 1; }

# The picture area, in window co-ordinates, well inside the image below toolbar and above the
# status bar of the 640 x 555 window.
CROP_W=440; CROP_H=300; CROP_X=100; CROP_Y=150

shot() { # file: the picture area as on screen now
    import -window root -crop "${CROP_W}x${CROP_H}+$((WX + CROP_X))+$((WY + CROP_Y))" +repage "$1" 2> /dev/null
}
differing() { # pixels that differ between two shots
    compare -metric AE "$1" "$2" null: 2>&1 | cut -d' ' -f1
}
colours() { convert "$1" -format '%k' info:; }

# Waits until the picture is not blank, differs from BEFORE when one is given (the step's
# render has shown), and then stays the same over three shots 0.7 s apart. That is longer
# than the second between the redraws of a render still running, which a busy machine
# stretches even a small render into: two equal shots alone may fall between two redraws.
settle() { # file [BEFORE]
    local prev="$WORK/prev.png" i same=0
    shot "$prev"
    for i in $(seq 120); do
        sleep 0.7
        shot "$1"
        if [ -n "${2:-}" ] && [ "$(differing "$2" "$1")" = 0 ]; then
            same=0
        elif [ "$(differing "$prev" "$1")" = 0 ] && [ "$(colours "$1")" -gt 8 ]; then
            same=$((same + 1))
            [ "$same" -ge 2 ] && return 0
        else
            same=0
        fi
        cp "$1" "$prev"
    done
    fail "the picture did not settle"
}

cd "$(dirname "$EXE")" || fail "no program folder"
"$WINE64" "$EXE" windowed > "$WORK/out.txt" 2>&1 &
PID=$!

WIN=""
for _ in $(seq 150); do
    WIN=$(xdotool search --onlyvisible --pid "$PID" --name '^Zorbscape$' 2> /dev/null | head -1)
    [ -n "$WIN" ] && break
    kill -0 "$PID" 2> /dev/null || fail "the program ended before showing its window"
    sleep 0.2
done
[ -n "$WIN" ] || fail "no window"
eval "$(xdotool getwindowgeometry --shell "$WIN")"
WX=$X; WY=$Y
[ "$WIDTH" = 640 ] && [ "$HEIGHT" = 555 ] || fail "window is ${WIDTH}x${HEIGHT}, not 640x555"
echo "e2e: window $WIN at $WX,$WY"

settle "$WORK/first.png"
echo "e2e: first picture, $(colours "$WORK/first.png") colours"
xdotool windowfocus --sync "$WIN" 2> /dev/null || true

# F2 resets: the reset picture is the one every later reset must show again.
xdotool key F2
settle "$WORK/reset1.png"

# A box dragged over the upper part of the set zooms into it.
xdotool mousemove --sync $((WX + 300)) $((WY + 200)) mousedown 1 \
    mousemove --sync $((WX + 340)) $((WY + 230)) mousemove --sync $((WX + 380)) $((WY + 260)) mouseup 1
settle "$WORK/zoomed.png" "$WORK/reset1.png"
changed=$(differing "$WORK/reset1.png" "$WORK/zoomed.png")
[ "$changed" -gt $((CROP_W * CROP_H / 4)) ] || fail "the dragged zoom changed only $changed pixels"
echo "e2e: dragged zoom changed $changed pixels"

xdotool key F2
settle "$WORK/reset2.png" "$WORK/zoomed.png"
[ "$(differing "$WORK/reset1.png" "$WORK/reset2.png")" = 0 ] || fail "F2 did not bring the reset picture back"
echo "e2e: F2 shows the reset picture again"

# One wheel notch up at the centre of the crop zooms in by 120/110 about that point: the new
# picture is close to the old one enlarged about it, and far from the old one as it was.
xdotool mousemove --sync $((WX + CROP_X + CROP_W / 2)) $((WY + CROP_Y + CROP_H / 2)) click 4
settle "$WORK/wheel.png" "$WORK/reset2.png"
convert "$WORK/reset2.png" -distort SRT "$((CROP_W / 2)),$((CROP_H / 2)) 1.0909091 0" "$WORK/expected.png"
near=$(compare -metric RMSE "$WORK/wheel.png" "$WORK/expected.png" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
far=$(compare -metric RMSE "$WORK/wheel.png" "$WORK/reset2.png" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/')
echo "e2e: wheel zoom: error against the enlarged picture $near, against the old one $far"
awk -v n="$near" -v f="$far" 'BEGIN { exit !(f > 0.02 && n < f * 0.6) }' || fail "the wheel did not zoom in about the cursor"

# Alt+F4 closes the window; the program ends by itself with 0.
xdotool windowfocus --sync "$WIN" 2> /dev/null || true
xdotool key alt+F4
for _ in $(seq 300); do
    kill -0 "$PID" 2> /dev/null || break
    sleep 0.1
done
kill -0 "$PID" 2> /dev/null && fail "the program did not end after Alt+F4"
wait "$PID"
rc=$?
PID=""
[ "$rc" = 0 ] || fail "the program ended with $rc"
echo "e2e: closed cleanly"
