// elkctl other-av: whether a known anti-virus product of another maker is
// present, as the suite asks before it turns its own protection on.
#include <windows.h>

#include <string>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/started.h"

namespace elkctl {

int otherAv(int argc, wchar_t**) {
    if (argc != 0) return kMisused;
    // The answer depends on the system class the start-up determines.
    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    if (library.status() != 0) return reportFailure(L"start-up failed", library.status());
    wchar_t product[38] = L"";
    if (!basIsOtherAVInstalled(product)) {
        print(L"No other anti-virus product found.\n");
        return 1;
    }
    print(L"Other anti-virus product: " + std::wstring(product) + L"\n");
    return 0;
}

}  // namespace elkctl
