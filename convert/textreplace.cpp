// Text replacement in place, bounded by the caller's capacity.
#include <cstring>
#include <string>

#include "base/wide.h"
#include "convert/core/textreplace.h"
#include "include/elkBase.h"

void WINAPI basChangeSubStr(wchar_t* text, DWORD capacity, const wchar_t* find, const wchar_t* replacement) {
    if (!text || !find || !replacement) return;
    // Own copies: the texts may point into the buffer being changed.
    try {
        std::u16string what(elk::u16(find)), with(elk::u16(replacement));
        elk::changeSubStr(elk::u16(text), capacity, what, with);
    } catch (...) {
        // No memory for the copies: the text stays as it was.
    }
}
