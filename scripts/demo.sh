#!/bin/bash
# Builds the library and lays out a demo installation (program folder with the
# library, the suite's libraries and both language modules; data folder with
# the INI file), then runs elkctl from it under Wine: the shipped i686 build
# where this machine executes 32-bit code, the x86_64 build elsewhere.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/setup.sh"

if wine32_runs; then
    arch=win32
    echo "demo: running the i686 build of elkctl"
else
    arch=win64
    echo "demo: running the x86_64 build of elkctl: this machine cannot execute 32-bit x86 programs ($wine32_reason)"
fi
configure_windows "$arch"
cmake --build "$build/$arch" -j2 --target elkctl ozrCmnOS ozrCmnIS ozrEngLdr Pemx4h lang_1033 lang_1031

demo="$build/demo/Tarvo"
rm -rf "$build/demo"
mkdir -p "$demo/Data/Logs" "$demo/1033" "$demo/1031"
bin="$build/$arch/bin"
cp "$bin"/{elkctl.exe,elkBase.dll,ozrCmnBS.dll,ozrCmnOS.dll,ozrCmnIS.dll,ozrEngLdr.dll,Pemx4h.dll} "$demo/"
cp "$bin/lang/1033/Base.dll" "$demo/1033/"
cp "$bin/lang/1031/Base.dll" "$demo/1031/"
printf '[Languages]\r\nEngine=1033\r\n' > "$demo/Data/Tarvo5.ini"

# The suite's base library finds the installation beside itself.
unset TARVO_PROGRAM_PATH TARVO_DATA_PATH TARVO_LOG_PATH
start_wine "$arch"
wine_use "$arch"
run() {
    echo "\$ elkctl $*"
    "$root/scripts/wine-run.sh" "$demo/elkctl.exe" "$@"
}
run info
run error 0x7FFF0003
