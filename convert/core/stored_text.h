// The reversible encoding of stored texts: "b?" and the Base64 of the text's
// UTF-16 code units (little-endian). Texts without the marker decode to
// themselves, so values stored before the encoding existed still read.
#pragma once
#include <cstdint>

namespace elk {

// *count: capacity of out in characters in, length (terminator excluded) out.
// A null or empty text gives an empty output, count 0 and 0. When the result
// and its terminator do not fit, the output is emptied, *count is the
// capacity needed (terminator included) and the result is 122; a null out
// counts as capacity 0. 8: no memory (output emptied); 87: a null count.
uint32_t encodeStoredText(char16_t* out, const char16_t* text, uint32_t* count);

// Same contract; also 87 when the text after the marker is malformed Base64
// (output emptied, *count the characters decoded before the fault). An odd
// last byte is dropped.
uint32_t decodeStoredText(char16_t* out, const char16_t* text, uint32_t* count);

}  // namespace elk
