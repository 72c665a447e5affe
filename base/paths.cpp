// Paths, the INI file and wide text written to files.
#include "base/core/pathjoin.h"
#include "base/paths.h"
#include "base/state.h"
#include "base/wide.h"
#include "include/elkBase.h"

namespace elk {

bool composePath(const wchar_t* folder, const wchar_t* name, wchar_t* out, DWORD size) {
    DWORD start = basCreatePath(folder, name, out, size);
    if (start >= size) return false;
    return wcslen(out + start) == (name ? wcslen(name) : 0);
}

bool isDirectory(const wchar_t* path) {
    wchar_t copy[MAX_PATH + 1];
    copyBounded(copy, ARRAYSIZE(copy), path);
    size_t n = wcslen(copy);
    if (n > 0 && copy[n - 1] == L'\\') copy[n - 1] = L'\0';
    DWORD attributes = GetFileAttributesW(copy);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace elk

using elk::g_state;

extern "C" {

DWORD WINAPI basCreatePath(const wchar_t* folder, const wchar_t* name, wchar_t* out, DWORD size) {
    return elk::joinPath(elk::u16(folder), elk::u16(name), elk::u16(out), size);
}

DWORD WINAPI basGetProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* defaultValue,
                                 wchar_t* out, DWORD size) {
    if (!out || size == 0) return 0;
    return GetPrivateProfileStringW(section, key, defaultValue, out, size, g_state.iniPath);
}

UINT WINAPI basGetProfileInt(const wchar_t* section, const wchar_t* key, INT defaultValue) {
    return GetPrivateProfileIntW(section, key, defaultValue, g_state.iniPath);
}

BOOL WINAPI basWriteProfileString(const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    return WritePrivateProfileStringW(section, key, value, g_state.iniPath);
}

DWORD WINAPI basWriteString(HANDLE file, const wchar_t* text) {
    if (!text) return ERROR_INVALID_PARAMETER;
    size_t length = wcslen(text);
    if (length > MAXDWORD / sizeof(wchar_t)) return ERROR_INVALID_PARAMETER;
    const BYTE* bytes = reinterpret_cast<const BYTE*>(text);
    DWORD left = static_cast<DWORD>(length * sizeof(wchar_t));
    do {
        DWORD written = 0;
        if (!WriteFile(file, bytes, left, &written, nullptr)) return GetLastError();
        if (written == 0 && left != 0) return ERROR_WRITE_FAULT;
        bytes += written;
        left -= written;
    } while (left != 0);
    return 0;
}

}
