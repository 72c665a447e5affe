#include "base/suite/ozrCmnOS.h"
#include "base/handles.h"
#include "base/wide.h"
#include "suite/ozrCmnOS/driveroot.h"
#include "suite/ozrCmnOS/paths.h"

#include <new>
#include <string>

namespace {

// Runs `remove` on `path`; with DEP_FORCE a read-only attribute is dropped
// first and restored when the removal still fails.
template <typename Remove>
DWORD removeEntry(const wchar_t* path, DWORD flags, Remove remove) {
    if (remove(path)) return ERROR_SUCCESS;
    DWORD error = GetLastError();
    if (!(flags & DEP_FORCE) || error != ERROR_ACCESS_DENIED) return error;
    DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_READONLY)) return error;
    if (!SetFileAttributesW(path, attributes & ~FILE_ATTRIBUTE_READONLY)) return error;
    if (remove(path)) return ERROR_SUCCESS;
    error = GetLastError();
    SetFileAttributesW(path, attributes);
    return error;
}

DWORD deleteFile(const wchar_t* path, DWORD flags) {
    return removeEntry(path, flags, [](const wchar_t* p) { return DeleteFileW(p) != FALSE; });
}

DWORD removeFolder(const wchar_t* path, DWORD flags) {
    return removeEntry(path, flags, [](const wchar_t* p) { return RemoveDirectoryW(p) != FALSE; });
}

using elk::UniqueFind;

bool isLink(DWORD attributes) { return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0; }

// Empties `folder` (a long-path form) down to `depth` more levels. The first
// failure's code, 0 when everything went: the first is the cause, later ones
// (a folder left not empty) mostly follow from it.
DWORD empty(const std::wstring& folder, DWORD flags, DWORD depth) {
    WIN32_FIND_DATAW entry;
    UniqueFind find(
        FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch, nullptr, 0));
    if (!find) {
        DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    }
    DWORD result = ERROR_SUCCESS;
    do {
        std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") continue;
        std::wstring path = folder + L"\\" + name;
        DWORD rc = ERROR_SUCCESS;
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            rc = deleteFile(path.c_str(), flags);
        } else if (isLink(entry.dwFileAttributes)) {
            // A junction or folder link: remove the link, never its target.
            rc = removeFolder(path.c_str(), flags);
        } else if (depth > 0) {
            rc = empty(path, flags, depth == DWORD(-1) ? depth : depth - 1);
            DWORD self = removeFolder(path.c_str(), flags);
            if (rc == ERROR_SUCCESS) rc = self;
        }
        if (result == ERROR_SUCCESS) result = rc;
    } while (FindNextFileW(find.get(), &entry));
    return result;
}

}  // namespace

extern "C" {

DWORD WINAPI dep_fsGetFileAttributesX(const wchar_t* path, DWORD* attributes) {
    if (!attributes) return ERROR_INVALID_PARAMETER;
    std::wstring system;
    DWORD rc = ozrcmnos::longPath(path, system);
    if (rc != ERROR_SUCCESS) return rc;
    DWORD value = GetFileAttributesW(system.c_str());
    if (value == INVALID_FILE_ATTRIBUTES) return GetLastError();
    *attributes = value;
    return ERROR_SUCCESS;
}

DWORD WINAPI dep_fsCreateFolderX(const wchar_t* path, DWORD reserved) {
    if (reserved) return ERROR_INVALID_PARAMETER;
    std::wstring system;
    DWORD rc = ozrcmnos::longPath(path, system);
    if (rc != ERROR_SUCCESS) return rc;
    return CreateDirectoryW(system.c_str(), nullptr) ? ERROR_SUCCESS : GetLastError();
}

DWORD WINAPI dep_fsDeleteFile(const wchar_t* path, DWORD flags) {
    if (!path || (flags & ~DEP_FORCE)) return ERROR_INVALID_PARAMETER;
    return deleteFile(path, flags);
}

DWORD WINAPI dep_fsRemoveFolder(const wchar_t* path, DWORD flags) {
    if (!path || (flags & ~DEP_FORCE)) return ERROR_INVALID_PARAMETER;
    return removeFolder(path, flags);
}

DWORD WINAPI dep_fsRemoveFolderRecursive(const wchar_t* path, DWORD flags, DWORD removeSelf, DWORD depth) {
    if (!path || (flags & ~DEP_FORCE)) return ERROR_INVALID_PARAMETER;
    try {
        std::wstring folder;
        DWORD rc = ozrcmnos::longPath(path, folder);
        if (rc != ERROR_SUCCESS) return rc;
        while (folder.size() > 4 && (folder.back() == L'\\' || folder.back() == L'/')) folder.pop_back();
        // A whole drive or share is never a folder to empty.
        ozrcmnos::RootParts root = ozrcmnos::splitRoot(elk::u16(folder.c_str()));
        if (!root.found || root.rest >= folder.size()) return ERROR_ACCESS_DENIED;

        DWORD attributes = GetFileAttributesW(folder.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError();
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_DIRECTORY;
        DWORD result = isLink(attributes) ? ERROR_SUCCESS : empty(folder, flags, depth);
        if (removeSelf) {
            DWORD self = removeFolder(folder.c_str(), flags);
            if (result == ERROR_SUCCESS) result = self;
        }
        return result;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
}
