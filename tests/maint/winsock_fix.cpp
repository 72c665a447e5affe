// Runs the catalog repair once with the mode given and exits with its result,
// writing nothing of its own, so that a test sees the library's output alone.
#include <windows.h>

#include <cwchar>

#include "include/elkBase.h"

int wmain(int argc, wchar_t** argv) {
    return static_cast<int>(basFixNetworkStack(argc > 1 ? _wtoi(argv[1]) : 0));
}
