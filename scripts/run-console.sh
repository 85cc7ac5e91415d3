#!/usr/bin/env bash
# Builds the 64-bit console and runs it under Wine. With a display it opens
# the window there; without one it runs on a virtual display and saves a
# picture of the window.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/install-deps.sh run
cmake --preset x64 >/dev/null
cmake --build --preset x64
bin=$root/build/x64/bin

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    prefix=$root/build/x64/wineprefix-x11
    PROBEDECK_WINE_DRIVER=x11 scripts/wine/server.sh start "$prefix"
    cd "$bin"
    PROBEDECK_WINE_DRIVER=x11 exec "$root/scripts/wine/run.sh" "$prefix" "$bin/Probedeck.exe"
fi
echo "no display: running the console on a virtual display"
scripts/screenshot.sh "$bin" "$root/build/x64/screenshot/console.png"
