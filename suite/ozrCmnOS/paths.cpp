#include "suite/ozrCmnOS/paths.h"
#include "base/wide.h"
#include "suite/ozrCmnOS/driveroot.h"

#include <cwchar>
#include <new>

namespace ozrcmnos {

DWORD longPath(const wchar_t* path, std::wstring& out) noexcept try {
    out.clear();
    if (!path || !*path) return ERROR_INVALID_PARAMETER;
    // Already in a form the system takes literally.
    if (wcsncmp(path, L"\\\\?\\", 4) == 0 || wcsncmp(path, L"\\\\.\\", 4) == 0) {
        out = path;
        return ERROR_SUCCESS;
    }
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetFullPathNameW(path, static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return GetLastError();
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    if (full.starts_with(L"\\\\")) {
        out = L"\\\\?\\UNC\\";
        out.append(full, 2);
    } else {
        out = L"\\\\?\\" + full;
    }
    return ERROR_SUCCESS;
} catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
}

DWORD rawPath(const wchar_t* path, std::wstring& out) noexcept try {
    out.clear();
    if (!path) return ERROR_INVALID_PARAMETER;
    RootParts root = splitRoot(elk::u16(path));
    if (!root.found) return ERROR_BAD_PATHNAME;
    if (root.longPrefix) {
        out = path;
    } else if (root.share) {
        out = L"\\\\?\\UNC\\";
        out += path + 2;
    } else {
        // "C:x" is relative to the drive's current folder: not literal.
        if (root.rest == root.length) return ERROR_BAD_PATHNAME;
        out = L"\\\\?\\";
        out += path;
    }
    return ERROR_SUCCESS;
} catch (const std::bad_alloc&) {
    return ERROR_NOT_ENOUGH_MEMORY;
}

}  // namespace ozrcmnos
