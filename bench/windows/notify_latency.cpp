// Pulse-to-callback latency of the notification events between two
// processes: this program pulses, a copy of itself started as the listener
// takes the time in its callback. Both read the one system-wide performance
// counter, so the difference is the latency itself. Prints the median and
// the 99th percentile over 1,000 pulses against the goal (1 ms, 5 ms).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "include/elkBase.h"

namespace {

constexpr int kPulses = 1000;

// What the listener shares with the sender: the counter at its last callback
// and the number of callbacks so far.
struct Shared {
    volatile LONGLONG calledAt;
    volatile LONG calls;
};

Shared* g_shared = nullptr;
HANDLE g_ack = nullptr;

void WINAPI called(DWORD_PTR) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    g_shared->calledAt = now.QuadPart;
    InterlockedIncrement(&g_shared->calls);
    SetEvent(g_ack);
}

std::wstring objectName(const std::wstring& base, const wchar_t* what) { return base + L"-" + what; }

Shared* mapShared(const std::wstring& base, bool create) {
    std::wstring name = objectName(base, L"map");
    HANDLE map = create ? CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(Shared), name.c_str())
                        : OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, name.c_str());
    if (!map) return nullptr;
    return static_cast<Shared*>(MapViewOfFile(map, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)));
}

int listen(const std::wstring& base) {
    g_shared = mapShared(base, false);
    g_ack = OpenEventW(EVENT_MODIFY_STATE, FALSE, objectName(base, L"ack").c_str());
    HANDLE quit = OpenEventW(SYNCHRONIZE, FALSE, objectName(base, L"quit").c_str());
    HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, objectName(base, L"ready").c_str());
    if (!g_shared || !g_ack || !quit || !ready) return 1;
    if (notInit() != 0) return 1;
    if (!notAddEvent(objectName(base, L"pulse").c_str(), called, 0)) return 1;
    SetEvent(ready);
    WaitForSingleObject(quit, INFINITE);
    return notFree() == 0 ? 0 : 1;
}

double percentile(const std::vector<double>& sorted, double p) {
    size_t index = static_cast<size_t>(p * (sorted.size() - 1) + 0.5);
    return sorted[std::min(index, sorted.size() - 1)];
}

int send(const wchar_t* self) {
    const std::wstring base = L"elkBenchNotify-" + std::to_wstring(GetCurrentProcessId());
    g_shared = mapShared(base, true);
    HANDLE ack = CreateEventW(nullptr, FALSE, FALSE, objectName(base, L"ack").c_str());
    HANDLE quit = CreateEventW(nullptr, TRUE, FALSE, objectName(base, L"quit").c_str());
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, objectName(base, L"ready").c_str());
    if (!g_shared || !ack || !quit || !ready) return 1;

    std::wstring command = L"\"" + std::wstring(self) + L"\" listen " + base;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION child = {};
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &child)) {
        std::fprintf(stderr, "listener not started: %lu\n", GetLastError());
        return 1;
    }
    HANDLE started[] = {ready, child.hProcess};
    if (WaitForMultipleObjects(2, started, FALSE, 30000) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "listener not ready\n");
        return 1;
    }

    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    const std::wstring pulse = objectName(base, L"pulse");
    std::vector<double> latencies;
    int missed = 0;
    while (static_cast<int>(latencies.size()) < kPulses) {
        // The listener's watcher needs a moment after each callback to wait
        // again; a pulse that finds it busy is lost, by design.
        Sleep(1);
        LARGE_INTEGER sent;
        QueryPerformanceCounter(&sent);
        if (DWORD rc = notEvent(pulse.c_str())) {
            std::fprintf(stderr, "notEvent: %lu\n", rc);
            return 1;
        }
        if (WaitForSingleObject(ack, 200) != WAIT_OBJECT_0) {
            ++missed;
            continue;
        }
        latencies.push_back(1000.0 * static_cast<double>(g_shared->calledAt - sent.QuadPart) /
                            static_cast<double>(frequency.QuadPart));
    }
    SetEvent(quit);
    WaitForSingleObject(child.hProcess, 30000);

    std::sort(latencies.begin(), latencies.end());
    double median = percentile(latencies, 0.5), p99 = percentile(latencies, 0.99);
    std::printf("notification pulse to callback in another process, %d pulses (%d missed and sent again)\n",
                kPulses, missed);
    std::printf("  median           %8.3f ms  (goal below 1 ms: %s)\n", median, median < 1.0 ? "met" : "missed");
    std::printf("  99th percentile  %8.3f ms  (goal below 5 ms: %s)\n", p99, p99 < 5.0 ? "met" : "missed");
    std::printf("  fastest          %8.3f ms, slowest %8.3f ms\n", latencies.front(), latencies.back());
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 3 && std::wstring(argv[1]) == L"listen") return listen(argv[2]);
    wchar_t self[MAX_PATH];
    if (!GetModuleFileNameW(nullptr, self, ARRAYSIZE(self))) return 1;
    return send(self);
}
