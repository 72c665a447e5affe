// Installed edition and components, read from the setup's INI files below the
// program folder at every call (the setup may change them at any time).
#include <string_view>

#include "base/paths.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "system/core/productinfo.h"

namespace {

// A setup file's path; false when it does not fit, since a cut path would
// name some other file.
bool setupFile(const wchar_t* relative, wchar_t (&path)[MAX_PATH]) {
    return elk::composePath(fsGetTarvoProgramPath(), relative, path, ARRAYSIZE(path));
}

}  // namespace

extern "C" {

DWORD WINAPI basProductInfo(void) {
    wchar_t path[MAX_PATH];
    if (setupFile(L"setup\\setup.ini", path))
        if (auto edition = elk::editionFromSetupValue(GetPrivateProfileIntW(L"Common", L"Edition", 0, path)))
            return *edition;
    return basProductInfoFilesOnly();
}

DWORD WINAPI basProductInfoFilesOnly(void) {
    wchar_t path[MAX_PATH];
    if (!setupFile(L"setup\\setup.ini", path)) return 0;
    DWORD edition = 0;
    // Groups are numbered from 1 without gaps: the first missing one ends the list.
    for (unsigned n = 1; n != 0; ++n) {
        wchar_t key[16];
        _snwprintf(key, ARRAYSIZE(key), L"Group%u", n);
        key[ARRAYSIZE(key) - 1] = L'\0';
        wchar_t group[64];
        DWORD length = GetPrivateProfileStringW(L"Groups", key, L"", group, ARRAYSIZE(group), path);
        if (length == 0) break;
        DWORD marked = elk::editionOfGroup(std::u16string_view(elk::u16(group), length));
        if (marked > edition) edition = marked;
    }
    return edition;
}

UINT WINAPI basIsComponentInstalled(const wchar_t* name) {
    // A null section would make the INI call list the section names instead.
    if (!name) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    wchar_t path[MAX_PATH];
    if (!setupFile(L"Setup\\Components.ini", path)) return 0;
    return GetPrivateProfileIntW(name, L"Installed", 0, path);
}

}
