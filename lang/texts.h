// Texts of language modules: loaded, checked against the library's table of
// texts and formatted, with the built-in text wherever a module's cannot be
// used.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "lang/core/texts.h"

namespace elk {

// Text `id` of `module` (null: the base language module) as it stands, into
// out (size characters, cut to fit, always terminated when size > 0). Its
// length; 0 when the module or the text is missing.
size_t loadText(HMODULE module, uint32_t id, wchar_t* out, size_t size);

enum class TextFrom {
    Module,   // the module's text
    Builtin,  // the module's text could not be used: it did not fit the arguments or did not format
    Missing,  // the module (or its text) is missing: the built-in text stands in
};

// Formats text `id` into out (size characters, cut to fit, always
// terminated when size > 0) with the arguments that its entry of the table
// lists, passed in that order. The text comes from `module` (null: the base
// language module) when its conversions are the first ones of the list and
// it formats; otherwise the entry's built-in text is used.
TextFrom formatText(HMODULE module, uint32_t id, wchar_t* out, size_t size, ...);

}  // namespace elk
