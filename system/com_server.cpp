// COM servers: the file that serves a class, its version, and the
// registration entry points of a COM library.
#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <cwchar>
#include <string>

#include "base/bind.h"
#include "base/handles.h"
#include "include/elkBase.h"

namespace {

bool parseClassId(const wchar_t* text, CLSID* id) {
    if (SUCCEEDED(CLSIDFromString(const_cast<wchar_t*>(text), id))) return true;
    std::wstring braced = L"{" + std::wstring(text) + L"}";
    return SUCCEEDED(CLSIDFromString(const_cast<wchar_t*>(braced.c_str()), id));
}

bool isServerKey(const wchar_t* name) {
    for (const wchar_t* server : {L"InprocServer32", L"LocalServer", L"LocalServer32"})
        if (_wcsicmp(name, server) == 0) return true;
    return false;
}

// The server text of one subkey of the class: its unnamed value, when that is
// text of at most 1024 bytes.
bool serverText(const std::wstring& classKey, const wchar_t* subkey, std::wstring& text) {
    elk::UniqueKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, (classKey + L"\\" + subkey).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return false;
    wchar_t data[512 + 1] = {};
    DWORD type = 0, bytes = 1024;
    if (RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(data), &bytes) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    text.assign(data, wcsnlen(data, bytes / sizeof(wchar_t)));
    return true;
}

// A short name is written out long; a local server's switches after "/" go
// with it, and so do the blanks before them, which no file name ends in.
std::wstring longForm(std::wstring text) {
    if (text.find(L'~') == std::wstring::npos) return text;
    if (size_t slash = text.find(L'/'); slash != std::wstring::npos) {
        text.resize(slash);
        while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.pop_back();
    }
    wchar_t full[MAX_PATH + 1];
    DWORD length = GetLongPathNameW(text.c_str(), full, MAX_PATH + 1);
    if (length == 0 || length > MAX_PATH) return text;
    return full;
}

using EntryPoint = HRESULT(STDAPICALLTYPE*)();

DWORD callRegistration(const wchar_t* path, const char* entry) {
    if (!path) return ERROR_INVALID_PARAMETER;
    if (GetFileAttributesW(path) == INVALID_FILE_ATTRIBUTES) return GetLastError();
    if (FAILED(OleInitialize(nullptr))) return static_cast<DWORD>(E_FAIL);
    elk::ScopeExit uninitialize([] { OleUninitialize(); });
    elk::UniqueModule library(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library) return GetLastError();
    auto call = elk::bindProc<EntryPoint>(library.get(), entry);
    if (!call) return GetLastError();
    return static_cast<DWORD>(call());
}

}  // namespace

extern "C" {

BOOL WINAPI basGetOleServerFileNameFromClassId(const wchar_t* classId, wchar_t* out, DWORD size) {
    if (!out || size == 0) return FALSE;
    out[0] = L'\0';
    CLSID id;
    if (!classId || !parseClassId(classId, &id)) return FALSE;
    wchar_t* canonical = nullptr;
    if (FAILED(StringFromCLSID(id, &canonical))) return FALSE;
    const std::wstring classKey = std::wstring(L"CLSID\\") + canonical;
    CoTaskMemFree(canonical);
    elk::UniqueKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, classKey.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) return FALSE;

    wchar_t name[257];
    for (DWORD index = 0;; ++index) {
        DWORD length = ARRAYSIZE(name);
        LONG rc = RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return FALSE;
        std::wstring text;
        if (!isServerKey(name) || !serverText(classKey, name, text)) continue;
        // A path cut to fit would name another file: one that does not fit
        // counts as no server.
        text = longForm(std::move(text));
        if (text.size() >= size) return FALSE;
        wmemcpy(out, text.c_str(), text.size() + 1);
        return TRUE;
    }
}

DWORD WINAPI basGetOleServerVersion(const wchar_t* classId, DWORD* high, DWORD* low) {
    if (high) *high = 0;
    if (low) *low = 0;
    wchar_t path[MAX_PATH];
    if (!basGetOleServerFileNameFromClassId(classId, path, MAX_PATH)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return ERROR_FILE_NOT_FOUND;
    }
    return basGetFileVersion(path, high, low);
}

int WINAPI basCheckOleServerVersion(const wchar_t* classId, DWORD high, DWORD low) {
    wchar_t path[MAX_PATH];
    if (!basGetOleServerFileNameFromClassId(classId, path, MAX_PATH)) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return -1;
    }
    return basCheckFileVersion(path, high, low);
}

DWORD WINAPI basRegisterComDll(const wchar_t* path) { return callRegistration(path, "DllRegisterServer"); }
DWORD WINAPI basUnregisterComDll(const wchar_t* path) { return callRegistration(path, "DllUnregisterServer"); }

}
