// Base64 with the standard alphabet, '=' padding and no line breaks.
#pragma once
#include <cstddef>
#include <cstdint>

namespace elk {

// Characters of the encoding of n bytes, terminator not included.
constexpr size_t base64EncodedLength(size_t n) { return n / 3 * 4 + (n % 3 ? 4 : 0); }

// The export's size: encoded characters plus the terminator. A count whose
// encoding would not fit 32 bits gives 0xFFFFFFFF, so that no allocation of
// that size can succeed.
uint32_t base64BufferSize(uint32_t n);

// Writes base64EncodedLength(n) characters and a terminating zero.
void base64Encode(const uint8_t* in, size_t n, char* out);
void base64Encode(const uint8_t* in, size_t n, char16_t* out);

// Most bytes that `chars` characters of Base64 text can decode to.
constexpr size_t base64DecodedBound(size_t chars) { return chars / 4 * 3 + 2; }

struct Base64Decoded {
    size_t length;   // bytes written
    bool malformed;  // a pad after a lone character, or a group left open at the end
};

// Decodes `chars` characters into out, which holds base64DecodedBound(chars)
// bytes; writes exactly `length` bytes. Characters outside the alphabet are
// skipped; '=' ends the data.
Base64Decoded base64DecodeTo(const char16_t* text, size_t chars, uint8_t* out);

// The library's decoder: `text` is zero-terminated, *count is the capacity of
// out in bytes (a null out counts as capacity 0) and receives the length.
// 0 done; 87 malformed (the bytes before the fault are delivered), or a null
// text or count; 122 out too small (*count = bytes needed, nothing written);
// 8 no memory for the work buffer (*count untouched).
uint32_t base64Decode(const char16_t* text, uint8_t* out, uint32_t* count);

}  // namespace elk
