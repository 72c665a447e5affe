// The portable core works on char16_t; on Windows wchar_t is the same 16-bit unit.
#pragma once
#include <cwchar>

namespace elk {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide text is UTF-16 on this platform");

inline char16_t* u16(wchar_t* s) { return reinterpret_cast<char16_t*>(s); }
inline const char16_t* u16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
inline wchar_t* wide(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
inline const wchar_t* wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }

// Copies at most size - 1 characters of src and terminates; nothing for size 0.
inline void copyBounded(wchar_t* out, size_t size, const wchar_t* src) {
    if (!out || size == 0) return;
    size_t i = 0;
    for (; src && src[i] && i + 1 < size; ++i) out[i] = src[i];
    out[i] = L'\0';
}

// Decimal digits only (no sign, no blank) from `at` on, within [least, most];
// `at` is left after the digits.
inline bool boundedNumber(const wchar_t*& at, unsigned long least, unsigned long most, unsigned long* out) {
    const wchar_t* start = at;
    unsigned long number = 0;
    for (; *at >= L'0' && *at <= L'9'; ++at) {
        number = number * 10 + static_cast<unsigned long>(*at - L'0');
        if (number > most) return false;
    }
    if (at == start || number < least) return false;
    *out = number;
    return true;
}

}  // namespace elk
