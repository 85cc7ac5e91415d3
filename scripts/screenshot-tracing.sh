#!/usr/bin/env bash
# Runs Tracing.exe on a virtual X display with a filter, folded scopes and a
# find in use (set by viewer_scene.exe), and saves a picture of its window
# at each DPI asked for.
# Usage: screenshot-tracing.sh BIN_DIR SCENE_EXE OUTPUT_DIR [DPI...]
#   BIN_DIR     the runnable install (holds Tracing.exe)
#   SCENE_EXE   viewer_scene.exe of the test build
#   OUTPUT_DIR  gets tracing-DPI.png for each DPI (default: 96 144)
# Uses a Wine prefix with the X11 driver beside BIN_DIR (wineprefix-x11-viewer).
set -euo pipefail
bin=$(realpath "$1")
scene=$(realpath "$2")
out=$(realpath -m "$3")
shift 3
dpis=("$@")
[ ${#dpis[@]} -gt 0 ] || dpis=(96 144)
here=$(cd "$(dirname "$0")" && pwd)
source "$here/wine/env.sh"
prefix=$(dirname "$bin")/wineprefix-x11-viewer
mkdir -p "$out"

source "$here/xvfb.sh"
probedeck_start_xvfb 141 190 "$prefix"
export PROBEDECK_WINE_DRIVER=x11

for dpi in "${dpis[@]}"; do
    # The DPI is read when Wine starts: set it, then start the server afresh.
    "$here/wine/server.sh" start "$prefix"
    WINEPREFIX=$prefix WINEDEBUG=-all probedeck_wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels \
        /t REG_DWORD /d "$dpi" /f </dev/null >/dev/null 2>&1
    "$here/wine/server.sh" stop "$prefix"
    WINEPREFIX=$prefix wineserver -w || true
    "$here/wine/server.sh" start "$prefix"
    # Wine's drive Z: is the root of the file system.
    program="Z:${bin//\//\\}\\Tracing.exe"
    "$here/wine/run.sh" "$prefix" "$scene" "$program" </dev/null
    for _ in $(seq 60); do
        xwininfo -name Tracing >/dev/null 2>&1 && break
        sleep 0.5
    done
    xwininfo -name Tracing >/dev/null 2>&1 || { echo "the Tracing window did not appear" >&2; exit 1; }
    sleep 1
    import -display "$DISPLAY" -window Tracing "$out/tracing-$dpi.png"
    echo "screenshot of Tracing.exe at $dpi DPI: $out/tracing-$dpi.png"
    "$here/wine/server.sh" stop "$prefix"
    WINEPREFIX=$prefix wineserver -w || true
done
