#include "base/suite/ozrCmnOS.h"

#include <cstring>

namespace {

// Copies live on the process heap, so they outlive any one module's runtime.
char* convert(UINT codePage, DWORD flags, const wchar_t* text, int length) {
    if (!text) return nullptr;
    if (length < -1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    HANDLE heap = GetProcessHeap();
    if (length == 0 || (length == -1 && *text == L'\0')) {
        auto* empty = static_cast<char*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 1));
        if (!empty) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return empty;
    }
    int bytes = WideCharToMultiByte(codePage, flags, text, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return nullptr;
    // An explicit length leaves out the terminator: room for one more byte.
    auto* copy = static_cast<char*>(HeapAlloc(heap, 0, static_cast<SIZE_T>(bytes) + 1));
    if (!copy) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    int n = WideCharToMultiByte(codePage, flags, text, length, copy, bytes, nullptr, nullptr);
    if (n <= 0) {
        DWORD error = GetLastError();
        HeapFree(heap, 0, copy);
        SetLastError(error);
        return nullptr;
    }
    copy[n] = '\0';
    return copy;
}

}  // namespace

extern "C" {

DWORD WINAPI dep_strUnicodeToNormalFlags(DWORD) { return WC_NO_BEST_FIT_CHARS; }

char* WINAPI dep_strCurrToNewUtf8(const wchar_t* text, int length) { return convert(CP_UTF8, 0, text, length); }

char* WINAPI dep_strUnicodeToNewNormal(const wchar_t* text, int length) {
    return convert(CP_ACP, dep_strUnicodeToNormalFlags(0), text, length);
}

void WINAPI dep_strFreeString(char* text) {
    if (text) HeapFree(GetProcessHeap(), 0, text);
}
}
