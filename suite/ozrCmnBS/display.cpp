#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "suite/ozrCmnBS/displayname.h"

#include <cwchar>

extern "C" wchar_t* WINAPI strGetDisplayFileName(const wchar_t* name, wchar_t* out) {
    if (!out) return nullptr;
    if (!name) {
        out[0] = L'\0';
        return out;
    }
    // Composed apart first: `out` is often the buffer that holds `name`.
    char16_t display[ozrcmnbs::kDisplayMax + 1];
    size_t n = ozrcmnbs::displayFileName(std::u16string_view(elk::u16(name)), display);
    wmemcpy(out, elk::wide(display), n + 1);
    return out;
}
