// Which installations take part in a kind of submission: the sampling filter
// over the installation's identifier, so that always the same installations
// send, one in N.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace elk::submit {

// The filter key of a kind in the server definitions, and its default.
struct FilterKey {
    const wchar_t* name;
    unsigned defaultValue;
};
FilterKey filterKeyOf(std::uint32_t kind);

// N = 0: never; N = 1: always; otherwise the installation sends when its
// identifier's first 32-bit field, rotated left by 16, is a multiple of N
// rounded up to a power of two. Without a usable identifier it sends.
bool selects(unsigned n, std::optional<std::uint32_t> firstField);

// The first 32-bit field of an identifier read as text: exactly 36
// characters in the form 8-4-4-4-12 hexadecimal digits (what the identifier
// parser takes once braces are put around it), else nothing.
std::optional<std::uint32_t> firstFieldOf(std::wstring_view text);

}  // namespace elk::submit
