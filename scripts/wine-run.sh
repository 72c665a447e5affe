#!/bin/bash
# Runs a Windows program under Wine in the build's private prefix (never ~/.wine).
set -e
: "${WINEPREFIX:?WINEPREFIX must name the private prefix of the build}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    # First use: create the prefix without the Mono and Gecko installers.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >/dev/null 2>&1 || true
    wineserver -w
fi
exec wine "$@"
