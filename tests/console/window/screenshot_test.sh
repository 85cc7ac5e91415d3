#!/usr/bin/env bash
# The console's window on a virtual display is painted (not blank) and has at
# least the size its controls need.
# Usage: screenshot_test.sh BIN_DIR OUTPUT_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
out="$2/console.png"
"$root/scripts/screenshot.sh" "$1" "$out"

read -r width height < <(identify -format '%w %h\n' "$out")
echo "picture: ${width}x${height}"
# The controls reach 1072 x 749 base pixels; with the margin and the frame
# the window is larger, and at most twice that at this display's DPI.
if [ "$width" -lt 1080 ] || [ "$height" -lt 757 ] || [ "$width" -gt 2400 ] || [ "$height" -gt 1700 ]; then
    echo "unexpected window size ${width}x${height}" >&2
    exit 1
fi
colours=$(convert "$out" -format '%k' info:)
echo "distinct colours: $colours"
if [ "$colours" -lt 8 ]; then
    echo "the window looks blank" >&2
    exit 1
fi
