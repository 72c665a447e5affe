// elkctl bts: the boot-time scan, scheduled, cancelled or asked for through
// the engine loader of the installation.
#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/number.h"
#include "tools/elkctl/started.h"

namespace elkctl {

int bts(int argc, wchar_t** argv) {
    if (argc < 1) return kMisused;
    const std::wstring what = argv[0];
    std::optional<DWORD> options;
    if (what == L"schedule") {
        if (argc != 2) return kMisused;
        if (!(options = parseNumber<DWORD>(argv[1])))
            return misused(std::wstring(L"not a 32-bit option value: ") + argv[1]);
    } else if ((what != L"unschedule" && what != L"status") || argc != 1) {
        return kMisused;
    }
    // The requests need only the installation's folders; the start-up gives
    // failures their texts in the configured language.
    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    if (what == L"status") {
        bool scheduled = basIsScheduledBts();
        print(scheduled ? L"scheduled\n" : L"not scheduled\n");
        return scheduled ? 0 : 1;
    }
    DWORD rc = options ? basScheduleBts(*options) : basUnscheduleBts();
    if (rc != 0) return reportFailure(options ? L"boot-time scan not scheduled" : L"boot-time scan not cancelled", rc);
    return 0;
}

}  // namespace elkctl
