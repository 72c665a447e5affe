// Test double of winmm.dll: records its loading, its unloading and each
// PlaySoundW call, one line each, in the file named by ELK_WINMM_RECORD.
#include <windows.h>

#include <cstdio>
#include <string>

#include "net/record.h"

extern "C" {

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) elkdouble::record(L"ELK_WINMM_RECORD", "load\n");
    if (reason == DLL_PROCESS_DETACH) elkdouble::record(L"ELK_WINMM_RECORD", "unload\n");
    return TRUE;
}

BOOL WINAPI PlaySoundW(const wchar_t* sound, HMODULE module, DWORD flags) {
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " module=%llu flags=0x%lX\n",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(module)), static_cast<unsigned long>(flags));
    elkdouble::record(L"ELK_WINMM_RECORD", "play " + elkdouble::escaped(sound) + numbers);
    return TRUE;
}
}
