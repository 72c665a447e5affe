// Load and unload: the three locks that live as long as the module.
#include "base/state.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    using elk::g_state;
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(instance);
        g_state.instance = instance;
        InitializeCriticalSection(&g_state.libraryLock);
        InitializeCriticalSection(&g_state.schedulerLock);
        InitializeCriticalSection(&g_state.notifyLock);
    } else if (reason == DLL_PROCESS_DETACH) {
        DeleteCriticalSection(&g_state.libraryLock);
        DeleteCriticalSection(&g_state.schedulerLock);
        DeleteCriticalSection(&g_state.notifyLock);
    }
    return TRUE;
}
