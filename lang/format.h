// Formatting with texts from language modules.
#pragma once
#include <windows.h>

#include <initializer_list>

#include "lang/core/printf_args.h"

namespace elk {

// Formats into out (size characters, always terminated, cut when too long)
// with `candidate` when it consumes exactly `expected`, else with `builtin`.
void formatChecked(wchar_t* out, size_t size, const wchar_t* candidate, const wchar_t* builtin,
                   std::initializer_list<PrintfArg> expected, ...);

}  // namespace elk
