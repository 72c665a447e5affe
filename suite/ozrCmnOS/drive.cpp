#include "base/suite/ozrCmnOS.h"
#include "base/wide.h"
#include "suite/ozrCmnOS/driveroot.h"

#include <algorithm>
#include <cwchar>

extern "C" DWORD WINAPI dep_fsExtractDriveRoot(const wchar_t* path, wchar_t* root, DWORD* info, DWORD infoCount) {
    if (!path || !root || (infoCount && !info)) return ERROR_INVALID_PARAMETER;
    root[0] = L'\0';
    ozrcmnos::RootParts parts = ozrcmnos::splitRoot(elk::u16(path));
    if (!parts.found) return ERROR_BAD_PATHNAME;
    if (parts.length + 2 > DEP_ROOT_MAX) return ERROR_FILENAME_EXCED_RANGE;
    wmemcpy(root, path, parts.length);
    // Ordinary paths may use '/'; the root is given in the system's form.
    std::replace(root, root + parts.length, L'/', L'\\');
    root[parts.length] = L'\\';
    root[parts.length + 1] = L'\0';

    // Asking the system about a share can wait on the network; a share is
    // remote by definition.
    DWORD fields[DEP_DRIVE_INFO_COUNT] = {
        parts.share ? static_cast<DWORD>(DRIVE_REMOTE) : GetDriveTypeW(root),
        (parts.share ? DEP_ROOT_SHARE : 0u) | (parts.longPrefix ? DEP_ROOT_LONG : 0u),
        static_cast<DWORD>(parts.driveName),
        static_cast<DWORD>(parts.rest),
    };
    std::copy_n(fields, std::min<DWORD>(infoCount, DEP_DRIVE_INFO_COUNT), info);
    return ERROR_SUCCESS;
}
