// Texts of the language modules for version and release names.
#pragma once
#include <windows.h>

namespace elk {

// Text 58 ("unknown") of the library's own language module, or the built-in
// one when no module is loaded or it lacks the text.
void unknownVersionText(wchar_t* out, size_t size);

}  // namespace elk
