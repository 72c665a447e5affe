#!/bin/bash
# Installs what the build, the tests and the demo need on Debian 12 (as root),
# and only what is missing.
set -euo pipefail

packages=(
    cmake ninja-build clang libclang-rt-14-dev googletest libbenchmark-dev libssl-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 libz-mingw-w64-dev
    wine wine32:i386 xvfb xauth
)

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${missing[@]}"
fi
