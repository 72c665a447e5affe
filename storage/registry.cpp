// Named values under the suite's registry key: one open-use-close per call.
#include <windows.h>

#include <cwchar>

#include "base/handles.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "storage/core/regvalue.h"

namespace {

enum class Access { Read, Write, Delete };

// Opens (or for writes creates) the suite's key below `root`. The platform's
// default registry view of the process applies.
DWORD openSuiteKey(HKEY root, Access access, elk::UniqueKey& key) {
    wchar_t path[elk::storage::kKeyPathSize];
    const wchar_t* edition = fsGetTarvoOemString();
    if (!elk::storage::suiteKeyPath(elk::u16(edition ? edition : L""), root == HKEY_LOCAL_MACHINE, elk::u16(path),
                                    ARRAYSIZE(path)))
        return ERROR_FILENAME_EXCED_RANGE;
    switch (access) {
        case Access::Read: return RegOpenKeyExW(root, path, 0, KEY_QUERY_VALUE, key.put());
        case Access::Delete: return RegOpenKeyExW(root, path, 0, KEY_SET_VALUE, key.put());
        case Access::Write: break;
    }
    return RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.put(),
                           nullptr);
}

// Reads at most `*bytes` bytes of the value, whatever its type; `*bytes`
// becomes the number read.
DWORD queryValue(HKEY root, const wchar_t* name, BYTE* data, DWORD* bytes) {
    elk::UniqueKey key;
    if (DWORD rc = openSuiteKey(root, Access::Read, key)) return rc;
    return RegQueryValueExW(key.get(), name, nullptr, nullptr, data, bytes);
}

DWORD storeValue(HKEY root, const wchar_t* name, DWORD type, const BYTE* data, DWORD bytes) {
    elk::UniqueKey key;
    if (DWORD rc = openSuiteKey(root, Access::Write, key)) return rc;
    return RegSetValueExW(key.get(), name, 0, type, data, bytes);
}

}  // namespace

extern "C" {

DWORD WINAPI basGetBinaryValue(HKEY root, const wchar_t* name, BYTE* data, DWORD size) {
    // A null buffer of room 0 only asks whether the value exists.
    if (!data && size != 0) return ERROR_INVALID_PARAMETER;
    return queryValue(root, name, data, &size);
}

DWORD WINAPI basStoreBinaryValue(HKEY root, const wchar_t* name, const BYTE* data, DWORD size) {
    if (!data && size != 0) return ERROR_INVALID_PARAMETER;
    return storeValue(root, name, REG_BINARY, data, size);
}

DWORD WINAPI basGetStringValue(HKEY root, const wchar_t* name, wchar_t* out, DWORD size) {
    if (size == 0) {
        // No room even for the terminator: an existing value cannot fit.
        DWORD bytes = 0;
        DWORD rc = queryValue(root, name, nullptr, &bytes);
        return rc == ERROR_SUCCESS ? ERROR_MORE_DATA : rc;
    }
    if (!out) return ERROR_INVALID_PARAMETER;
    out[0] = L'\0';
    DWORD bytes = (size < MAXDWORD / sizeof(wchar_t) ? size : MAXDWORD / sizeof(wchar_t)) * sizeof(wchar_t);
    DWORD rc = queryValue(root, name, reinterpret_cast<BYTE*>(out), &bytes);
    if (rc != ERROR_SUCCESS) {
        // The query may have left part of the data behind.
        out[0] = L'\0';
        return rc;
    }
    return elk::storage::terminateReadString(elk::u16(out), size, bytes);
}

DWORD WINAPI basStoreStringValue(HKEY root, const wchar_t* name, const wchar_t* value) {
    if (!value) return ERROR_INVALID_PARAMETER;
    size_t length = wcslen(value);
    if (length >= MAXDWORD / sizeof(wchar_t)) return ERROR_INVALID_PARAMETER;
    return storeValue(root, name, REG_SZ, reinterpret_cast<const BYTE*>(value),
                      static_cast<DWORD>((length + 1) * sizeof(wchar_t)));
}

DWORD WINAPI basGetDWORDValue(HKEY root, const wchar_t* name, DWORD* out) {
    if (!out) return ERROR_INVALID_PARAMETER;
    // Read into a zeroed local: a shorter value is zero-extended instead of
    // mixing with the caller's old bytes, and a failure leaves *out alone.
    BYTE bytes[sizeof(DWORD)] = {};
    DWORD size = sizeof(bytes);
    DWORD rc = queryValue(root, name, bytes, &size);
    if (rc == ERROR_SUCCESS) *out = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<DWORD>(bytes[3]) << 24;
    return rc;
}

DWORD WINAPI basStoreDWORDValue(HKEY root, const wchar_t* name, DWORD value) {
    // Stored as 4 little-endian bytes of REG_BINARY, as the suite's readers expect.
    const BYTE bytes[sizeof(DWORD)] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                                       static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    return storeValue(root, name, REG_BINARY, bytes, sizeof(bytes));
}

DWORD WINAPI basDeleteValue(HKEY root, const wchar_t* name) {
    elk::UniqueKey key;
    if (DWORD rc = openSuiteKey(root, Access::Delete, key)) return rc;
    return RegDeleteValueW(key.get(), name);
}

}
