# Shared by the test, demo and Wine scripts: the build folders and the one
# place that decides how a Windows program of either build starts.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
export WINEDEBUG=-all

# The two Windows builds by their Wine architecture: win32 is the shipped
# i686 build, win64 the x86_64 build of the same sources.
toolchain_win32=mingw-i686
toolchain_win64=mingw-x86_64

# Whether this machine executes 32-bit x86 code: some kernels run 64-bit user
# code only, and execve of an i386 program fails there with ENOEXEC. Found out
# by starting the 32-bit loader once.
wine32_runs() {
    [ -z "${wine32_reason+set}" ] || return "$wine32_status"
    wine32_reason=$(/usr/lib/wine/wine --version 2>&1 >/dev/null) && wine32_status=0 || wine32_status=1
    [ "$wine32_status" -eq 0 ] || wine32_reason="/usr/lib/wine/wine: ${wine32_reason##*: }"
    return "$wine32_status"
}

# The build that runs here by default: the i686 one wherever 32-bit code runs.
default_wine_arch() {
    if wine32_runs; then echo win32; else echo win64; fi
}

# Selects the loader, the server and the private prefix of one build. Debian's
# `wine` starts the 32-bit loader whenever it is installed and its
# `wineserver` the 64-bit server when both are, so both are named here.
#   wine_use ARCH [PREFIX]    ARCH: win32 or win64; PREFIX defaults to the build's own
wine_use() {
    local arch=$1
    case "$arch" in
        win32) WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 ;;
        win64) WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
        *) echo "wine_use: unknown architecture '$arch'" >&2; return 2 ;;
    esac
    export WINEARCH=$arch WINELOADER WINESERVER
    export WINEPREFIX="${2:-$build/$arch/wineprefix}"
}

configure_windows() {
    local arch=$1 toolchain="toolchain_$1"
    cmake -S "$root" -B "$build/$arch" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/${!toolchain}.cmake" >/dev/null
}

# Creates each build's prefix once (side by side), then keeps one Wine server
# per prefix for the whole run so that every program starts quickly; all are
# stopped when the script ends.
#
# Each prefix also gets a Wine program that lives as long as the run, with its
# output on /dev/null (a cmd.exe reading a pipe nobody writes to). The
# prefix's system processes (services, rpcss, plugplay, ...) are started for
# it and stay up. Otherwise whichever program happened to start them would
# hand them its output pipe, and CTest would wait on that test's pipe until
# the last Wine program of the prefix had ended.
#   start_wine ARCH...
wine_servers=()
wine_hold=
start_wine() {
    local arch
    wine_hold=$(mktemp -u "${TMPDIR:-/tmp}/elk-wine-hold.XXXXXX")
    mkfifo "$wine_hold"
    exec 9<>"$wine_hold"  # a writer that never writes: the readers wait forever
    for arch in "$@"; do
        (
            wine_use "$arch"
            mkdir -p "$WINEPREFIX"
            "$root/scripts/wine-run.sh" cmd.exe /c exit 0 >/dev/null 2>&1 || true
            "$WINESERVER" -p 2>/dev/null || true  # already running is fine
            "$root/scripts/wine-run.sh" cmd.exe <"$wine_hold" >/dev/null 2>&1 &
        ) &
        wine_servers+=("$arch")
    done
    trap stop_wine EXIT
    wait
}
stop_wine() {
    local arch
    for arch in "${wine_servers[@]}"; do
        (wine_use "$arch"; "$WINESERVER" -k 2>/dev/null || true)
    done
    if [ -n "$wine_hold" ]; then
        exec 9>&-
        rm -f "$wine_hold"
    fi
}
