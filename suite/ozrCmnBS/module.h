// The library's own module handle, set when the process loads it.
#pragma once
#include <windows.h>

namespace ozrcmnbs {
extern HMODULE g_module;
}
