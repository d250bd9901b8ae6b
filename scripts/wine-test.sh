#!/bin/bash
# Runs one Windows test program under Wine, in the prefix and on the display
# that scripts/with-wine.sh set up (or a private prefix when run alone).
set -uo pipefail
if [ -z "${WINEPREFIX:-}" ]; then
    exec "$(dirname "$0")/with-wine.sh" "$0" "$@"
fi
export WINEDEBUG="${WINEDEBUG:--all}"
exec wine "$@"
