// Anti-virus products of other makers, recognised by the device objects of
// their real-time drivers or by the driver files of their services.
#include <windows.h>

#include <cwchar>

#include "base/core/osclass.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/state.h"
#include "base/wide.h"
#include "include/elkBase.h"

namespace {

struct Known {
    const wchar_t* name;
    const wchar_t* product;
};

// Probed first, in this order.
const Known kDevices[] = {
    {L"SAVRT", L"Norton Antivirus / Symantec Antivirus"},
    {L"NAVRT", L"Norton Antivirus / Symantec Antivirus"},
    {L"NAVAPEL", L"Norton Antivirus / Symantec Antivirus"},
    {L"SAVRTPEL", L"Norton Antivirus / Symantec Antivirus"},
    {L"AVGFSH", L"AVG Antivirus v6"},
    {L"AVGFSHS", L"AVG Antivirus v6 Server Edition"},
    {L"FSGatekeeperDev", L"F-Secure Anti-Virus"},
    {L"AVPG", L"Kaspersky Anti-Virus"},
    {L"", L""},
};

const Known kServices[] = {
    {L"NAVRT", L"Norton Antivirus / Symantec Antivirus"},
    {L"NAVAP", L"Norton Antivirus / Symantec Antivirus"},
    {L"NAVAPEL", L"Norton Antivirus / Symantec Antivirus"},
    {L"SAVRT", L"Norton Antivirus / Symantec Antivirus"},
    {L"SAVRTPEL", L"Norton Antivirus / Symantec Antivirus"},
    {L"AntiVirService", L"AVIRA (H+BEDV) AntiVir"},
    {L"", L""},
};

constexpr size_t kProductChars = 38;  // what callers provide
constexpr DWORD kImageBytes = 520;

bool deviceExists(const wchar_t* device) {
    wchar_t path[64];
    if (!elk::composePath(L"\\\\.", device, path, ARRAYSIZE(path))) return false;
    elk::UniqueFile handle(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                       OPEN_EXISTING, 0, nullptr));
    return static_cast<bool>(handle);
}

// The service's "ImagePath"; empty when the value is missing or no text.
// False when the key cannot be opened or the value is longer than the
// buffer: a path cut short would name some other file.
bool imagePath(const wchar_t* service, wchar_t (&image)[kImageBytes / sizeof(wchar_t)]) {
    wchar_t key[96];
    if (!elk::composePath(L"System\\CurrentControlSet\\Services", service, key, ARRAYSIZE(key))) return false;
    elk::UniqueKey opened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, opened.put()) != ERROR_SUCCESS) return false;
    DWORD bytes = kImageBytes;
    LONG rc = RegQueryValueExW(opened.get(), L"ImagePath", nullptr, nullptr, reinterpret_cast<BYTE*>(image), &bytes);
    if (rc == ERROR_MORE_DATA) return false;
    if (rc != ERROR_SUCCESS) bytes = 0;
    // The stored text need not end with a terminator.
    size_t chars = bytes / sizeof(wchar_t);
    image[chars < ARRAYSIZE(image) - 1 ? chars : ARRAYSIZE(image) - 1] = L'\0';
    return true;
}

// Where the service's driver file is; false when that path does not fit.
bool driverPath(const wchar_t* service, const wchar_t* image, wchar_t (&path)[MAX_PATH]) {
    wchar_t folder[MAX_PATH];
    if (!image[0]) {
        UINT n = GetSystemDirectoryW(folder, ARRAYSIZE(folder));
        if (n == 0 || n >= ARRAYSIZE(folder)) return false;
        wchar_t file[64];
        int written = _snwprintf(file, ARRAYSIZE(file), L"drivers\\%s.sys", service);
        return written > 0 && written < static_cast<int>(ARRAYSIZE(file)) &&
               elk::composePath(folder, file, path, ARRAYSIZE(path));
    }
    if (_wcsnicmp(image, L"system32\\", 9) == 0) {
        UINT n = GetWindowsDirectoryW(folder, ARRAYSIZE(folder));
        return n != 0 && n < ARRAYSIZE(folder) && elk::composePath(folder, image, path, ARRAYSIZE(path));
    }
    if (wcsncmp(image, L"\\??\\", 4) == 0) {
        elk::copyBounded(path, ARRAYSIZE(path), image + 4);
        return true;
    }
    DWORD n = ExpandEnvironmentStringsW(image, path, ARRAYSIZE(path));
    return n != 0 && n <= ARRAYSIZE(path);
}

bool serviceDriverExists(const wchar_t* service) {
    wchar_t image[kImageBytes / sizeof(wchar_t)];
    wchar_t path[MAX_PATH];
    return imagePath(service, image) && driverPath(service, image, path) &&
           GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

BOOL found(const wchar_t* name, wchar_t* product) {
    elk::copyBounded(product, kProductChars, name);
    return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI basIsOtherAVInstalled(wchar_t* product) {
    // The tables know the products for systems before NT 6 only.
    if (elk::g_state.osClass & elk::kOsNT6) return FALSE;
    for (const Known* d = kDevices; d->name[0]; ++d)
        if (deviceExists(d->name)) return found(d->product, product);
    for (const Known* s = kServices; s->name[0]; ++s)
        if (serviceDriverExists(s->name)) return found(s->product, product);
    return FALSE;
}

}
