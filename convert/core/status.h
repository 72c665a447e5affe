// Status codes the conversions return (the system's codes of the same meaning).
#pragma once
#include <cstdint>

namespace elk {

inline constexpr uint32_t kStatusSuccess = 0;
inline constexpr uint32_t kStatusNoMemory = 8;              // ERROR_NOT_ENOUGH_MEMORY
inline constexpr uint32_t kStatusInvalidParameter = 87;     // ERROR_INVALID_PARAMETER
inline constexpr uint32_t kStatusInsufficientBuffer = 122;  // ERROR_INSUFFICIENT_BUFFER

}  // namespace elk
