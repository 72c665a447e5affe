#!/bin/bash
# Builds everything (native core under the sanitizers, the i686 and x86_64
# Windows builds) and runs every test: native ones directly, Windows ones under
# Wine, each build in its own prefix. The i686 tests run wherever this machine
# executes 32-bit code. Ends with CTest's summary.
set -euo pipefail
source "$(dirname "$0")/common.sh"

if [ "${1:-}" != --run ]; then
    "$root/scripts/setup.sh"
    cmake -S "$root" -B "$build/native" -G Ninja -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
    cmake --build "$build/native" -j2
    for arch in win32 win64; do
        configure_windows "$arch"
        cmake --build "$build/$arch" -j2
    done
    # The Wine servers and every test share one X display.
    exec xvfb-run -a "$root/scripts/test.sh" --run
fi

# One CTest run over the builds that run here, so that one summary covers
# every test; each entry's name starts with its build.
runs=(native win64)
if wine32_runs; then
    runs+=(win32)
    echo "test: running the native, x86_64 and i686 Windows tests"
else
    echo "test: the i686 Windows tests were built but not run: this machine cannot execute 32-bit x86 programs ($wine32_reason); running the native and x86_64 Windows tests"
fi
printf 'subdirs("%s")\n' "${runs[@]}" > "$build/CTestTestfile.cmake"
start_wine "${runs[@]:1}"
cd "$build"
ctest --output-on-failure -j2 --timeout 600
