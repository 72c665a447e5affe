// elkctl notify: pulses a named notification event, or listens to some and
// prints every pulse that reaches this process.
#include <windows.h>

#include <atomic>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/number.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

struct Listening {
    std::vector<std::wstring> names;
    DWORD wanted = 0;  // 0: until Ctrl+C
    std::atomic<DWORD> heard{0};
    HANDLE done = nullptr;
};

Listening* g_listening = nullptr;

// Callbacks run one at a time on the watcher thread, so the lines never mix.
void WINAPI heard(DWORD_PTR index) {
    Listening& l = *g_listening;
    SYSTEMTIME now;
    GetSystemTime(&now);
    wchar_t stamp[32];
    _snwprintf(stamp, ARRAYSIZE(stamp), L"%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", now.wYear, now.wMonth, now.wDay,
               now.wHour, now.wMinute, now.wSecond, now.wMilliseconds);
    stamp[ARRAYSIZE(stamp) - 1] = L'\0';
    print(std::wstring(stamp) + L" " + l.names[index] + L"\n");
    DWORD count = ++l.heard;
    if (l.wanted != 0 && count >= l.wanted) SetEvent(l.done);
}

BOOL WINAPI interrupted(DWORD) {
    if (g_listening) SetEvent(g_listening->done);
    return TRUE;
}

int listen(int argc, wchar_t** argv) {
    Listening l;
    for (int i = 0; i < argc; ++i) {
        if (std::wstring(argv[i]) == L"--count") {
            if (i + 1 >= argc) return kMisused;
            std::optional<DWORD> count = parseNumber<DWORD>(argv[++i]);
            if (!count || *count == 0) return misused(std::wstring(L"not a positive count: ") + argv[i]);
            l.wanted = *count;
        } else {
            l.names.push_back(argv[i]);
        }
    }
    if (l.names.empty()) return kMisused;
    l.done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!l.done) return reportFailure(L"no event to wait on", GetLastError());
    g_listening = &l;
    SetConsoleCtrlHandler(interrupted, TRUE);
    int result = 0;
    if (DWORD rc = notInit()) {
        result = reportFailure(L"notification watcher not started", rc);
    } else {
        std::vector<HANDLE> registrations;
        for (size_t i = 0; i < l.names.size() && result == 0; ++i) {
            HANDLE h = notAddEvent(l.names[i].c_str(), heard, i);
            if (h)
                registrations.push_back(h);
            else
                result = reportFailure(L"cannot listen to " + l.names[i], GetLastError());
        }
        if (result == 0) WaitForSingleObject(l.done, INFINITE);
        // The last stop removes every registration as well.
        if (DWORD rc = notFree(); rc != 0 && result == 0) result = reportFailure(L"notification watcher not stopped", rc);
    }
    SetConsoleCtrlHandler(interrupted, FALSE);
    g_listening = nullptr;
    CloseHandle(l.done);
    return result;
}

}  // namespace

int notify(int argc, wchar_t** argv) {
    if (argc < 2) return kMisused;
    const std::wstring what = argv[0];
    if (what != L"send" && what != L"listen") return kMisused;
    if (what == L"send" && argc != 2) return kMisused;
    // The names' namespace follows the system class the start-up determines.
    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    if (what == L"listen") return listen(argc - 1, argv + 1);
    if (DWORD rc = notEvent(argv[1])) return reportFailure(std::wstring(L"notification not sent: ") + argv[1], rc);
    return 0;
}

}  // namespace elkctl
