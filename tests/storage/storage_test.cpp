#include "storage/storage_test.h"

#include <gtest/gtest.h>

#include "include/elkBase.h"

namespace storagetest {

Started::Started(const wchar_t* edition) {
    tree.addLanguage(1033);
    // The base library reads the edition string at its start-up.
    SetEnvironmentVariableW(L"TARVO_OEM_STRING", edition);
    library_.emplace(tree, ELK_INIT_LIGHT);
    startResult = library_->result();
    EXPECT_EQ(startResult, 0u) << "the library did not start on the test installation";
}

Started::~Started() {
    library_.reset();
    SetEnvironmentVariableW(L"TARVO_OEM_STRING", nullptr);
}

std::wstring uniqueName(const wchar_t* what) {
    static LONG counter;
    return L"elktest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
           std::to_wstring(InterlockedIncrement(&counter)) + L"-" + what;
}

std::wstring editionKey(const std::wstring& edition) {
    return L"Software\\ORVEL Software\\Tarvo\\" + edition + L"\\5.0";
}

RawValue rawValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    RawValue value;
    HKEY handle;
    value.rc = RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, &handle);
    if (value.rc != ERROR_SUCCESS) return value;
    DWORD size = 0;
    value.rc = RegQueryValueExW(handle, name.c_str(), nullptr, &value.type, nullptr, &size);
    if (value.rc == ERROR_SUCCESS) {
        value.data.resize(size);
        value.rc = RegQueryValueExW(handle, name.c_str(), nullptr, &value.type, value.data.data(), &size);
        value.data.resize(size);
    }
    RegCloseKey(handle);
    return value;
}

LONG rawStore(HKEY root, const std::wstring& key, const std::wstring& name, DWORD type, const void* data,
              DWORD size) {
    HKEY handle;
    LONG rc = RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    rc = RegSetValueExW(handle, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(handle);
    return rc;
}

void rawDelete(HKEY root, const std::wstring& key, const std::wstring& name) {
    HKEY handle;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_SET_VALUE, &handle) != ERROR_SUCCESS) return;
    RegDeleteValueW(handle, name.c_str());
    RegCloseKey(handle);
}

}  // namespace storagetest
