// A storage back-end's entry points as elkBase calls them: a counted start-up
// and shut-down. The stores keep their records in the suite's data folder, so
// a start-up without one fails.
#include <windows.h>

#include "base/suite/ozrCmnBS.h"

namespace {

LONG g_starts;

}  // namespace

extern "C" {

DWORD WINAPI dbsInitLibrary(void) {
    DWORD attributes = GetFileAttributesW(fsGetTarvoDataPath());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) return ERROR_PATH_NOT_FOUND;
    InterlockedIncrement(&g_starts);
    return 0;
}

DWORD WINAPI dbsFreeLibrary(void) {
    // A shut-down without a start-up is refused rather than wrapping the count.
    for (LONG starts = g_starts; starts > 0; starts = g_starts)
        if (InterlockedCompareExchange(&g_starts, starts - 1, starts) == starts) return 0;
    return ERROR_NOT_READY;
}

}
