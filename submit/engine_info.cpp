#include "submit/engine_info.h"

#include "base/bind.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/suite/ozrCmnBS.h"

namespace elk::submit {

namespace {

// The caller removes the arguments.
using GetEngineInformation = DWORD(__cdecl*)(void* handle, void* record, DWORD what);
constexpr DWORD kRecordBytes = 40;

}  // namespace

DWORD definitionsVersion() {
    wchar_t path[520];
    if (!composePath(fsGetTarvoProgramPath(), L"ozrEngLdr.dll", path, ARRAYSIZE(path))) return 0;
    UniqueModule loader(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!loader) return 0;
    auto info = bindProc<GetEngineInformation>(loader.get(), "avldrGetEngineInformation");
    if (!info) return 0;
    DWORD record[kRecordBytes / sizeof(DWORD)] = {};
    if (info(nullptr, record, 1) != 0) return 0;
    return record[0];
}

}  // namespace elk::submit
