#!/bin/bash
# Installs what the build, the tests and the demo need on Debian 12 (as root),
# and only what is missing.
set -euo pipefail

packages=(
    cmake ninja-build clang libclang-rt-14-dev googletest libbenchmark-dev libssl-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686 libz-mingw-w64-dev
    wine wine64 wine32:i386 xvfb xauth
    python3-aiosmtpd
    locales
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

# Unix locales that locale-dependent tests run Wine under: Wine takes the
# user's locale from the process's LC_ALL. Listed in /etc/locale.gen so that a
# later locale-gen (run by package updates) keeps them.
test_locales=(de_DE.UTF-8 ru_RU.UTF-8)
regen=0
for l in "${test_locales[@]}"; do
    if ! locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}"; then
        if grep -qx "# *$l UTF-8" /etc/locale.gen; then
            sed -i "s/^# *$l UTF-8\$/$l UTF-8/" /etc/locale.gen
        elif ! grep -qx "$l UTF-8" /etc/locale.gen; then
            echo "$l UTF-8" >> /etc/locale.gen
        fi
        regen=1
    fi
done
if [ $regen -eq 1 ]; then
    echo "setup: generating locales ${test_locales[*]}"
    locale-gen >/dev/null
fi
