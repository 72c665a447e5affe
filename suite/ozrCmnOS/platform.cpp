#include "base/suite/ozrCmnOS.h"

extern "C" BOOL WINAPI dep_osIsWin64(void) {
#ifdef _WIN64
    return TRUE;
#else
    // Bound at run time: systems before XP SP2 lack the call (and are 32-bit).
    using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto isWow64 =
        kernel ? reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")))
               : nullptr;
    BOOL wow64 = FALSE;
    if (!isWow64 || !isWow64(GetCurrentProcess(), &wow64)) return FALSE;
    return wow64;
#endif
}
