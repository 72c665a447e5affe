// elkctl exec and elkctl clean-temp: starting a program the way the suite
// does, and cleaning unpacking leftovers out of the temporary folder.
#include <windows.h>

#include <optional>
#include <string>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/number.h"

namespace elkctl {

int exec(int argc, wchar_t** argv) {
    bool wait = false;
    std::optional<std::wstring> command;
    for (int i = 0; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--wait" && !command)
            wait = true;
        else if (!command)
            command = arg;
        else
            return kMisused;
    }
    if (!command) return kMisused;
    DWORD rc = basExecuteAndWait(command->c_str(), wait);
    if (rc != 0) return reportFailure(L"cannot start " + *command, rc);
    return 0;
}

int cleanTemp(int argc, wchar_t** argv) {
    std::optional<DWORD> hours;
    bool recursive = false;
    for (int i = 0; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--recursive")
            recursive = true;
        else if (!hours) {
            if (!(hours = parseNumber<DWORD>(arg))) return misused(L"not a number of hours: " + arg);
        } else
            return kMisused;
    }
    if (!hours) return kMisused;
    switch (basEmptyTarvoTempFolder(*hours, recursive)) {
    case 1:
        print(L"Cleaned.\n");
        return 0;
    case -1:
        printError(L"elkctl: some leftovers could not be removed\n");
        return 1;
    default:
        printError(L"elkctl: the temporary folder is unknown\n");
        return 1;
    }
}

}  // namespace elkctl
