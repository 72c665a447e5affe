// What other families contribute to the library's start-up and shut-down
// (base/lifecycle.cpp), which owns when they run.
#pragma once
#include <windows.h>

namespace elk {

// Network layer with its socket watchdog (net/): started by the first full
// start-up, stopped by the last shut-down; 0 or the code of the latest
// release that failed.
DWORD startNetwork();
DWORD stopNetwork();

// The sound family's lock: there from the first full start-up to the last
// shut-down, null otherwise.
CRITICAL_SECTION* soundLock();
// Purges what still plays and lets go of the multimedia library, before the
// sound lock goes: 0 or a Windows error code.
DWORD stopSounds();

// Lets go of the shell library that basAutoComplete bound, and of its entry
// point: 0 or the failed unload's error code.
DWORD releaseAutoComplete();

}  // namespace elk
