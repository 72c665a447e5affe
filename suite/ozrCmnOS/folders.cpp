#include "base/suite/ozrCmnOS.h"
#include "base/handles.h"
#include "base/wide.h"
#include "suite/ozrCmnOS/driveroot.h"
#include "suite/ozrCmnOS/paths.h"

#include <cwchar>
#include <new>
#include <string>
#include <utility>
#include <vector>

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

// Empties `top` (a long-path form) down to `depth` more levels. The first
// failure's code, 0 when everything went: the first is the cause, later ones
// (a folder left not empty) mostly follow from it. The walk keeps its own
// stack of open folders, so a tree as deep as long paths allow cannot
// exhaust the thread's stack.
DWORD empty(const std::wstring& top, DWORD flags, DWORD depth) {
    struct Level {
        std::wstring folder;
        DWORD depth;  // levels below this one still to empty
        UniqueFind find;
        WIN32_FIND_DATAW entry;
        bool unread;  // entry holds the first match, not yet handled
    };
    DWORD result = ERROR_SUCCESS;
    auto note = [&result](DWORD rc) {
        if (result == ERROR_SUCCESS) result = rc;
    };
    std::vector<Level> open;
    // Opens a folder's listing; false when there is nothing to walk.
    auto enter = [&](std::wstring folder, DWORD levels) {
        Level& level = open.emplace_back();
        level.folder = std::move(folder);
        level.depth = levels;
        level.find.reset(FindFirstFileExW((level.folder + L"\\*").c_str(), FindExInfoBasic, &level.entry,
                                          FindExSearchNameMatch, nullptr, 0));
        level.unread = true;
        if (level.find) return true;
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND) note(error);
        open.pop_back();
        return false;
    };
    enter(top, depth);
    while (!open.empty()) {
        Level& level = open.back();
        if (!std::exchange(level.unread, false) && !FindNextFileW(level.find.get(), &level.entry)) {
            // This folder is empty now (or as empty as it gets): it goes too,
            // unless it is the one the caller named.
            std::wstring done = std::move(level.folder);
            open.pop_back();
            if (!open.empty()) note(removeFolder(done.c_str(), flags));
            continue;
        }
        const wchar_t* name = level.entry.cFileName;
        if (wcscmp(name, L".") == 0 || wcscmp(name, L"..") == 0) continue;
        std::wstring path = level.folder + L"\\" + name;
        DWORD attributes = level.entry.dwFileAttributes;
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            note(deleteFile(path.c_str(), flags));
        } else if (isLink(attributes)) {
            // A junction or folder link: remove the link, never its target.
            note(removeFolder(path.c_str(), flags));
        } else if (level.depth > 0) {
            DWORD below = level.depth == DWORD(-1) ? level.depth : level.depth - 1;
            std::wstring child = path;  // entering may move `level` and its entry
            if (!enter(std::move(path), below)) note(removeFolder(child.c_str(), flags));
        }
    }
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
