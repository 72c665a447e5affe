#!/bin/bash
# Runs a Windows program under Wine in a build's private prefix (never ~/.wine)
# with the loader and server of that build (WINEARCH: win32 or win64; win32
# when unset).
#   wine-run.sh PROGRAM [ARGS...]     the program
#   wine-run.sh wineserver [ARGS...]  the prefix's server (-p, -k, -w)
#   wine-run.sh --default-arch        prints the build that runs on this machine
set -e
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
if [ "${1:-}" = --default-arch ]; then
    default_wine_arch
    exit 0
fi
: "${WINEPREFIX:?WINEPREFIX must name the private prefix of the build}"
wine_use "${WINEARCH:-win32}" "$WINEPREFIX"
if [ "${1:-}" = wineserver ]; then
    shift
    exec "$WINESERVER" "$@"
fi
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # First use: create the prefix without the Mono and Gecko installers.
    WINEDLLOVERRIDES="mscoree,mshtml=" "$WINELOADER" wineboot.exe -i >/dev/null 2>&1 || true
    "$WINESERVER" -w
fi
exec "$WINELOADER" "$@"
