// elkctl sysinfo and elkctl file-version.
#include <windows.h>

#include <cwchar>
#include <string>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

std::wstring versionText(DWORD high, DWORD low) {
    wchar_t text[64];
    basVersion2String(text, ARRAYSIZE(text), high, low);
    return text;
}

std::wstring megabytes(ULONGLONG bytes) { return std::to_wstring(bytes / (1024 * 1024)) + L" MB"; }

}  // namespace

int sysinfo(int argc, wchar_t**) {
    if (argc != 0) return kMisused;
    Started library(0);
    if (library.status() != 0) return reportFailure(L"start-up failed", library.status());
    std::wstring text;
    auto row = [&](const wchar_t* name, const std::wstring& value) { text += name + value + L"\n"; };

    row(L"Operating system:  ", osClassText());
    OSVERSIONINFOEXW record;
    if (DWORD rc = basGetOSVersion(&record)) {
        row(L"System version:    ", codeText(rc));
    } else {
        wchar_t version[300];
        basOSVersion2String(reinterpret_cast<OSVERSIONINFOW*>(&record), version, ARRAYSIZE(version));
        row(L"System version:    ", version);
    }
    row(L"Computer name:     ", basGetComputerName());
    row(L"Domain name:       ", basGetDomainName());
    row(L"Network user:      ", basGetNetUser());
    row(L"Network domain:    ", basGetNetDomain());

    ULONGLONG total = 0;
    DWORD addressSpace = 0;
    ULONGLONG available = basGetPhysMemoryStatus(&total, &addressSpace);
    row(L"Physical memory:   ", megabytes(available) + L" available of " + megabytes(total));
    row(L"Address space:     ", megabytes(addressSpace) + (addressSpace == MAXDWORD ? L" or more" : L""));

    int bits = 0;
    if (HDC screen = GetDC(nullptr)) {
        bits = GetDeviceCaps(screen, BITSPIXEL);
        ReleaseDC(nullptr, screen);
    }
    row(L"Colour depth:      ", std::to_wstring(bits) + L" bits per pixel (" +
                                   (basIsEnoughColors() ? L"enough colours)" : L"too few colours)"));

    DWORD high = 0, low = 0;
    DWORD rc = basGetIeVersion(&high, &low);
    row(L"Browser component: ", rc == 0 ? versionText(high, low) : codeText(rc));
    row(L"Full-screen:       ", basFullscreenAppRunning() ? L"a full-screen window holds the foreground"
                                                          : L"no full-screen window in the foreground");
    print(text);
    return 0;
}

int fileVersion(int argc, wchar_t** argv) {
    if (argc != 1 && !(argc == 3 && std::wcscmp(argv[1], L"--compare") == 0)) return kMisused;
    DWORD high = 0, low = 0;
    if (DWORD rc = basGetFileVersion(argv[0], &high, &low)) return reportFailure(L"no version", rc);
    std::wstring text = versionText(high, low) + L" (" + hex32(high) + L" " + hex32(low) + L")\n";
    if (argc == 3) {
        DWORD givenHigh = 0, givenLow = 0;
        if (!basString2Version(argv[2], &givenHigh, &givenLow))
            return misused(std::wstring(L"not a version: ") + argv[2]);
        int order = basCheckFileVersion(argv[0], givenHigh, givenLow);
        text += order > 0 ? L"newer than " : order < 0 ? L"older than " : L"the same as ";
        text += versionText(givenHigh, givenLow) + L"\n";
    }
    print(text);
    return 0;
}

}  // namespace elkctl
