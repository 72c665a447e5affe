// elkctl sound: plays the sound of an event as the suite would, with the
// installation's switches and language.
#include <windows.h>

#include <optional>
#include <string>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/number.h"
#include "tools/elkctl/started.h"

namespace elkctl {

int sound(int argc, wchar_t** argv) {
    // The sound plays in the background and the shut-down cuts it off, so
    // the command stays this long (milliseconds) for it to be heard.
    DWORD wait = 3000;
    std::optional<DWORD> event;
    for (int i = 0; i < argc; ++i) {
        const std::wstring arg = argv[i];
        if (arg == L"--wait" && i + 1 < argc) {
            std::optional<DWORD> ms = parseNumber<DWORD>(argv[++i]);
            if (!ms) return misused(std::wstring(L"not a time in milliseconds: ") + argv[i]);
            wait = *ms;
        } else if (!event) {
            if (!(event = parseNumber<DWORD>(arg))) return misused(L"not an event number: " + arg);
        } else {
            return kMisused;
        }
    }
    if (!event) return kMisused;
    // Sounds need a full start-up: a light one has no sound service.
    Started library(ELK_INIT_NO_LOCALES);
    if (library.status() != 0) return reportFailure(L"library not started", library.status());
    basPlaySound(*event);
    if (wait) Sleep(wait);
    return 0;
}

}  // namespace elkctl
