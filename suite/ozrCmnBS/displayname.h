// The display form of a file name (no operating-system calls).
#pragma once
#include <cstddef>
#include <string_view>

namespace ozrcmnbs {

// Longest display form, in characters without the terminator.
inline constexpr size_t kDisplayMax = 64;

// Writes the display form of `name` into `out` (kDisplayMax + 1 characters,
// terminated) and returns its length, which is never above name.size().
size_t displayFileName(std::u16string_view name, char16_t* out);

}  // namespace ozrcmnbs
