// Loading and unloading the configured storage back-end.
#include <windows.h>

#include <cwchar>

#include "base/handles.h"
#include "base/bind.h"
#include "base/paths.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "storage/core/backend.h"

namespace {

using BackendEntry = DWORD(WINAPI*)();

// The back-ends' entries are stdcall without arguments; their exported names
// are the decorated ones.
constexpr char kInitEntry[] = "_dbsInitLibrary@0";
constexpr char kFreeEntry[] = "_dbsFreeLibrary@0";

// Loads and starts one back-end; null with the reason as the last error.
HMODULE loadBackend(elk::storage::Backend backend) {
    wchar_t path[520];
    if (!elk::composePath(fsGetTarvoProgramPath(), elk::wide(elk::storage::backendFile(backend)), path,
                          ARRAYSIZE(path))) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    // The altered search path lets the back-end find its own libraries beside it.
    elk::UniqueModule module(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!module) return nullptr;
    auto init = elk::bindProc<BackendEntry>(module.get(), kInitEntry);
    if (!init) return nullptr;  // the unload keeps the look-up's code
    if (DWORD rc = init()) {
        module.reset();
        SetLastError(rc);
        return nullptr;
    }
    return module.release();
}

}  // namespace

extern "C" {

HMODULE WINAPI basLoadStorage(void) {
    wchar_t kind[260];
    basGetProfileString(L"Common", L"Database", elk::wide(elk::storage::kDefaultKind), kind, ARRAYSIZE(kind));
    const std::u16string_view configured(elk::u16(kind));
    if (HMODULE module = loadBackend(elk::storage::backendOf(configured))) return module;

    DWORD firstError = GetLastError();
    HMODULE fallback = nullptr;
    if (elk::storage::fallsBackToSqlite(configured)) fallback = loadBackend(elk::storage::Backend::Sqlite);
    if (const char16_t* value = elk::storage::iniValueAfterLoad(configured, false, fallback != nullptr))
        basWriteProfileString(L"Common", L"Database", elk::wide(value));
    // The caller learns why the configured back-end failed, not the stand-in.
    if (!fallback) SetLastError(firstError);
    return fallback;
}

DWORD WINAPI basFreeStorage(HMODULE module) {
    // A null module would make the look-up search the program's own exports.
    if (!module) return ERROR_INVALID_HANDLE;
    DWORD rc;
    if (auto shutDown = elk::bindProc<BackendEntry>(module, kFreeEntry))
        rc = shutDown();
    else
        rc = GetLastError();
    if (!FreeLibrary(module)) rc = GetLastError();
    return rc;
}

}
