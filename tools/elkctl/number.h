// Numbers on elkctl's command line, read by one rule for every command.
#pragma once
#include <limits>
#include <optional>
#include <string_view>

namespace elkctl {

// The rule: an optional '-', then either decimal digits or "0x" (or "0X") and
// hexadecimal digits. The whole text is the number: no blanks, no sign '+',
// no suffix, no octal (a leading 0 is still decimal). Anything else, or a
// value outside [lowest, highest], gives no number.
std::optional<long long> parseNumber(std::wstring_view text, long long lowest, long long highest);

// The same over the whole range of an integer type of up to 63 bits of value
// (DWORD, BYTE, __int64, ...).
template <class T>
std::optional<T> parseNumber(std::wstring_view text) {
    static_assert(std::numeric_limits<T>::is_integer && std::numeric_limits<T>::digits <= 63);
    std::optional<long long> value =
        parseNumber(text, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
    if (!value) return std::nullopt;
    return static_cast<T>(*value);
}

}  // namespace elkctl
