// Whether a full-screen window (a game, a presentation) holds the foreground.
#include <windows.h>

#include <atomic>

#include "base/bind.h"
#include "include/elkBase.h"

namespace {

using MonitorFromWindowFn = HMONITOR(WINAPI*)(HWND, DWORD);
using GetMonitorInfoFn = BOOL(WINAPI*)(HMONITOR, MONITORINFO*);

// What the first call looks up, shared by all threads. `state` goes from
// empty to filling (one thread) to filled; the others wait for filled, so
// nobody reads a half-filled cache. (Nothing of Vista's one-time
// initialisation: the library runs on XP.)
struct Cache {
    enum : LONG { kEmpty, kFilling, kFilled };
    std::atomic<LONG> state{kEmpty};
    HWND desktop = nullptr;
    MonitorFromWindowFn monitorFromWindow = nullptr;
    GetMonitorInfoFn getMonitorInfo = nullptr;
    std::atomic<HWND> found{nullptr};  // the window found full-screen last time
};

Cache g_cache;

const Cache& cache() {
    LONG state = g_cache.state.load(std::memory_order_acquire);
    if (state == Cache::kFilled) return g_cache;
    if (state == Cache::kEmpty && g_cache.state.compare_exchange_strong(state, Cache::kFilling)) {
        g_cache.desktop = GetDesktopWindow();
        HMODULE user32 = GetModuleHandleW(L"USER32.DLL");
        // Both or neither: the systems before 98 and 2000 have no monitors API.
        auto fromWindow = elk::bindProc<MonitorFromWindowFn>(user32, "MonitorFromWindow");
        auto info = elk::bindProc<GetMonitorInfoFn>(user32, "GetMonitorInfoW");
        if (fromWindow && info) {
            g_cache.monitorFromWindow = fromWindow;
            g_cache.getMonitorInfo = info;
        }
        g_cache.state.store(Cache::kFilled, std::memory_order_release);
        return g_cache;
    }
    while (g_cache.state.load(std::memory_order_acquire) != Cache::kFilled) Sleep(1);
    return g_cache;
}

RECT monitorOf(const Cache& c, HWND window) {
    if (c.monitorFromWindow) {
        MONITORINFO info = {};
        info.cbSize = sizeof(info);
        HMONITOR monitor = c.monitorFromWindow(window, MONITOR_DEFAULTTONEAREST);
        if (monitor && c.getMonitorInfo(monitor, &info)) return info.rcMonitor;
    }
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// A window with caption and sizing border counts by its client area, so that
// a maximised ordinary window is not taken for a full-screen one.
RECT areaOf(HWND window) {
    RECT area = {};
    constexpr LONG kFramed = WS_CAPTION | WS_THICKFRAME;
    if ((GetWindowLongW(window, GWL_STYLE) & kFramed) == kFramed) {
        GetClientRect(window, &area);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&area), 2);
    } else {
        GetWindowRect(window, &area);
    }
    return area;
}

bool inForeground(HWND window) {
    HWND foreground = GetForegroundWindow();
    if (!foreground) return false;
    if (GetWindowThreadProcessId(window, nullptr) == GetWindowThreadProcessId(foreground, nullptr)) return true;
    for (HWND up = foreground; up; up = GetParent(up))
        if (up == window) return true;
    return false;
}

bool isFullscreen(const Cache& c, HWND window) {
    if (window == c.desktop) return false;
    RECT monitor = monitorOf(c, window), area = areaOf(window), both;
    UnionRect(&both, &monitor, &area);
    if (!EqualRect(&both, &area) || !inForeground(window)) return false;
    // The shell's desktop covers the screen and may hold the foreground.
    wchar_t name[257];
    return GetClassNameW(window, name, ARRAYSIZE(name)) != 0 && lstrcmpiW(name, L"Progman") != 0;
}

struct Search {
    const Cache& cache;
    HWND found;
};

BOOL CALLBACK visit(HWND window, LPARAM search) {
    auto& s = *reinterpret_cast<Search*>(search);
    if (!isFullscreen(s.cache, window)) return TRUE;
    s.found = window;
    return FALSE;
}

}  // namespace

extern "C" BOOL WINAPI basFullscreenAppRunning(void) {
    const Cache& c = cache();
    HWND last = g_cache.found.load();
    if (last && IsWindow(last) && isFullscreen(c, last)) return TRUE;
    Search search{c, nullptr};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    g_cache.found.store(search.found);
    return search.found != nullptr;
}
