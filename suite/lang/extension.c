/* Entries the library calls right after loading a language module and just
 * before releasing it. The module keeps count so that its owner can see that
 * every load was paired with a release. */
#include <windows.h>

static volatile LONG g_active;
static volatile LONG g_inits;

DWORD WINAPI InitExtensionLib(void) {
    InterlockedIncrement(&g_inits);
    return (DWORD)InterlockedIncrement(&g_active);
}

DWORD WINAPI FreeExtensionLib(void) {
    return (DWORD)InterlockedDecrement(&g_active);
}

/* Low word: extensions currently active; high word: InitExtensionLib calls. */
DWORD WINAPI ExtensionLibCalls(void) {
    return ((DWORD)g_inits << 16) | ((DWORD)g_active & 0xFFFF);
}
