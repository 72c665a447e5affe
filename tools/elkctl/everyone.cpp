// elkctl open-to-everyone: full access for everybody to a file or folder.
#include <windows.h>

#include <string>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"

namespace elkctl {

int openToEveryone(int argc, wchar_t** argv) {
    if (argc != 1) return kMisused;
    const std::wstring path = argv[0];
    SetLastError(ERROR_SUCCESS);
    if (!basEnableWriteAccessToEveryone(path.c_str())) {
        if (DWORD error = GetLastError()) return reportFailure(path, error);
        printError(L"elkctl: " + path + L" has no access list, or a null one that lets everybody in\n");
        return 1;
    }
    print(L"Everyone has full access to " + path + L" now.\n");
    return 0;
}

}  // namespace elkctl
