// A COM library for the registration tests: registering writes its class's
// InprocServer32 key with the library's own path, unregistering removes it.
#include <windows.h>

#include <cwchar>

namespace {

HMODULE g_module;

constexpr wchar_t kClassKey[] = L"CLSID\\{5C1E7A02-3B6D-4F8E-9A41-0D2C7B8E6F13}";
constexpr wchar_t kServerKey[] = L"CLSID\\{5C1E7A02-3B6D-4F8E-9A41-0D2C7B8E6F13}\\InprocServer32";

LONG setText(HKEY key, const wchar_t* name, const wchar_t* text) {
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                          static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) g_module = instance;
    return TRUE;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
    wchar_t path[MAX_PATH];
    if (!GetModuleFileNameW(g_module, path, MAX_PATH)) return HRESULT_FROM_WIN32(GetLastError());
    HKEY key;
    LONG rc = RegCreateKeyExW(HKEY_CLASSES_ROOT, kServerKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS) return HRESULT_FROM_WIN32(rc);
    rc = setText(key, L"ThreadingModel", L"Both");
    if (rc == ERROR_SUCCESS) rc = setText(key, nullptr, path);
    RegCloseKey(key);
    return HRESULT_FROM_WIN32(rc);
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
    LONG rc = RegDeleteKeyW(HKEY_CLASSES_ROOT, kServerKey);
    if (rc == ERROR_SUCCESS) rc = RegDeleteKeyW(HKEY_CLASSES_ROOT, kClassKey);
    return HRESULT_FROM_WIN32(rc);
}
