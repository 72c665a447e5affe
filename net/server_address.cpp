// The two server addresses the suite keeps in its INI file.
#include <windows.h>

#include "base/suite/ozrCmnOS.h"
#include "include/elkBase.h"

namespace {

DWORD obtainAddress(const wchar_t* key, DWORD* address) {
    wchar_t value[260] = {};
    basGetProfileString(L"Communication", key, L"", value, ARRAYSIZE(value));
    if (value[0] == L'\0') return ELK_E_INI_VALUE_EMPTY;
    char text[260] = {};
    WideCharToMultiByte(CP_ACP, dep_strUnicodeToNormalFlags(0), value, -1, text, sizeof text, nullptr, nullptr);
    text[sizeof text - 1] = '\0';
    return basString2Address(address, text);
}

}  // namespace

extern "C" {

DWORD WINAPI basObtainServerAddress(DWORD* address) { return obtainAddress(L"ServerAddress", address); }

DWORD WINAPI basObtainLastServerAddress(DWORD* address) { return obtainAddress(L"LastServerAddress", address); }

}  // extern "C"
