#include "base/suite/ozrCmnOS.h"
#include "suite/ozrCmnOS/paths.h"

#include <cwchar>

namespace {

constexpr DWORD kModeBits = DEP_OPEN_READ | DEP_OPEN_WRITE | DEP_OPEN_SHARE_READ | DEP_OPEN_CREATE |
                            DEP_OPEN_SHARE_WRITE | DEP_OPEN_SHARE_DELETE;

DWORD open(const wchar_t* path, DWORD mode, HANDLE* handle) {
    if (!handle) return ERROR_INVALID_PARAMETER;
    *handle = INVALID_HANDLE_VALUE;
    if (!path || (mode & ~kModeBits) || !(mode & (DEP_OPEN_READ | DEP_OPEN_WRITE))) return ERROR_INVALID_PARAMETER;
    DWORD access = ((mode & DEP_OPEN_READ) ? GENERIC_READ : 0) | ((mode & DEP_OPEN_WRITE) ? GENERIC_WRITE : 0);
    DWORD share = ((mode & DEP_OPEN_SHARE_READ) ? FILE_SHARE_READ : 0) |
                  ((mode & DEP_OPEN_SHARE_WRITE) ? FILE_SHARE_WRITE : 0) |
                  ((mode & DEP_OPEN_SHARE_DELETE) ? FILE_SHARE_DELETE : 0);
    DWORD disposition = (mode & DEP_OPEN_CREATE) ? OPEN_ALWAYS : OPEN_EXISTING;
    HANDLE h = CreateFileW(path, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return GetLastError();
    *handle = h;
    return ERROR_SUCCESS;
}

bool valid(HANDLE h) { return h && h != INVALID_HANDLE_VALUE; }

}  // namespace

extern "C" {

DWORD WINAPI dep_fsOpenFile(const wchar_t* path, DWORD mode, HANDLE* handle, DWORD reserved) {
    if (reserved) {
        if (handle) *handle = INVALID_HANDLE_VALUE;
        return ERROR_INVALID_PARAMETER;
    }
    return open(path, mode, handle);
}

DWORD WINAPI dep_fsOpenFileX(const wchar_t* path, DWORD mode, HANDLE* handle) {
    if (handle) *handle = INVALID_HANDLE_VALUE;
    if (!path || !handle) return ERROR_INVALID_PARAMETER;
    const size_t prefix = wcslen(DEP_RAW_PREFIX);
    std::wstring system;
    DWORD rc = wcsncmp(path, DEP_RAW_PREFIX, prefix) == 0 ? ozrcmnos::rawPath(path + prefix, system)
                                                          : ozrcmnos::longPath(path, system);
    if (rc != ERROR_SUCCESS) return rc;
    return open(system.c_str(), mode, handle);
}

DWORD WINAPI dep_fsReadFile(HANDLE handle, void* buffer, DWORD size, DWORD* read) {
    if (read) *read = 0;
    if (!read || (!buffer && size)) return ERROR_INVALID_PARAMETER;
    if (!valid(handle)) return ERROR_INVALID_HANDLE;
    if (!ReadFile(handle, buffer, size, read, nullptr)) return GetLastError();
    return ERROR_SUCCESS;
}

DWORD WINAPI dep_fsSetFilePointer(HANDLE handle, LONG low, LONG high, DWORD method) {
    if (!valid(handle)) return ERROR_INVALID_HANDLE;
    if (method > FILE_END) return ERROR_INVALID_PARAMETER;
    LARGE_INTEGER distance;
    distance.LowPart = static_cast<DWORD>(low);
    distance.HighPart = high;
    return SetFilePointerEx(handle, distance, nullptr, method) ? ERROR_SUCCESS : GetLastError();
}

ULONGLONG WINAPI dep_fsGetFileSizeHandle(HANDLE handle) {
    if (!valid(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return DEP_INVALID_SIZE;
    }
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle, &size)) return DEP_INVALID_SIZE;
    return static_cast<ULONGLONG>(size.QuadPart);
}

DWORD WINAPI dep_fsGetFileInfoHandle(HANDLE handle, DEP_FILE_INFO* info) {
    if (!info) return ERROR_INVALID_PARAMETER;
    *info = DEP_FILE_INFO{};
    if (!valid(handle)) return ERROR_INVALID_HANDLE;
    auto toFileTime = [](const LARGE_INTEGER& t) {
        FILETIME f;
        f.dwLowDateTime = t.LowPart;
        f.dwHighDateTime = static_cast<DWORD>(t.HighPart);
        return f;
    };
    // Vista and later; XP has no change time to offer.
    using BasicInfoFn = BOOL(WINAPI*)(HANDLE, FILE_INFO_BY_HANDLE_CLASS, LPVOID, DWORD);
    static const auto basicInfo = reinterpret_cast<BasicInfoFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetFileInformationByHandleEx")));
    FILE_BASIC_INFO basic;
    if (basicInfo && basicInfo(handle, FileBasicInfo, &basic, sizeof(basic))) {
        info->creationTime = toFileTime(basic.CreationTime);
        info->lastAccessTime = toFileTime(basic.LastAccessTime);
        info->lastWriteTime = toFileTime(basic.LastWriteTime);
        info->changeTime = toFileTime(basic.ChangeTime);
        info->attributes = basic.FileAttributes;
        return ERROR_SUCCESS;
    }
    // File systems without a change time: the last write stands in for it.
    BY_HANDLE_FILE_INFORMATION plain;
    if (!GetFileInformationByHandle(handle, &plain)) return GetLastError();
    info->creationTime = plain.ftCreationTime;
    info->lastAccessTime = plain.ftLastAccessTime;
    info->lastWriteTime = plain.ftLastWriteTime;
    info->changeTime = plain.ftLastWriteTime;
    info->attributes = plain.dwFileAttributes;
    return ERROR_SUCCESS;
}

DWORD WINAPI dep_fsDuplicateFile(HANDLE handle, HANDLE* copy) {
    if (!copy) return ERROR_INVALID_PARAMETER;
    *copy = INVALID_HANDLE_VALUE;
    if (!valid(handle)) return ERROR_INVALID_HANDLE;
    HANDLE process = GetCurrentProcess();
    HANDLE h = nullptr;
    if (!DuplicateHandle(process, handle, process, &h, 0, FALSE, DUPLICATE_SAME_ACCESS)) return GetLastError();
    *copy = h;
    return ERROR_SUCCESS;
}

DWORD WINAPI dep_fsCloseFile(HANDLE handle) {
    if (!valid(handle)) return ERROR_INVALID_HANDLE;
    return CloseHandle(handle) ? ERROR_SUCCESS : GetLastError();
}
}
