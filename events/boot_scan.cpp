// The boot-time scan is the engine's business: each export opens the engine
// loader from the program folder, loads the boot-time scan module through a
// handle of its own, makes one request and closes everything again, so no
// state outlives a call.
#include "base/bind.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/suite/ozrCmnBS.h"
#include "base/suite/ozrEngLdr.h"
#include "include/elkBase.h"

namespace {

// What one request gave: the loader's or BtsSchedule's code, 8 without a
// handle, or the system's code when the loader could not be loaded or lacks
// an entry.
DWORD request(DWORD what, DWORD options) {
    wchar_t path[520];
    if (!elk::composePath(fsGetTarvoProgramPath(), L"ozrEngLdr.dll", path, ARRAYSIZE(path)))
        return ERROR_FILENAME_EXCED_RANGE;
    elk::UniqueModule loader(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!loader) {
        DWORD error = GetLastError();
        return error ? error : static_cast<DWORD>(ERROR_MOD_NOT_FOUND);
    }
    auto create = elk::bindProc<AvldrCreateHandleFn>(loader.get(), "avldrCreateHandle");
    auto load = elk::bindProc<AvldrLoadModuleFn>(loader.get(), "avldrLoadModule");
    auto schedule = elk::bindProc<BtsScheduleFn>(loader.get(), "BtsSchedule");
    auto close = elk::bindProc<AvldrCloseModuleFn>(loader.get(), "avldrCloseModule");
    if (!create || !load || !schedule || !close) return ERROR_PROC_NOT_FOUND;

    AVLDR_HANDLE handle = create(0);
    if (!handle) return ERROR_NOT_ENOUGH_MEMORY;
    // The close's own result says nothing the caller could act on.
    elk::ScopeExit closing([&] { close(handle, 0, 0); });
    if (DWORD rc = load(handle, AVLDR_MODULE_BTS, 0)) return rc;
    return schedule(handle, what, options, 0);
}

}  // namespace

extern "C" {

DWORD WINAPI basScheduleBts(DWORD options) { return request(BTS_REQUEST_SCHEDULE, options); }

DWORD WINAPI basUnscheduleBts(void) { return request(BTS_REQUEST_CANCEL, 0); }

BOOLEAN WINAPI basIsScheduledBts(void) { return request(BTS_REQUEST_ASK, 0) == 0; }

}
