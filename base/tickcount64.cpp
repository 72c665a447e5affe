// GetTickCount64 for the statically linked thread library, which imports it;
// Windows XP has no such function, and a binary importing it does not load
// there. Defining the import slot here keeps kernel32's entry out of the
// import table: the system's function is bound at run time where it exists,
// and XP gets GetTickCount extended past its 49.7-day wrap.
#include <windows.h>

namespace {

using TickCount64 = ULONGLONG(WINAPI*)(void);

// Wrap count in the high half, the last tick seen in the low half. A caller
// every 49.7 days keeps it right; the thread library's waits do.
volatile LONG64 g_extended;

ULONGLONG WINAPI extendedTickCount() {
    for (;;) {
        LONG64 seen = g_extended;
        DWORD now = GetTickCount();
        ULONGLONG wraps = static_cast<ULONGLONG>(seen) >> 32;
        if (now < static_cast<DWORD>(seen)) ++wraps;
        LONG64 next = static_cast<LONG64>((wraps << 32) | now);
        if (InterlockedCompareExchange64(&g_extended, next, seen) == seen) return static_cast<ULONGLONG>(next);
    }
}

ULONGLONG WINAPI tickCount64() {
    static TickCount64 bound;
    TickCount64 f = bound;
    if (!f) {
        FARPROC p = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetTickCount64");
        f = p ? reinterpret_cast<TickCount64>(reinterpret_cast<void*>(p)) : extendedTickCount;
        bound = f;
    }
    return f();
}

}  // namespace

// The import slot's symbol as the compiler names it for a dllimport call.
#if defined(__i386__)
extern "C" TickCount64 elkImportGetTickCount64 __asm__("__imp__GetTickCount64@0");
#else
extern "C" TickCount64 elkImportGetTickCount64 __asm__("__imp_GetTickCount64");
#endif
TickCount64 elkImportGetTickCount64 = tickCount64;
