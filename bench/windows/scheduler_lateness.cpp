// Lateness of the scheduler's due events: one periodic event of one second
// for a minute. Each run is due at the whole second after the previous run's
// second (the scheduler counts in whole seconds); its lateness is the time of
// the callback past that moment. Beside it, in the same minute, the floor: a
// plain thread that waits for each next whole second itself. Prints the
// median and the worst against the goal (never more than one second late).
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "include/elkBase.h"

namespace {

constexpr int kRuns = 60;

int64_t nowMs() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10000 - 11644473600000ull);
}

struct Series {
    std::vector<int64_t> calls;  // ms since 1970
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

DWORD WINAPI ran(DWORD_PTR context) {
    auto& s = *reinterpret_cast<Series*>(context);
    if (s.calls.size() < kRuns + 1) s.calls.push_back(nowMs());
    if (s.calls.size() == kRuns + 1) SetEvent(s.done);
    return 0;
}

DWORD WINAPI plain(void* context) {
    auto& s = *static_cast<Series*>(context);
    s.calls.push_back(nowMs());
    while (s.calls.size() < kRuns + 1) {
        int64_t due = (s.calls.back() / 1000 + 1) * 1000;
        int64_t left = due - nowMs();
        if (left > 0) Sleep(static_cast<DWORD>(left));
        s.calls.push_back(nowMs());
    }
    SetEvent(s.done);
    return 0;
}

struct Lateness {
    double median = 0, worst = 0;
};

Lateness lateness(const Series& s) {
    std::vector<double> late;
    for (size_t i = 1; i < s.calls.size(); ++i)
        late.push_back(static_cast<double>(s.calls[i] - (s.calls[i - 1] / 1000 + 1) * 1000));
    std::sort(late.begin(), late.end());
    return {late[late.size() / 2], late.back()};
}

}  // namespace

int wmain() {
    if (basInitLibraryExt(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES) != 0) std::fprintf(stderr, "library started without its installation\n");
    Series scheduled, floor;
    if (basInitScheduler() != 0) return 1;
    if (!basAddSchedulerEvent(L"bench", reinterpret_cast<DWORD_PTR>(&scheduled), 1, ran, 0, 0, FALSE)) return 1;
    HANDLE thread = CreateThread(nullptr, 0, plain, &floor, 0, nullptr);
    if (!thread) return 1;
    HANDLE both[] = {scheduled.done, floor.done};
    WaitForMultipleObjects(2, both, TRUE, (kRuns + 30) * 1000);
    DWORD stopped = basFreeScheduler();
    WaitForSingleObject(thread, INFINITE);
    if (scheduled.calls.size() != kRuns + 1 || floor.calls.size() != kRuns + 1 || stopped != 0) {
        std::fprintf(stderr, "runs: %zu scheduled, %zu plain; stop: %lu\n", scheduled.calls.size(),
                     floor.calls.size(), stopped);
        return 1;
    }
    Lateness s = lateness(scheduled), p = lateness(floor);
    std::printf("lateness of %d one-second events    scheduler      plain thread   ratio\n", kRuns);
    std::printf("  median                          %8.0f ms    %8.0f ms   %6.1f\n", s.median, p.median,
                p.median > 0 ? s.median / p.median : 0.0);
    std::printf("  worst                           %8.0f ms    %8.0f ms   %6.1f  (goal at most 1000 ms: %s)\n",
                s.worst, p.worst, p.worst > 0 ? s.worst / p.worst : 0.0, s.worst <= 1000 ? "met" : "missed");
    basFreeLibraryExt(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    return 0;
}
