// The suite's simple coding (no operating-system calls).
#pragma once
#include <cstddef>
#include <cstdint>

namespace ozrcmnis {

// XORs `data` with a keystream that starts afresh at every call: an
// involution, so the same call decodes.
void simpleCode(uint8_t* data, size_t size, uint32_t parameter);

}  // namespace ozrcmnis
