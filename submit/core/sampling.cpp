#include "submit/core/sampling.h"

namespace elk::submit {

namespace {

int hexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

}  // namespace

FilterKey filterKeyOf(std::uint32_t kind) {
    switch (kind) {
    case 0: return {L"SendAutoSubmitFilter", 1};
    case 1: return {L"SendManualSubmitFilter", 1};
    case 2: return {L"SendFpSubmitFilter", 1};
    case 3: return {L"SendStatsFilter", 8};
    case 4: return {L"SendHeurFilter", 1};
    case 5: return {L"SendCrashdumpFilter", 64};
    default: return {L"SendFilter", 1};
    }
}

bool selects(unsigned n, std::optional<std::uint32_t> firstField) {
    if (n == 0) return false;
    if (n == 1 || !firstField) return true;
    // The power of two at or above N; above 2^31 every remainder of a 32-bit
    // value is the value itself.
    std::uint64_t p = 1;
    while (p < n) p <<= 1;
    std::uint32_t rotated = (*firstField << 16) | (*firstField >> 16);
    return rotated % p == 0;
}

std::optional<std::uint32_t> firstFieldOf(std::wstring_view text) {
    if (text.size() != 36) return std::nullopt;
    std::uint32_t first = 0;
    for (std::size_t i = 0; i < 36; ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash) {
            if (text[i] != L'-') return std::nullopt;
            continue;
        }
        int digit = hexDigit(text[i]);
        if (digit < 0) return std::nullopt;
        if (i < 8) first = first << 4 | static_cast<std::uint32_t>(digit);
    }
    return first;
}

}  // namespace elk::submit
