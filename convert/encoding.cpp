// Base64, the stored-text encoding, and the ANSI/UTF-16 conversions.
#include <windows.h>

#include <climits>

#include "base/suite/ozrCmnOS.h"
#include "base/wide.h"
#include "convert/core/base64.h"
#include "convert/core/stored_text.h"
#include "include/elkBase.h"

namespace {

int systemCap(DWORD size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

// DWORD and uint32_t are distinct types of the same width: go through a copy.
template <typename Fn>
DWORD withCount(DWORD* count, Fn fn) {
    if (!count) return ERROR_INVALID_PARAMETER;
    uint32_t n = *count;
    DWORD status = fn(&n);
    *count = n;
    return status;
}

}  // namespace

extern "C" {

DWORD WINAPI base64_getlen(DWORD n) { return elk::base64BufferSize(n); }

void WINAPI base64_encode(const BYTE* in, DWORD n, char* out) {
    if (!out) return;
    if (!in) n = 0;
    elk::base64Encode(in, n, out);
}

DWORD WINAPI base64_decode(const wchar_t* text, BYTE* out, DWORD* count) {
    return withCount(count, [&](uint32_t* n) { return elk::base64Decode(elk::u16(text), out, n); });
}

DWORD WINAPI strEncode(wchar_t* out, const wchar_t* text, DWORD* count) {
    return withCount(count, [&](uint32_t* n) { return elk::encodeStoredText(elk::u16(out), elk::u16(text), n); });
}

DWORD WINAPI strDecode(wchar_t* out, const wchar_t* text, DWORD* count) {
    return withCount(count, [&](uint32_t* n) { return elk::decodeStoredText(elk::u16(out), elk::u16(text), n); });
}

int WINAPI basA2U(const char* text, wchar_t* out, DWORD size) {
    int n = MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, -1, out, systemCap(size));
    if (out && size) {
        if (n == 0 && GetLastError() != ERROR_INSUFFICIENT_BUFFER) out[0] = L'\0';
        out[size - 1] = L'\0';
    }
    return n;
}

int WINAPI basU2A(const wchar_t* text, char* out, DWORD size) {
    // No default character: with the layer's flags a character the code page
    // lacks becomes the code page's own '?', never a look-alike.
    int n = WideCharToMultiByte(CP_ACP, dep_strUnicodeToNormalFlags(0), text, -1, out, systemCap(size), nullptr,
                                nullptr);
    if (out && size) {
        if (n == 0 && GetLastError() != ERROR_INSUFFICIENT_BUFFER) out[0] = '\0';
        out[size - 1] = '\0';
    }
    return n;
}

}
