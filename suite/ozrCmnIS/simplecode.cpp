// Keystream: a 32-bit linear congruential generator (multiplier 1664525,
// increment 1013904223) seeded with parameter XOR 0x7A3B5C1D; for each byte
// the state advances once and its top 8 bits are the key. The coding hides
// content from casual tools (a scanner must not find a sample in the spool);
// it is not encryption.
#include "suite/ozrCmnIS/simplecode.h"

namespace ozrcmnis {

void simpleCode(uint8_t* data, size_t size, uint32_t parameter) {
    uint32_t state = parameter ^ 0x7A3B5C1Du;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1664525u + 1013904223u;
        data[i] ^= static_cast<uint8_t>(state >> 24);
    }
}

}  // namespace ozrcmnis
