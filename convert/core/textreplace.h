// Replacing a text inside a fixed-size buffer of UTF-16 text, in place.
#pragma once
#include <cstddef>
#include <string_view>

namespace elk {

// Replaces the first occurrence of `find` in the terminated text of `text`
// (`capacity` units, terminator included) by `replacement`, then searches
// again from the start, until no occurrence is left or the next replacement
// would not fit with its terminator. A replacement that contains `find` is
// therefore expanded again until the buffer is full. Nothing changes when
// `find` is empty or equal to `replacement` (either would never end), or when
// the text has no terminator within `capacity`. `find` and `replacement` must
// not point into `text`.
void changeSubStr(char16_t* text, size_t capacity, std::u16string_view find, std::u16string_view replacement);

}  // namespace elk
