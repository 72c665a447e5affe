// elkctl schedule: one periodic event of the library's scheduler, printing
// the time (UTC) of each run until N runs or Ctrl+C.
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

namespace {

struct Runs {
    DWORD wanted = 3;  // 0: until Ctrl+C
    DWORD done = 0;
    HANDLE finished = nullptr;
};

Runs* g_runs = nullptr;

// Runs on the scheduler thread, one at a time.
DWORD WINAPI ran(DWORD_PTR context) {
    auto& runs = *reinterpret_cast<Runs*>(context);
    SYSTEMTIME now;
    GetSystemTime(&now);
    wchar_t line[48];
    _snwprintf(line, ARRAYSIZE(line), L"%04u-%02u-%02uT%02u:%02u:%02uZ run %lu\n", now.wYear, now.wMonth, now.wDay,
               now.wHour, now.wMinute, now.wSecond, static_cast<unsigned long>(runs.done + 1));
    line[ARRAYSIZE(line) - 1] = L'\0';
    print(line);
    if (++runs.done == runs.wanted) SetEvent(runs.finished);
    return 0;
}

BOOL WINAPI interrupted(DWORD) {
    if (g_runs) SetEvent(g_runs->finished);
    return TRUE;
}

}  // namespace

int schedule(int argc, wchar_t** argv) {
    std::optional<DWORD> every, spread = 0;
    Runs runs;
    for (int i = 0; i < argc; ++i) {
        const std::wstring option = argv[i];
        if (i + 1 >= argc) return kMisused;
        std::optional<DWORD> value = parseNumber<DWORD>(argv[++i]);
        if (!value) return misused(L"not a number: " + std::wstring(argv[i]));
        if (option == L"--every") every = value;
        else if (option == L"--spread") spread = value;
        else if (option == L"--count") runs.wanted = *value;
        else return kMisused;
    }
    if (!every || *every == 0) return kMisused;
    Started library(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    runs.finished = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!runs.finished) return reportFailure(L"no event to wait on", GetLastError());
    g_runs = &runs;
    SetConsoleCtrlHandler(interrupted, TRUE);
    int result = 0;
    if (DWORD rc = basInitScheduler()) {
        result = reportFailure(L"scheduler not started", rc);
    } else {
        HANDLE event = basAddSchedulerEvent(L"elkctl", reinterpret_cast<DWORD_PTR>(&runs), *every, ran, 0, *spread, FALSE);
        if (!event) result = reportFailure(L"event not scheduled", GetLastError());
        else WaitForSingleObject(runs.finished, INFINITE);
        // The last stop frees the event as well.
        if (DWORD rc = basFreeScheduler(); rc != 0 && result == 0) result = reportFailure(L"scheduler not stopped", rc);
    }
    SetConsoleCtrlHandler(interrupted, FALSE);
    g_runs = nullptr;
    CloseHandle(runs.finished);
    return result;
}

}  // namespace elkctl
