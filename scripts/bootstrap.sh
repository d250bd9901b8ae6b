#!/bin/bash
# Installs the Debian packages the build and the tests need. A second run
# finds them all and returns in a second or two.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
    libjpeg62-turbo-dev libegl-dev libgl-dev libglu1-mesa-dev libegl-mesa0 libgl1-mesa-dri
    libx11-dev libpng-dev libfreetype-dev fonts-dejavu-core
    googletest libgtest-dev libbenchmark-dev
    clang libclang-rt-14-dev
    wine wine64 xvfb xauth xdotool x11-utils imagemagick
    python3 python3-pytest python3-numpy python3-pil
    nsis dpkg-dev
    xscreensaver-gl
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ "${#missing[@]}" -eq 0 ]; then
    exit 0
fi

echo "bootstrap: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
