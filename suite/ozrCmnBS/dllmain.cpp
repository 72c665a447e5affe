#include "suite/ozrCmnBS/module.h"

namespace ozrcmnbs {
HMODULE g_module;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        ozrcmnbs::g_module = instance;
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}
