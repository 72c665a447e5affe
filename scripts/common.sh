# Shared by the test and demo scripts: folders and the Wine server of the run.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
export WINEPREFIX="$build/win32/wineprefix" WINEDEBUG=-all

configure_windows() {
    cmake -S "$root" -B "$build/win32" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
}

# Creates the private prefix once, then keeps one Wine server for the whole
# run so that every program starts quickly; it is stopped when the script ends.
start_wine() {
    mkdir -p "$build/win32"
    "$root/scripts/wine-run.sh" cmd.exe /c exit 0 >/dev/null 2>&1 || true
    wineserver -p 2>/dev/null || true  # already running is fine
    trap 'wineserver -k 2>/dev/null || true' EXIT
}
