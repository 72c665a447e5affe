// Language-dependent console code pages, reading direction and the locale
// whose ANSI code page picks the font character set.
#pragma once
#include <cstdint>
#include <string_view>

namespace elk {

// OEM code page a console should use for the language; 0 when the language has
// none of its own and the console's current one stays.
uint32_t consoleCodePageFor(uint16_t language);

// True for the right-to-left languages the suite ships.
bool isRightToLeftLanguage(uint16_t language);

// Locale whose character set fits the language: an English (US) interface
// follows the user's own locale, so that names in the user's script still show.
uint32_t charsetLocaleFor(uint16_t language);

// The leading decimal digits of a code-page text (as the locale information
// gives it); 0 when there are none or the number does not fit 16 bits, which
// no code page exceeds.
uint32_t parseCodePage(std::u16string_view text);

}  // namespace elk
