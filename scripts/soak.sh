#!/bin/bash
# make soak: the long runs. 72 simulated hours of the real scene and renderer
# (PELLIX_SOAK_HOURS), the real pellix.scr under Wine for ten minutes
# (PELLIX_SOAK_WINE_SECONDS) and a minute of auto-repeating command keys
# (PELLIX_LOAD_SECONDS). Ends non-zero when any part fails, after the rest.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
linux_build="${PELLIX_LINUX_BUILD:-build/linux}"
export PELLIX_WINDOWS_BUILD="${PELLIX_WINDOWS_BUILD:-$root/build/windows}"
export PELLIX_SOAK_HOURS="${PELLIX_SOAK_HOURS:-72}"
export PELLIX_SOAK_WINE_SECONDS="${PELLIX_SOAK_WINE_SECONDS:-600}"
export PELLIX_LOAD_SECONDS="${PELLIX_LOAD_SECONDS:-60}"
failed=()

echo "=== simulated soak: $PELLIX_SOAK_HOURS h at 24 fps"
if ! "$linux_build/tests/soak/soak_tests"; then
    failed+=(simulated)
fi

echo "=== pellix.scr under Wine: $PELLIX_SOAK_WINE_SECONDS s, then $PELLIX_LOAD_SECONDS s of command keys"
if ! /usr/bin/python3 -m pytest -q -s -p no:cacheprovider tests/e2e/soak_wine.py tests/e2e/test_load.py; then
    failed+=(wine)
fi

if [ "${#failed[@]}" -ne 0 ]; then
    echo "soak FAILED: ${failed[*]}"
    exit 1
fi
echo "soak passed"
