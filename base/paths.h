// Path helpers shared by the library's families; not exported.
#pragma once
#include <windows.h>

namespace elk {

// Joins folder and name like basCreatePath; false when the result was cut.
bool composePath(const wchar_t* folder, const wchar_t* name, wchar_t* out, DWORD size);

// True when `path` (at most 260 characters, one trailing backslash dropped)
// names an existing directory.
bool isDirectory(const wchar_t* path);

}  // namespace elk
