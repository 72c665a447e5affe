// Fuzz input as the library's wide text: little-endian UTF-16 code units, cut
// at the first NUL, always terminated.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace elkfuzz {

inline std::u16string wideText(const uint8_t* data, size_t size) {
    std::u16string text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        char16_t c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (c == 0) break;
        text += c;
    }
    return text;
}

// A capacity from two bytes, kept small enough to hit the boundaries often.
inline uint32_t capacity(const uint8_t* data) { return (data[0] | data[1] << 8) % 1024; }

}  // namespace elkfuzz
