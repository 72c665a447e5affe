#include "base/suite/ozrCmnBS.h"
#include "base/handles.h"

#include <cwchar>

CGenericFile::CGenericFile() : handle_(INVALID_HANDLE_VALUE), path_{} {}

CGenericFile::~CGenericFile() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

DWORD CGenericFile::InitTempFile(DWORD flags, const wchar_t* folder, const wchar_t* prefix, DWORD reserved) {
    if (flags != 0 || reserved != 0) return ERROR_INVALID_PARAMETER;
    if (handle_ != INVALID_HANDLE_VALUE) return ERROR_ALREADY_INITIALIZED;
    wchar_t temp[MAX_PATH + 1];
    if (!folder) {
        DWORD n = GetTempPathW(ARRAYSIZE(temp), temp);
        if (n == 0) return GetLastError();
        if (n >= ARRAYSIZE(temp)) return ERROR_FILENAME_EXCED_RANGE;
        folder = temp;
    }
    wchar_t name[MAX_PATH];
    if (GetTempFileNameW(folder, prefix ? prefix : L"ozr", 0, name) == 0) return GetLastError();
    // Delete-on-close makes the file anonymous in effect: it goes with the
    // last handle, a duplicate's included, even when the process dies.
    elk::UniqueFile file(CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (!file) {
        DWORD error = GetLastError();
        ::DeleteFileW(name);
        return error;
    }
    handle_ = file.release();
    wcsncpy(path_, name, ARRAYSIZE(path_) - 1);
    path_[ARRAYSIZE(path_) - 1] = L'\0';
    return ERROR_SUCCESS;
}

DWORD CGenericFile::DeleteFileW(bool close, bool remove) {
    if (close && handle_ != INVALID_HANDLE_VALUE) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
    if (!remove || path_[0] == L'\0') return ERROR_SUCCESS;
    DWORD error = ERROR_SUCCESS;
    if (!::DeleteFileW(path_)) {
        error = GetLastError();
        // Closing the last handle has already removed it.
        if (error == ERROR_FILE_NOT_FOUND) error = ERROR_SUCCESS;
    }
    if (error == ERROR_SUCCESS) path_[0] = L'\0';
    return error;
}

DWORD CGenericFile::Write(const void* data, DWORD size) {
    if (handle_ == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
    if (!data && size) return ERROR_INVALID_PARAMETER;
    auto bytes = static_cast<const BYTE*>(data);
    while (size > 0) {
        DWORD written = 0;
        if (!WriteFile(handle_, bytes, size, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes += written;
        size -= written;
    }
    return ERROR_SUCCESS;
}

HANDLE CGenericFile::GetHandle() const { return handle_; }

const wchar_t* CGenericFile::GetPath() const { return path_; }
