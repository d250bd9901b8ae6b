#!/bin/bash
# make run: the Linux saver.
#
#   scripts/run.sh [OPTION...]   with a display: build/linux/pellix in a window
#                                (options as pellix takes them, e.g. -fullscreen);
#                                without one: pellix-render writes a few frames
#                                under build/preview/ and prints their paths.
#   scripts/run.sh --windows [SWITCH...]
#                                the Windows saver under Wine, /s when no switch
#                                is given (/c for the settings, /p HWND for a
#                                preview); without a display on a private Xvfb
#                                for a few seconds, leaving a screenshot in
#                                build/preview/.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

# Inside with-wine.sh: its display and prefix are set.
if [ "${1:-}" = "--windows-shot" ]; then
    saver="$2"
    shift 2
    preview_seconds=6
    window_wait_tenths=600
    shot="$root/build/preview/pellix-wine.png"
    mkdir -p "$(dirname "$shot")"
    wine "$saver" "$@" >/dev/null 2>&1 &
    saver_pid=$!
    trap 'kill "$saver_pid" >/dev/null 2>&1 || true; wait "$saver_pid" 2>/dev/null || true' EXIT
    for _ in $(seq 1 "$window_wait_tenths"); do
        if xdotool search --onlyvisible --name '^SaverWindow$' >/dev/null 2>&1; then
            break
        fi
        if ! kill -0 "$saver_pid" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    sleep "$preview_seconds"
    import -window root "$shot"
    echo "run: screenshot of the running saver: $shot"
    exit 0
fi

if [ "${1:-}" != "--windows" ]; then
    linux_build="${PELLIX_LINUX_BUILD:-$root/build/linux}"
    if [ -n "${DISPLAY:-}" ]; then
        if [ ! -x "$linux_build/pellix" ]; then
            echo "run: $linux_build/pellix is missing; build it with 'make linux'" >&2
            exit 1
        fi
        echo "run: Pellix in a window: digits change the mirrors, M switches them, Up spins, Escape or Q ends"
        exec "$linux_build/pellix" "$@"
    fi
    if [ ! -x "$linux_build/pellix-render" ]; then
        echo "run: $linux_build/pellix-render is missing; build it with 'make linux'" >&2
        exit 1
    fi
    echo "run: no display; rendering frames of a 6-second run (the 2 key at 2 s) with pellix-render"
    exec "$linux_build/pellix-render" --size 1280x720 --seconds 6 --every 36 --keys 2@2 \
        --out "$root/build/preview"
fi
shift

build="${PELLIX_WINDOWS_BUILD:-$root/build/windows}"
saver="$build/pellix.scr"
if [ ! -f "$saver" ]; then
    echo "run: $saver is missing; build it with 'make windows'" >&2
    exit 1
fi
if [ "$#" -eq 0 ]; then
    set -- /s
fi

export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=,winemenubuilder.exe=d"

if [ -n "${DISPLAY:-}" ]; then
    export WINEPREFIX="$root/build/run-prefix"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "run: preparing a Wine prefix in $WINEPREFIX (once)"
        wineboot -i >/dev/null 2>&1
        wineserver -w
    fi
    wine "$saver" "$@"
    exit $?
fi

# No display: the saver for a few seconds on a private display, one screenshot.
echo "run: no display; running the saver on a private Xvfb"
exec "$root/scripts/with-wine.sh" "$root/scripts/run.sh" --windows-shot "$saver" "$@"
