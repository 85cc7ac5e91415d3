#!/usr/bin/env bash
# Runs a Windows program under Wine in the given prefix (created on first use).
# CMake uses this as the cross-compiling emulator: run.sh PREFIX PROGRAM [ARGS...]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/env.sh"
prefix=$(realpath -m "$1")
shift
"$here/prefix.sh" "$prefix" "${PROBEDECK_WINE_DRIVER:-null}"
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# A fixed locale gives every run the same ANSI code page (1252).
export LANG=C.UTF-8
unset LC_ALL LC_CTYPE
export WINEDLLOVERRIDES="mscoree,mshtml="
# 64-bit programs go straight to the 64-bit loader, which also serves prefixes
# made before 32-bit Wine was installed; the processes they start inherit it.
loader=$(probedeck_wine_for "$1")
export WINELOADER=$loader
exec "$loader" "$@"
