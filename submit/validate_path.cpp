// basValidatePath: a folder made to exist, level by level.
#include <windows.h>

#include <new>
#include <string>

#include "base/suite/ozrCmnOS.h"
#include "include/elkBase.h"

namespace {

bool folderExists(const std::wstring& path) {
    DWORD attributes = 0;
    return dep_fsGetFileAttributesX(path.c_str(), &attributes) == 0 && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DWORD validate(const wchar_t* path, bool isFolder) {
    std::wstring folder(path);
    if (!isFolder) {
        std::size_t slash = folder.rfind(L'\\');
        if (slash == std::wstring::npos) return 0;
        folder.resize(slash);
    }
    if (folderExists(folder)) return 0;
    // Each level from the left; the walk stops at the first creation that fails.
    for (std::size_t at = folder.find(L'\\'); at != std::wstring::npos; at = folder.find(L'\\', at + 1)) {
        std::wstring prefix = folder.substr(0, at);
        if (prefix.empty() || folderExists(prefix)) continue;
        DWORD rc = dep_fsCreateFolderX(prefix.c_str(), 0);
        if (rc && rc != ERROR_ALREADY_EXISTS) break;
    }
    if (folderExists(folder)) return 0;
    DWORD rc = dep_fsCreateFolderX(folder.c_str(), 0);
    // Made meanwhile by someone else: it exists, which is all that was asked.
    return rc == ERROR_ALREADY_EXISTS && folderExists(folder) ? 0 : rc;
}

}  // namespace

DWORD WINAPI basValidatePath(const wchar_t* path, DWORD isFolder) {
    if (!path) return ERROR_INVALID_PARAMETER;
    try {
        return validate(path, (isFolder & 0xFF) != 0);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
