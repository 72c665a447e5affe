#include "tools/elkctl/number.h"

namespace elkctl {

std::optional<long long> parseNumber(std::wstring_view text, long long lowest, long long highest) {
    const bool negative = !text.empty() && text.front() == L'-';
    if (negative) text.remove_prefix(1);
    unsigned base = 10;
    if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    // The magnitude may reach 2^63, the size of the most negative value.
    constexpr unsigned long long kLimit = 1ull << 63;
    unsigned long long magnitude = 0;
    for (wchar_t c : text) {
        unsigned digit;
        if (c >= L'0' && c <= L'9')
            digit = static_cast<unsigned>(c - L'0');
        else if (base == 16 && c >= L'a' && c <= L'f')
            digit = static_cast<unsigned>(c - L'a' + 10);
        else if (base == 16 && c >= L'A' && c <= L'F')
            digit = static_cast<unsigned>(c - L'A' + 10);
        else
            return std::nullopt;
        if (magnitude > (kLimit - digit) / base) return std::nullopt;
        magnitude = magnitude * base + digit;
    }
    long long value;
    if (negative)
        value = magnitude == kLimit ? std::numeric_limits<long long>::min() : -static_cast<long long>(magnitude);
    else if (magnitude < kLimit)
        value = static_cast<long long>(magnitude);
    else
        return std::nullopt;
    if (value < lowest || value > highest) return std::nullopt;
    return value;
}

}  // namespace elkctl
