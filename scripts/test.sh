#!/bin/bash
# Builds everything (native core under the sanitizers, 32-bit Windows, and the
# 64-bit Windows compile) and runs every test: native ones directly, Windows
# ones under Wine. Ends with CTest's summary.
set -euo pipefail
source "$(dirname "$0")/common.sh"
"$root/scripts/setup.sh"

cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build/native" -j2

configure_windows
cmake --build "$build/win32" -j2

cmake -S "$root" -B "$build/win64" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" >/dev/null
cmake --build "$build/win64" -j2 --target elkBase elkctl ozrCmnBS ozrCmnOS ozrCmnIS Pemx4h lang_1033 lang_1031

# One CTest run over both builds, so that one summary covers every test.
printf 'subdirs("native")\nsubdirs("win32")\n' > "$build/CTestTestfile.cmake"
start_wine
cd "$build"
xvfb-run -a ctest --output-on-failure -j2 --timeout 600
