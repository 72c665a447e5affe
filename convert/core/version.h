// File versions, virus-database versions and hexadecimal numbers as text.
#pragma once
#include <cstddef>
#include <cstdint>

namespace elk {

// A file version as the suite passes it: major << 16 | minor, build << 16 | revision.
struct VersionPair {
    uint32_t high = 0;
    uint32_t low = 0;
};

// Reads "major.minor.build.revision", each part 0..65535. On failure `out`
// keeps the parts read so far. A '.' after the fourth part ends the text.
bool parseVersion(const char16_t* text, VersionPair& out);

// Writes "%u.%u.%u.%u" into out (n characters, terminator included); a pair
// of zeros writes `missing` instead. Returns the length, or -1 when the text
// was cut to fit (the buffer is terminated whenever n > 0).
int formatVersion(char16_t* out, size_t n, VersionPair version, const char16_t* missing);

// Reads "%x-%x" the way the C runtime's scanner does; numbers that cannot be
// read stay 0.
VersionPair parseDatabaseVersion(const char16_t* text);

// The C runtime's unsigned conversion in base 16 for a 32-bit value: leading
// blanks, a sign and "0x" are accepted, overflow gives 0xFFFFFFFF.
uint32_t parseHex32(const char16_t* text);

// Copies at most n - 1 characters of src (stopping at its terminator) and
// terminates; nothing for n == 0. Returns the length, or -1 when cut.
int copyText(char16_t* out, size_t n, const char16_t* src);

}  // namespace elk
