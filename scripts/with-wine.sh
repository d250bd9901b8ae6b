#!/bin/bash
# Runs a command with a fresh temporary WINEPREFIX and a private Xvfb
# display, and removes both afterwards, whatever the command did.
set -uo pipefail

prefix="$(mktemp -d /tmp/pellix-wine.XXXXXX)"
xvfb_pid=""
cleanup() {
    WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" >/dev/null 2>&1 || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$prefix"
}
trap cleanup EXIT

if [ -z "${PELLIX_KEEP_DISPLAY:-}" ] || [ -z "${DISPLAY:-}" ]; then
    fifo="$(mktemp -u /tmp/pellix-xvfb.XXXXXX)"
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x720x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r -t 30 display_number <"$fifo" || true
    rm -f "$fifo"
    if [ -z "${display_number:-}" ]; then
        echo "with-wine: Xvfb did not start" >&2
        exit 1
    fi
    export DISPLAY=":$display_number"
fi

export WINEPREFIX="$prefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
wineboot -i >/dev/null 2>&1
wineserver -w
"$@"
status=$?
exit $status
