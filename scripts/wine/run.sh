#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix (created on first use).
# CMake uses this as the cross-compiling emulator: run.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
prefix=$(realpath -m "$1")
shift
"$(dirname "$0")/prefix.sh" "$prefix" "${PROBEDECK_WINE_DRIVER:-null}"
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
