// The folder that holds files the suite moved aside.
#include <windows.h>

#include <cstdlib>

#include "base/suite/ozrCmnBS.h"
#include "include/elkBase.h"

namespace {

constexpr DWORD kFolderCharacters = 32768;

}  // namespace

extern "C" {

wchar_t* WINAPI basGetMoveFolder(void) {
    auto* folder = static_cast<wchar_t*>(std::malloc(kFolderCharacters * sizeof(wchar_t)));
    if (!folder) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (basGetStringValue(HKEY_LOCAL_MACHINE, L"MovedFolder", folder, kFolderCharacters) != 0)
        basCreatePath(fsGetTarvoDataPath(), L"moved", folder, kFolderCharacters);
    return folder;
}

void WINAPI basFreeMoveFolder(wchar_t* folder) { std::free(folder); }

}
