// Joining a folder and a name into a caller's fixed-size buffer.
#pragma once
#include <cstdint>

namespace elk {

// Copies `folder` into `out`, adds one backslash unless the folder already
// ends in one (an empty folder gets none), then as much of `name` as fits.
// `out` holds `size` characters including the terminator and is always
// terminated when size > 0. Returns the length of the folder part with its
// separator, i.e. where `name` starts in `out`, or `size` when the folder
// alone fills the buffer. Null strings count as empty.
uint32_t joinPath(const char16_t* folder, const char16_t* name, char16_t* out, uint32_t size);

}  // namespace elk
