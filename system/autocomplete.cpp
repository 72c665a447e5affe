// Auto-completion in edit fields through the shell's SHAutoComplete, bound on
// first use and let go by the last shut-down.
#include <windows.h>

#include <atomic>

#include "base/bind.h"
#include "base/handles.h"
#include "base/startup_services.h"
#include "include/elkBase.h"

namespace {

using AutoCompleteFn = HRESULT(WINAPI*)(HWND window, DWORD flags);

// The entry point is published only once its module is held, so a reader
// that sees it may call it; the lock makes concurrent first calls bind once.
struct Binding {
    elk::CriticalSection lock;
    elk::UniqueModule shlwapi;
    std::atomic<AutoCompleteFn> entry{nullptr};
};

Binding g_binding;

// The entry point, or null with the system's last error.
AutoCompleteFn autoComplete() {
    if (AutoCompleteFn fn = g_binding.entry.load(std::memory_order_acquire)) return fn;
    elk::Lock hold(g_binding.lock);
    if (AutoCompleteFn fn = g_binding.entry.load(std::memory_order_relaxed)) return fn;
    if (!g_binding.shlwapi) g_binding.shlwapi.reset(LoadLibraryW(L"shlwapi.dll"));
    if (!g_binding.shlwapi) return nullptr;
    auto fn = elk::bindProc<AutoCompleteFn>(g_binding.shlwapi.get(), "SHAutoComplete");
    if (!fn) {
        DWORD error = GetLastError();
        g_binding.shlwapi.reset();
        SetLastError(error);
        return nullptr;
    }
    g_binding.entry.store(fn, std::memory_order_release);
    return fn;
}

}  // namespace

namespace elk {

DWORD releaseAutoComplete() {
    Lock hold(g_binding.lock);
    g_binding.entry.store(nullptr, std::memory_order_release);
    HMODULE module = g_binding.shlwapi.release();
    if (module && !FreeLibrary(module)) return GetLastError();
    return 0;
}

}  // namespace elk

extern "C" DWORD WINAPI basAutoComplete(HWND window, DWORD flags) {
    AutoCompleteFn fn = autoComplete();
    if (!fn) return GetLastError();
    return fn(window, flags) >= 0 ? 0 : ELK_E_GENERAL;
}
