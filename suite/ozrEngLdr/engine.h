// What the loader's entries share: its handles, the engine's settings file in
// the data folder, and the hooks through which tests steer and watch it.
#pragma once
#include <windows.h>

#include <cstdint>

#include "base/suite/ozrEngLdr.h"

namespace ozrengldr {

// Handles are small numbers; traces show them as such.
inline DWORD handleNumber(AVLDR_HANDLE handle) {
    return static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(handle));
}

// 0 when `handle` is open and has loaded `module`; else the code for the
// caller (6 not open, 21 the module not loaded).
DWORD requireModule(AVLDR_HANDLE handle, DWORD module);
// 0 for a null handle and for an open one, 6 otherwise.
DWORD checkOptionalHandle(AVLDR_HANDLE handle);

// <data folder>\ozrEngLdr.ini, which holds the boot-time scan request and
// the definitions' version; false when the path does not fit.
bool settingsFile(wchar_t (&path)[1024]);
// A number written in decimal or as 0x hex, all of `text`, within 32 bits.
bool parseNumber(const wchar_t* text, DWORD* value);

// The failure a test asked for through environment variable `name`: its
// value when that is a non-zero number, else 0 (no failure). Read at every
// call, so a test can change it between calls.
DWORD injectedFailure(const wchar_t* name);
// Appends one line to the file named by TARVO_ENGLDR_TRACE, if set.
void trace(const char* format, ...);

}  // namespace ozrengldr
