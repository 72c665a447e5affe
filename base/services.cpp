// Steps of the start-up and shut-down whose services are not part of this
// build yet: each is a no-op that reports "nothing installed" or success,
// except the sound lock, which exists from start-up to shut-down already.
#include "base/services.h"

namespace elk {

namespace {
CRITICAL_SECTION g_soundLock;
bool g_soundLockCreated;
}  // namespace

bool installCrashHandler() { return false; }
void removeCrashHandler() {}

void createSoundLock() {
    if (g_soundLockCreated) return;
    InitializeCriticalSection(&g_soundLock);
    g_soundLockCreated = true;
}

DWORD stopSound() {
    // A light start created no lock, so a mismatched stop has nothing to delete.
    if (g_soundLockCreated) {
        DeleteCriticalSection(&g_soundLock);
        g_soundLockCreated = false;
    }
    return 0;
}

DWORD releaseAutoComplete() { return 0; }

}  // namespace elk
