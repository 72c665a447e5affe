#include "submit/engine_info.h"

#include "base/bind.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/suite/ozrCmnBS.h"
#include "base/suite/ozrEngLdr.h"

namespace elk::submit {

DWORD definitionsVersion() {
    wchar_t path[520];
    if (!composePath(fsGetTarvoProgramPath(), L"ozrEngLdr.dll", path, ARRAYSIZE(path))) return 0;
    UniqueModule loader(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!loader) return 0;
    auto info = bindProc<AvldrGetEngineInformationFn>(loader.get(), "avldrGetEngineInformation");
    if (!info) return 0;
    AVLDR_ENGINE_INFO record = {};
    if (info(nullptr, &record, AVLDR_INFO_ENGINE) != 0) return 0;
    return record.definitionsVersion;
}

}  // namespace elk::submit
