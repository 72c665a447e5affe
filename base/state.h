// Process-wide state of the library: written only under the library lock (the
// start-up, the shut-down and basReinitLanguage). The language fields and the
// base language module are read through elk::BaseLanguage (lang/language.h),
// which keeps them steady while a switch may run; the rest is read without a
// lock.
#pragma once
#include <windows.h>

namespace elk {

struct State {
    HINSTANCE instance;
    CRITICAL_SECTION libraryLock;
    CRITICAL_SECTION notifyLock;
    CRITICAL_SECTION schedulerLock;
    DWORD refCount;
    DWORD osClass;
    WORD language;
    HMODULE baseLanguage;
    wchar_t iniPath[520];
    wchar_t languagePath[520];
    wchar_t localeName[96] = L"English";
    wchar_t computerName[20];
    wchar_t domainName[20];
    wchar_t netDomain[20];
    wchar_t netUser[50];
};

extern State g_state;

}  // namespace elk
