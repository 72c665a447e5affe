// The services that the start-up brings up after the core state and the
// shut-down takes down again. Each lives with its own family; the start-up
// only calls these steps.
#pragma once
#include <windows.h>

namespace elk {

// Crash reports: true when a process-wide handler was installed.
bool installCrashHandler();
void removeCrashHandler();

// Network layer with its socket watchdog (net/tcp.cpp).
DWORD startNetwork();
DWORD stopNetwork();

// Sound service: the start-up creates its lock, the shut-down stops playing,
// purges and unloads, and deletes the lock.
void createSoundLock();
DWORD stopSound();

// Auto-completion library loaded on demand by the file services; 0 or the
// code of a failed unload.
DWORD releaseAutoComplete();

}  // namespace elk
