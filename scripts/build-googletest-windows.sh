#!/bin/bash
# Cross-builds GoogleTest from /usr/src/googletest for mingw-w64 into $1
# (default build/deps/googletest-windows). Does nothing when already there.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
prefix="${1:-$root/build/deps/googletest-windows}"
if [ -f "$prefix/lib/libgtest.a" ]; then
    exit 0
fi
work="$root/build/deps/googletest-build"
cmake -S /usr/src/googletest -B "$work" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -Dgtest_disable_pthreads=OFF -DBUILD_GMOCK=OFF >/dev/null
cmake --build "$work" >/dev/null
cmake --install "$work" >/dev/null
rm -rf "$work"
