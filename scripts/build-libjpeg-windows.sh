#!/bin/bash
# Cross-builds libjpeg-turbo (6b interface, version 62) for mingw-w64 from
# Debian's source package into $1 (default build/deps/libjpeg-windows).
# Does nothing when the library is already there.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
prefix="${1:-$root/build/deps/libjpeg-windows}"
if [ -f "$prefix/lib/libjpeg.a" ] && [ -f "$prefix/include/jconfig.h" ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
sources=/etc/apt/sources.list.d/pellix-deb-src.sources
if ! grep -rqs "^Types:.*deb-src" /etc/apt/sources.list.d/ && ! grep -qs "^deb-src" /etc/apt/sources.list; then
    uri="$(grep -m1 '^URIs:' /etc/apt/sources.list.d/debian.sources 2>/dev/null | awk '{print $2}')"
    uri="${uri:-http://deb.debian.org/debian}"
    printf 'Types: deb-src\nURIs: %s\nSuites: bookworm\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' "$uri" \
        | $sudo tee "$sources" >/dev/null
    $sudo apt-get update -qq
fi

work="$root/build/deps/libjpeg-src"
rm -rf "$work"
mkdir -p "$work"
(cd "$work" && apt-get source -qq libjpeg-turbo >/dev/null 2>&1 || apt-get source libjpeg-turbo)
src="$(find "$work" -maxdepth 1 -type d -name 'libjpeg-turbo-*' | head -n1)"
if [ -z "$src" ]; then
    echo "libjpeg-turbo source not found" >&2
    exit 1
fi

cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON \
    -DWITH_TURBOJPEG=OFF -DWITH_SIMD=OFF -DWITH_JPEG8=OFF -DWITH_JPEG7=OFF >/dev/null
cmake --build "$work/build" --target jpeg-static >/dev/null
mkdir -p "$prefix/lib" "$prefix/include"
cp "$work/build/libjpeg.a" "$prefix/lib/"
cp "$work/build/jconfig.h" "$src/jpeglib.h" "$src/jmorecfg.h" "$src/jerror.h" "$prefix/include/"
rm -rf "$work"
