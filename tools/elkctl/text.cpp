// elkctl time, parse-time, size, label and url.
#include <windows.h>

#include <cerrno>
#include <ctime>
#include <cwchar>
#include <string>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/output.h"

namespace elkctl {

namespace {


bool parseInt64(const wchar_t* text, __int64* value) {
    wchar_t* end = nullptr;
    errno = 0;
    *value = _wcstoi64(text, &end, 0);
    return *text && !*end && errno == 0;
}

bool parseHex(const wchar_t* text, DWORD* value) {
    wchar_t* end = nullptr;
    errno = 0;
    unsigned long v = std::wcstoul(text, &end, 16);
    if (!*text || *end || errno != 0 || v > MAXDWORD) return false;
    *value = static_cast<DWORD>(v);
    return true;
}

// "NOW" or seconds since 1970.
bool parseTime(const wchar_t* text, __time64_t* time) {
    if (_wcsicmp(text, L"NOW") == 0) {
        *time = _time64(nullptr);
        return true;
    }
    __int64 value = 0;
    if (!parseInt64(text, &value)) return false;
    *time = value;
    return true;
}

std::wstring fullTime(__time64_t time) {
    wchar_t text[128];
    basTime2String(text, ARRAYSIZE(text), time, 1);
    return text;
}

}  // namespace

int timeText(int argc, wchar_t** argv) {
    __time64_t time = 0;
    const bool full = argc == 2 && std::wcscmp(argv[1], L"--full") == 0;
    if ((argc != 1 && !full) || !parseTime(argv[0], &time)) return 2;
    LightStart library;
    wchar_t text[128];
    basTime2String(text, ARRAYSIZE(text), time, full);
    print(std::wstring(text) + L"\n");
    return 0;
}

int parseTimeText(int argc, wchar_t** argv) {
    if (argc != 1) return 2;
    LightStart library;
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
    __int64 bytes = 0;
    if (argc != 1 || !parseInt64(argv[0], &bytes)) return 2;
    LightStart library;
    wchar_t text[64];
    basFormatNumber(bytes, text, ARRAYSIZE(text));
    print(std::wstring(text) + L"\n");
    return 0;
}

int label(int argc, wchar_t** argv) {
    DWORD first = 0, second = 0, flags = 0;
    __time64_t time = 0;
    if (argc != 3 && argc != 5) return 2;
    if (!parseHex(argv[0], &first) || !parseHex(argv[1], &second) || !parseTime(argv[2], &time)) return 2;
    if (argc == 5) {
        __int64 value = 0;
        if (std::wcscmp(argv[3], L"--flags") != 0 || !parseInt64(argv[4], &value) || value < 0 || value > MAXDWORD)
            return 2;
        flags = static_cast<DWORD>(value);
    }
    LightStart library;
    wchar_t text[300];
    basVPS2Label(first, second, time, text, ARRAYSIZE(text), flags);
    print(std::wstring(text) + L"\n");
    return 0;
}

int url(int argc, wchar_t** argv) {
    if (argc != 1) return 2;
    LightStart library;
    wchar_t text[1100];
    basCreateURL(argv[0], text, ARRAYSIZE(text));
    print(std::wstring(text) + L"\n");
    return 0;
}

}  // namespace elkctl
