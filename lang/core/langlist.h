// Language ids tried when none is configured, and locale names that the
// runtime library knows only by their short form.
#pragma once
#include <cstdint>
#include <span>

namespace elk {

// Tried in this order after 1033.
std::span<const uint16_t> probedLanguages();

// "chs" and "cht" for the two Chinese languages, else null (the system's
// English language name is used).
const char16_t* shortLocaleName(uint16_t language);

}  // namespace elk
