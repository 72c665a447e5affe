#include "lang/texts.h"

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <string_view>

#include "base/wide.h"
#include "lang/language.h"

namespace elk {

namespace {

int loadCap(size_t size) { return size > INT_MAX ? INT_MAX : static_cast<int>(size); }

// Formats into out (size > 0), cut to fit and terminated. False when the
// runtime cannot format the text at all (an insert wider than any buffer,
// say); the runtime answers -1 for that and for a text that merely does not
// fit, so only a count of the whole text tells the two apart.
bool formatInto(wchar_t* out, size_t size, const wchar_t* format, va_list args) {
    va_list again;
    va_copy(again, args);
    const int n = _vsnwprintf(out, size, format, args);
    bool ok = true;
    if (n < 0 || static_cast<size_t>(n) >= size) {
        ok = _vscwprintf(format, again) >= 0;
        out[size - 1] = L'\0';
    }
    va_end(again);
    if (!ok) out[0] = L'\0';
    return ok;
}

}  // namespace

size_t loadText(HMODULE module, uint32_t id, wchar_t* out, size_t size) {
    // A zero size would make the loader hand out a pointer instead of text.
    if (!out || size == 0) return 0;
    out[0] = L'\0';
    int n = 0;
    if (module) {
        n = LoadStringW(module, id, out, loadCap(size));
    } else {
        BaseLanguage base;
        if (base.module()) n = LoadStringW(base.module(), id, out, loadCap(size));
    }
    if (n <= 0) {
        out[0] = L'\0';
        return 0;
    }
    return static_cast<size_t>(n);
}

TextFrom formatText(HMODULE module, uint32_t id, wchar_t* out, size_t size, ...) {
    if (!out || size == 0) return TextFrom::Missing;
    out[0] = L'\0';
    const TextEntry* entry = findText(id);
    if (!entry) return TextFrom::Missing;

    // The text is loaded whole (up to its room) and checked whole; only the
    // result is cut to the caller's size.
    wchar_t text[520];
    const size_t length = loadText(module, id, text, std::min<size_t>(entry->room, std::size(text)));
    va_list args;
    va_start(args, size);
    TextFrom from = length ? TextFrom::Builtin : TextFrom::Missing;
    if (length && textFitsEntry(std::u16string_view(u16(text), length), *entry)) {
        va_list copy;
        va_copy(copy, args);
        if (formatInto(out, size, text, copy)) from = TextFrom::Module;
        va_end(copy);
    }
    if (from != TextFrom::Module) formatInto(out, size, wide(entry->builtin), args);
    va_end(args);
    return from;
}

}  // namespace elk
