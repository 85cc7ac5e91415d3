#!/usr/bin/env bash
# Starts (start) or stops (stop) the Wine server of a prefix outside any test's
# output, so that Wine's background services never hold a test's pipe open.
set -euo pipefail
source "$(dirname "$0")/env.sh"
action=$1
prefix=$(realpath -m "$2")
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
case $action in
start)
    "$(dirname "$0")/prefix.sh" "$prefix" "${PROBEDECK_WINE_DRIVER:-null}"
    ( wineserver -p && probedeck_wine cmd /c exit ) </dev/null >/dev/null 2>&1 || true ;;
stop)
    wineserver -k </dev/null >/dev/null 2>&1 || true ;;
esac
