// elkctl: the library's command-line front end for administrators and developers.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"

namespace {

void usage() {
    std::fputws(L"usage: elkctl COMMAND [ARGS]\n"
                L"  info          start the library and show its state\n"
                L"  error CODE    the text of a status code (decimal or 0x hex)\n",
                stderr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) {
        usage();
        return 2;
    }
    std::wstring command = argv[1];
    if (command == L"info") return elkctl::info();
    if (command == L"error" && argc == 3) return elkctl::error(argv[2]);
    usage();
    return 2;
}
