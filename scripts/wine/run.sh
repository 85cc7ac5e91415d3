#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix (created on first use).
# CMake uses this as the cross-compiling emulator: run.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
prefix=$(realpath -m "$1")
shift
"$(dirname "$0")/prefix.sh" "$prefix" "${PROBEDECK_WINE_DRIVER:-null}"
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# A fixed locale gives every run the same ANSI code page (1252).
export LANG=C.UTF-8
unset LC_ALL LC_CTYPE
export WINEDLLOVERRIDES="mscoree,mshtml="
# 64-bit programs go straight to the 64-bit loader, which also serves prefixes
# made before 32-bit Wine was installed.
loader=wine
if [ -x /usr/lib/wine/wine64 ] && [ "$(od -An -tx1 -j "$(( $(od -An -tu4 -j60 -N4 "$1" 2>/dev/null) + 4 ))" -N2 "$1" 2>/dev/null | tr -d ' ')" = 6486 ]; then
    loader=/usr/lib/wine/wine64
    export WINELOADER=$loader
fi
exec "$loader" "$@"
