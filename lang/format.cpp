#include "lang/format.h"

#include <cstdarg>
#include <cstdio>
#include <cwchar>

#include "base/wide.h"

namespace elk {

void formatChecked(wchar_t* out, size_t size, const wchar_t* candidate, const wchar_t* builtin,
                   std::initializer_list<PrintfArg> expected, ...) {
    if (!out || size == 0) return;
    const wchar_t* format =
        candidate && *candidate && printfArgsMatch(std::u16string_view(u16(candidate)), expected) ? candidate : builtin;
    va_list args;
    va_start(args, expected);
    int n = _vsnwprintf(out, size, format, args);
    va_end(args);
    // The runtime leaves the buffer unterminated when the text fills it.
    if (n < 0 || static_cast<size_t>(n) >= size) out[size - 1] = L'\0';
}

}  // namespace elk
