#!/usr/bin/env bash
# Creates the project's Wine prefix once; later calls return at once.
# Usage: prefix.sh PREFIX DRIVER   (DRIVER: null for headless tests, x11 for a display)
set -euo pipefail
source "$(dirname "$0")/env.sh"
prefix=$(realpath -m "$1")
driver=${2:-null}
stamp="$prefix/.probedeck-$driver"
[ -f "$stamp" ] && exit 0

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
[ -f "$stamp" ] && exit 0

export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine's first start writes the registry and then lingers in the background;
# keep its output away from the caller so no pipe is held open.
probedeck_wine wineboot -i </dev/null >/dev/null 2>&1 || true
if [ "$driver" = null ]; then
    probedeck_wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f </dev/null >/dev/null 2>&1
fi
# No crash dialog: a crashing test ends, with winedbg's register dump and
# backtrace on its error output. (Wine starts winedbg --auto on a crash
# whether or not AeDebug names a debugger.)
probedeck_wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1
wineserver -w
touch "$stamp"
