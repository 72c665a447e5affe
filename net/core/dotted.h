// Dotted IPv4 text as the library has always read it: four decimal numbers,
// leading zeros decimal, anything after a fourth number's '.' ignored.
#pragma once
#include <cstdint>

namespace elk::net {

// Reads `text` into out[0..3] (first number first). Bytes are stored as they
// are read, so a failed read may leave some of them written. False when the
// text is not four dotted numbers of 0 to 255.
bool parseDotted(const char* text, std::uint8_t out[4]);

}  // namespace elk::net
