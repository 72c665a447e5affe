// elkctl time, parse-time, size, label and url.
#include <windows.h>

#include <ctime>
#include <cwchar>
#include <optional>
#include <string>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/number.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

// "NOW" or seconds since 1970.
std::optional<__time64_t> parseTime(const wchar_t* text) {
    if (_wcsicmp(text, L"NOW") == 0) return _time64(nullptr);
    return parseNumber<__time64_t>(text);
}

std::wstring fullTime(__time64_t time) {
    wchar_t text[128];
    basTime2String(text, ARRAYSIZE(text), time, 1);
    return text;
}

}  // namespace

int timeText(int argc, wchar_t** argv) {
    const bool full = argc == 2 && std::wcscmp(argv[1], L"--full") == 0;
    if (argc != 1 && !full) return kMisused;
    std::optional<__time64_t> time = parseTime(argv[0]);
    if (!time) return misused(std::wstring(L"not NOW or seconds: ") + argv[0]);
    Started library(ELK_INIT_LIGHT);
    wchar_t text[128];
    basTime2String(text, ARRAYSIZE(text), *time, full);
    print(std::wstring(text) + L"\n");
    return 0;
}

int parseTimeText(int argc, wchar_t** argv) {
    if (argc != 1) return kMisused;
    Started library(ELK_INIT_LIGHT);
    __time64_t time = 0;
    const DWORD status = basString2Time(argv[0], &time);
    if (status != 0) {
        printError(L"elkctl: parse-time: " + statusText(status) + L"\n");
        return 1;
    }
    std::wstring out = std::to_wstring(time);
    if (time != -1) out += L" (" + fullTime(time) + L")";
    print(out + L"\n");
    return 0;
}

int sizeText(int argc, wchar_t** argv) {
    if (argc != 1) return kMisused;
    std::optional<__int64> bytes = parseNumber<__int64>(argv[0]);
    if (!bytes) return misused(std::wstring(L"not a byte count: ") + argv[0]);
    Started library(ELK_INIT_LIGHT);
    wchar_t text[64];
    basFormatNumber(*bytes, text, ARRAYSIZE(text));
    print(std::wstring(text) + L"\n");
    return 0;
}

int label(int argc, wchar_t** argv) {
    if (argc != 3 && !(argc == 5 && std::wcscmp(argv[3], L"--flags") == 0)) return kMisused;
    std::optional<DWORD> first = parseNumber<DWORD>(argv[0]), second = parseNumber<DWORD>(argv[1]);
    if (!first) return misused(std::wstring(L"not a 32-bit number: ") + argv[0]);
    if (!second) return misused(std::wstring(L"not a 32-bit number: ") + argv[1]);
    std::optional<__time64_t> time = parseTime(argv[2]);
    if (!time) return misused(std::wstring(L"not NOW or seconds: ") + argv[2]);
    std::optional<DWORD> flags = argc == 5 ? parseNumber<DWORD>(argv[4]) : DWORD{0};
    if (!flags) return misused(std::wstring(L"not a 32-bit number: ") + argv[4]);
    Started library(ELK_INIT_LIGHT);
    wchar_t text[300];
    basVPS2Label(*first, *second, *time, text, ARRAYSIZE(text), *flags);
    print(std::wstring(text) + L"\n");
    return 0;
}

int url(int argc, wchar_t** argv) {
    if (argc != 1) return kMisused;
    Started library(ELK_INIT_LIGHT);
    wchar_t text[1100];
    basCreateURL(argv[0], text, ARRAYSIZE(text));
    print(std::wstring(text) + L"\n");
    return 0;
}

}  // namespace elkctl
