// Run-time binding of optional functions; not exported.
#pragma once
#include <windows.h>

#include "include/elkBase.h"

namespace elk {

// Binds an optional entry of a module through basGetProcAddress.
template <typename Fn>
Fn bindProc(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(basGetProcAddress(module, name)));
}

}  // namespace elk
