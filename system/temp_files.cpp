// Temporary files with unique names, and the cleaning of the unpacking
// leftovers ("unp...") out of the temporary folder.
#include <windows.h>

#include <string>

#include "base/handles.h"
#include "base/suite/ozrCmnBS.h"
#include "base/suite/ozrCmnOS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "system/core/file_names.h"

namespace {

constexpr unsigned long long kFileTimeUnitsPerHour = 36000000000ull;

unsigned long long fileTimeValue(const FILETIME& time) {
    return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

}  // namespace

extern "C" {

UINT WINAPI basGetTempFile(wchar_t* out, DWORD) {
    if (!out) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    out[0] = L'\0';
    wchar_t folder[MAX_PATH];
    DWORD length = GetTempPathW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH) {
        if (length) SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return 0;
    }
    UINT unique = GetTempFileNameW(folder, L"ozr", 0, out);
    if (unique == 0) out[0] = L'\0';
    return unique;
}

HANDLE WINAPI basCreateTempFile(wchar_t* out, DWORD reserved) {
    if (basGetTempFile(out, reserved) == 0) return INVALID_HANDLE_VALUE;
    HANDLE file = CreateFileW(out, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        // The empty file the name was reserved with goes again.
        DWORD error = GetLastError();
        DeleteFileW(out);
        out[0] = L'\0';
        SetLastError(error);
    }
    return file;
}

int WINAPI basEmptyTarvoTempFolder(DWORD hours, BOOLEAN recursive) {
    CStr folder;
    if (folder.GetTempPathW(nullptr) != 0) return 0;
    const std::wstring base = folder.GetString();
    WIN32_FIND_DATAW entry;
    elk::UniqueFind find(FindFirstFileW((base + L"unp*.*").c_str(), &entry));
    if (!find) return 1;

    SYSTEMTIME now;
    GetSystemTime(&now);
    FILETIME nowTime;
    if (!SystemTimeToFileTime(&now, &nowTime)) return 1;
    // A span longer than the time since 1601 leaves nothing older.
    const unsigned long long current = fileTimeValue(nowTime);
    const unsigned long long threshold =
        hours > current / kFileTimeUnitsPerHour ? 0 : current - hours * kFileTimeUnitsPerHour;

    int result = 1;
    do {
        if (!elk::isUnpackLeftover(elk::u16(entry.cFileName))) continue;
        if (fileTimeValue(entry.ftLastWriteTime) >= threshold || fileTimeValue(entry.ftCreationTime) >= threshold)
            continue;
        const std::wstring path = base + entry.cFileName;
        DWORD rc;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            rc = recursive ? dep_fsRemoveFolderRecursive(path.c_str(), DEP_FORCE, 1, static_cast<DWORD>(-1))
                           : dep_fsRemoveFolder(path.c_str(), DEP_FORCE);
        else
            rc = dep_fsDeleteFile(path.c_str(), DEP_FORCE);
        if (rc != 0) result = -1;
    } while (FindNextFileW(find.get(), &entry));
    return result;
}

}
