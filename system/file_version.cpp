// Versions of files, read from their fixed version information.
#include <windows.h>

#include "base/handles.h"
#include "include/elkBase.h"

extern "C" {

DWORD WINAPI basGetFileVersion(const wchar_t* path, DWORD* high, DWORD* low) {
    DWORD ignored = 0;
    DWORD size = GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0) return GetLastError();
    // The slack guards against readers that look a little past the block.
    elk::UniqueHeap<void> block(HeapAlloc(GetProcessHeap(), 0, size + 10));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    if (!GetFileVersionInfoW(path, 0, size, block.get())) return GetLastError();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.get(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed ||
        length < sizeof(VS_FIXEDFILEINFO))
        return ELK_E_GENERAL;
    if (high) *high = fixed->dwFileVersionMS;
    if (low) *low = fixed->dwFileVersionLS;
    return 0;
}

int WINAPI basCheckFileVersion(const wchar_t* path, DWORD high, DWORD low) {
    DWORD fileHigh = 0, fileLow = 0;
    DWORD rc = basGetFileVersion(path, &fileHigh, &fileLow);
    int result = -1;
    if (rc == 0) {
        if (fileHigh != high) result = fileHigh > high ? 1 : -1;
        else result = fileLow > low ? 1 : fileLow < low ? -1 : 0;
    }
    SetLastError(rc);
    return result;
}

}
