#!/bin/bash
# Builds the x64 programs and starts the AVX build under Wine.
# With $DISPLAY set it runs on that display until you close it; any arguments go to the program
# (e.g. "windowed" or "fullscreen"). ZORB_BUILD_DIR picks another build folder. Without a display it starts Xvfb, runs the program
# windowed, saves a screenshot of its first picture, prints where, and stops it.
set -euo pipefail

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${ZORB_BUILD_DIR:-$ROOT/build/x64}
"$ROOT/scripts/build.sh" x64 "$BUILD"
# shellcheck source=wine-env.sh
. "$ROOT/scripts/wine-env.sh"
EXE=$BUILD/bin/newZorb.exe

if [ -n "${DISPLAY:-}" ]; then
    zorb_prefix_64
    cd "$(dirname "$EXE")"
    exec "$WINE64" "$EXE" "$@"
fi

SHOT=$ROOT/build/screenshots/first-picture.png
mkdir -p "$(dirname "$SHOT")"
PID=""
finish() {
    if [ -n "$PID" ] && kill -0 "$PID" 2> /dev/null; then kill "$PID" 2> /dev/null || true; fi
    zorb_stop_all
}
trap finish EXIT
zorb_start_display
zorb_prefix_64
zorb_start_wineserver

cd "$(dirname "$EXE")"
"$WINE64" "$EXE" windowed > /dev/null 2>&1 &
PID=$!
WIN=""
for _ in $(seq 150); do
    WIN=$(xdotool search --onlyvisible --pid "$PID" --name '^Zorbscape$' 2> /dev/null | head -1 || true)
    [ -n "$WIN" ] && break
    sleep 0.2
done
if [ -z "$WIN" ]; then
    echo "run: the program showed no window" >&2
    exit 1
fi

# The first picture is there once two screenshots a second apart agree.
prev=$(mktemp --suffix=.png)
import -window "$WIN" "$prev"
for _ in $(seq 30); do
    sleep 1
    import -window "$WIN" "$SHOT"
    if [ "$(compare -metric AE "$prev" "$SHOT" null: 2>&1 | cut -d' ' -f1)" = 0 ]; then break; fi
    cp "$SHOT" "$prev"
done
rm -f "$prev"
echo "run: screenshot of the first picture: $SHOT"

xdotool windowfocus --sync "$WIN" 2> /dev/null || true
xdotool key alt+F4
for _ in $(seq 50); do
    kill -0 "$PID" 2> /dev/null || break
    sleep 0.1
done
