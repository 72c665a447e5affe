// elkctl mirror: the update mirror tool's and the updater's settings, and a
// run of the mirror tool, through the installation's settings interface.
#include <windows.h>

#include <optional>
#include <string>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/number.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

// --upstream HOST: the mirror gets its updates from another mirror (with
// --port, at that address); --port: the port it serves; --value: the
// settings interface's value item; --sources: the update sources.
int setMirror(int argc, wchar_t** argv) {
    const wchar_t* upstream = nullptr;
    std::optional<DWORD> port, value;
    BYTE flags = 0;
    for (int i = 0; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--sources") {
            flags |= ELK_MIRROR_SET_SOURCES;
            continue;
        }
        if (i + 1 >= argc) return kMisused;
        const wchar_t* argument = argv[++i];
        if (option == L"--upstream") {
            if (!*argument) return misused(L"an empty upstream host");
            upstream = argument;
        } else if (option == L"--port" || option == L"--value") {
            std::optional<DWORD>& target = option == L"--port" ? port : value;
            if (!(target = parseNumber<DWORD>(argument))) return misused(L"not a 32-bit number: " + std::wstring(argument));
        } else {
            return kMisused;
        }
    }
    if (port) flags |= ELK_MIRROR_SET_PORT | (upstream ? ELK_MIRROR_SET_ADDRESS : 0);
    if (value) flags |= ELK_MIRROR_SET_VALUE;
    if (flags == 0) return misused(L"nothing to set");
    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    DWORD rc = tskSetMirrorParamsForMirror(upstream != nullptr, upstream, port.value_or(0), value.value_or(0), flags);
    return rc ? reportFailure(L"mirror settings not made", rc) : 0;
}

int setUpdater(int argc, wchar_t** argv) {
    const wchar_t* address = nullptr;
    DWORD port = 80;
    bool fallback = false;
    for (int i = 0; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (option == L"--fallback") {
            fallback = true;
        } else if (option == L"--port") {
            if (i + 1 >= argc) return kMisused;
            std::optional<DWORD> number = parseNumber<DWORD>(argv[++i]);
            if (!number) return misused(L"not a 32-bit number: " + std::wstring(argv[i]));
            port = *number;
        } else if (option.rfind(L"--", 0) != 0 && !address) {
            address = argv[i];
        } else {
            return kMisused;
        }
    }
    if (!address) return kMisused;
    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    DWORD rc = tskSetMirrorParamsForUpdater(fallback, address, port);
    return rc ? reportFailure(L"updater settings not made", rc) : 0;
}

int launch(int argc, wchar_t** argv) {
    const wchar_t* log = nullptr;
    if (argc == 2 && std::wstring(argv[0]) == L"--log" && *argv[1])
        log = argv[1];
    else if (argc != 0)
        return kMisused;
    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    DWORD status = 0;
    DWORD rc = tskLaunchMirror(&status, log);
    if (rc) return reportFailure(L"mirror run failed", rc);
    print(L"status " + std::to_wstring(status) + L"\n");
    return 0;
}

}  // namespace

int mirror(int argc, wchar_t** argv) {
    if (argc < 1) return kMisused;
    const std::wstring what = argv[0];
    if (what == L"set-mirror") return setMirror(argc - 1, argv + 1);
    if (what == L"set-updater") return setUpdater(argc - 1, argv + 1);
    if (what == L"launch") return launch(argc - 1, argv + 1);
    return kMisused;
}

}  // namespace elkctl
