#!/bin/bash
# Performance report piece (see scripts/bench-savers.py pacing), printed as Markdown.
root="$(cd "$(dirname "$0")/.." && pwd)"
exec "$root/scripts/with-wine.sh" /usr/bin/python3 "$root/scripts/bench-savers.py" pacing
