// The agent's texts (no operating-system calls).
#pragma once
#include <cstdint>
#include <string_view>

namespace pemx {

// The text of a code; empty for a code the agent has no text for.
std::u16string_view textOf(uint32_t code);

}  // namespace pemx
