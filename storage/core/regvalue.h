// The suite's registry key and the rule that keeps string reads terminated.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace elk::storage {

inline constexpr size_t kKeyPathSize = 260;
inline constexpr uint32_t kMoreData = 234;  // the registry's "more data is available"

// Writes the suite's key below a root into `out` (`size` characters): the
// edition string goes into the machine-wide key only. False, with `out`
// empty, when the path does not fit: a cut path would name another key.
bool suiteKeyPath(std::u16string_view edition, bool machineRoot, char16_t* out, size_t size);

// After a value query that put `bytesRead` bytes into `out` (room for `size`
// characters), makes `out` a terminated string. Data that fill the room
// without any terminator of their own do not fit: the result is kMoreData and
// `out` is left empty. Otherwise 0, and the string ends at the first
// terminator or after the last whole character read.
uint32_t terminateReadString(char16_t* out, size_t size, size_t bytesRead);

}  // namespace elk::storage
