# Sourced by the screenshot scripts: a virtual X display of their own.
#
# probedeck_start_xvfb FIRST LAST PREFIX
#   starts Xvfb on the first free display number from FIRST to LAST, exports
#   DISPLAY, and on exit stops the Wine server of PREFIX and the display.

probedeck_start_xvfb() {
    local first=$1 last=$2 n
    probedeck_xvfb_prefix=$3
    # A free display number: no lock file and no socket.
    DISPLAY=""
    for n in $(seq "$first" "$last"); do
        if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then DISPLAY=":$n"; break; fi
    done
    [ -n "$DISPLAY" ] || { echo "no free X display number" >&2; exit 1; }
    export DISPLAY
    Xvfb "$DISPLAY" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
    probedeck_xvfb_pid=$!
    trap probedeck_stop_xvfb EXIT
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

probedeck_stop_xvfb() {
    WINEPREFIX=$probedeck_xvfb_prefix wineserver -k >/dev/null 2>&1 || true
    kill "$probedeck_xvfb_pid" >/dev/null 2>&1 || true
    wait "$probedeck_xvfb_pid" 2>/dev/null || true
}
