#!/usr/bin/env bash
# Tracing.exe's live window with a filter, folded scopes and a find in use,
# on a virtual display at 96 and 144 DPI: each picture is painted (not
# blank) and has the window's size at its DPI.
# Usage: screenshot_test.sh BIN_DIR SCENE_EXE OUTPUT_DIR
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
"$root/scripts/screenshot-tracing.sh" "$1" "$2" "$3" 96 144

size() { identify -format '%w %h\n' "$1"; }
read -r w96 h96 < <(size "$3/tracing-96.png")
read -r w144 h144 < <(size "$3/tracing-144.png")
echo "pictures: ${w96}x${h96} at 96 DPI, ${w144}x${h144} at 144 DPI"
# The window is made 960 x 540 at 96 DPI, frame included, and scaled with the DPI.
if [ "$w96" -lt 900 ] || [ "$w96" -gt 1100 ] || [ "$h96" -lt 480 ] || [ "$h96" -gt 640 ]; then
    echo "unexpected window size at 96 DPI" >&2
    exit 1
fi
if [ $((w144 * 100 / w96)) -lt 140 ] || [ $((w144 * 100 / w96)) -gt 160 ] \
    || [ $((h144 * 100 / h96)) -lt 140 ] || [ $((h144 * 100 / h96)) -gt 160 ]; then
    echo "the window did not grow with the DPI" >&2
    exit 1
fi
for picture in "$3/tracing-96.png" "$3/tracing-144.png"; do
    colours=$(convert "$picture" -format '%k' info:)
    echo "$(basename "$picture"): $colours distinct colours"
    if [ "$colours" -lt 16 ]; then
        echo "$picture looks blank" >&2
        exit 1
    fi
done
