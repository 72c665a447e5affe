// elkctl: the library's command-line front end for administrators and developers.
#include <windows.h>

#include <cstdio>
#include <cwchar>

#include "tools/elkctl/commands.h"

namespace {

struct Command {
    const wchar_t* name;
    int (*run)(int argc, wchar_t** argv);  // argv[0] is the command's first argument
    const wchar_t* help;
};

const Command kCommands[] = {
    {L"info", elkctl::info, L"info                 start the library and show its state"},
    {L"error", elkctl::error, L"error CODE           the text of a status code (decimal or 0x hex)"},
};

int usage() {
    std::fputws(L"usage: elkctl COMMAND [ARGS]\n", stderr);
    for (const Command& c : kCommands) {
        std::fputws(L"  ", stderr);
        std::fputws(c.help, stderr);
        std::fputws(L"\n", stderr);
    }
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return usage();
    for (const Command& c : kCommands)
        if (std::wcscmp(argv[1], c.name) == 0) return c.run(argc - 2, argv + 2);
    return usage();
}
