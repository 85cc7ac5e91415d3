#!/usr/bin/env bash
# Runs Probedeck.exe on a virtual X display and saves a picture of its window.
# Usage: screenshot.sh BIN_DIR OUTPUT.png
#   BIN_DIR     the runnable install (holds Probedeck.exe)
#   OUTPUT.png  where the picture goes
# Uses a Wine prefix with the X11 driver beside BIN_DIR (wineprefix-x11).
set -euo pipefail
bin=$(realpath "$1")
out=$(realpath -m "$2")
here=$(cd "$(dirname "$0")" && pwd)
prefix=$(dirname "$bin")/wineprefix-x11
mkdir -p "$(dirname "$out")"

source "$here/xvfb.sh"
probedeck_start_xvfb 90 140 "$prefix"

PROBEDECK_WINE_DRIVER=x11 "$here/wine/server.sh" start "$prefix"
( cd "$bin" && PROBEDECK_WINE_DRIVER=x11 "$here/wine/run.sh" "$prefix" "$bin/Probedeck.exe" ) </dev/null >/dev/null 2>&1 &

# Wait for the window, let it paint, then take its picture.
for _ in $(seq 120); do
    if xwininfo -name ConsoleWindow >/dev/null 2>&1; then break; fi
    sleep 0.5
done
xwininfo -name ConsoleWindow >/dev/null 2>&1 || { echo "the console window did not appear" >&2; exit 1; }
sleep 2
import -display "$DISPLAY" -window ConsoleWindow "$out"
echo "screenshot of the console window: $out"
