// The process's timer scheduler: one thread that calls each scheduled event's
// callback when it is due and works out its next run.
//
// The event list is guarded by a kernel mutex rather than a critical section:
// callbacks run while it is held, and when a hung callback's thread is ended
// by the bounded stop, the mutex is released as abandoned instead of being
// kept for ever by a thread that no longer exists. The critical section of the
// library state guards only the start count, so a stop never waits for a
// callback before it has given the thread its bounded time.
#include <windows.h>
#include <process.h>

#include <cstdint>
#include <cstdlib>
#include <ctime>

#include "base/core/status.h"
#include "base/handles.h"
#include "base/state.h"
#include "include/elkBase.h"

namespace elk {
namespace {

using Event = ELK_SCHEDULER_EVENT;
constexpr uint32_t kNothingPending = 0xFFFFFFFFu;
constexpr size_t kNameLength = sizeof(Event{}.name) / sizeof(wchar_t) - 1;

// Guarded by g_state.schedulerLock.
DWORD g_starts = 0;
bool g_stopping = false;
HANDLE g_quit = nullptr;   // manual reset, signalled from the stop on
HANDLE g_wake = nullptr;   // auto reset: "recompute the wait"
HANDLE g_thread = nullptr;

// Created once, on first use, under g_state.schedulerLock; never closed, as
// the process may still hold events when the library is let go.
HANDLE g_listMutex = nullptr;

// Guarded by the list mutex. Ended events (next run 0) stay on a list of
// their own so that basRemSchedulerEvent recognises them by address.
Event* g_head = nullptr;
Event* g_ended = nullptr;
// The walk of the scheduler thread: the record whose callback runs, whether
// that callback removed it, and the record the walk visits next.
Event* g_running = nullptr;
bool g_runningRemoved = false;
Event* g_cursor = nullptr;

HANDLE listMutex() {
    Lock lock(g_state.schedulerLock);
    if (!g_listMutex) g_listMutex = CreateMutexW(nullptr, FALSE, nullptr);
    return g_listMutex;
}

class ListLock {
public:
    ListLock() : mutex_(listMutex()) {
        // WAIT_ABANDONED: the previous owner was a terminated scheduler thread;
        // the list itself is consistent between two statements of a walk.
        if (mutex_) WaitForSingleObject(mutex_, INFINITE);
    }
    ~ListLock() {
        if (mutex_) ReleaseMutex(mutex_);
    }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

private:
    HANDLE mutex_;
};

uint64_t nowMilliseconds() {
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    uint64_t ticks = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return ticks / 10000 - 11644473600000ull;
}

int64_t nowSeconds() { return static_cast<int64_t>(nowMilliseconds() / 1000); }

void pushFront(Event*& head, Event* e) {
    e->previous = nullptr;
    e->next = head;
    if (head) head->previous = e;
    head = e;
}

void unlink(Event*& head, Event* e) {
    if (g_cursor == e) g_cursor = e->next;
    if (e->previous) e->previous->next = e->next;
    else head = e->next;
    if (e->next) e->next->previous = e->previous;
    e->next = e->previous = nullptr;
}

bool contains(Event* head, const void* handle) {
    for (Event* e = head; e; e = e->next)
        if (e == handle) return true;
    return false;
}

void release(Event* e) {
    if (e->wakeTimer) CloseHandle(e->wakeTimer);
    HeapFree(GetProcessHeap(), 0, e);
}

uint32_t nextPeriodic(const Event& e, uint32_t now) {
    int64_t next = static_cast<int64_t>(now) + e.interval;
    if (e.spread) {
        // The product is formed in 64 bits: in 32 it wraps for spreads above
        // 131074 seconds and gives offsets outside the spread.
        int64_t scaled = static_cast<int64_t>(std::rand()) * e.spread / RAND_MAX;
        next += 2 * scaled - static_cast<int64_t>(e.spread);
    }
    if (next < now) next = now;
    return next > kNothingPending - 1 ? kNothingPending - 1 : static_cast<uint32_t>(next);
}

// One pass over the list: runs the due events; the earliest next run left.
uint32_t runDue(uint32_t now) {
    uint32_t earliest = kNothingPending;
    ListLock lock;
    for (Event* e = g_head; e; e = g_cursor) {
        g_cursor = e->next;
        if (static_cast<uint32_t>(e->nextRun) <= now) {
            g_running = e;
            g_runningRemoved = false;
            DWORD result = e->callback(e->argument);
            g_running = nullptr;
            if (g_runningRemoved) {  // removed by its own callback: unlinked already
                HeapFree(GetProcessHeap(), 0, e);
                continue;
            }
            if (e->mode == 0) {
                e->nextRun = nextPeriodic(*e, now);
            } else {
                e->nextRun = result;
                if (result == 0) {
                    unlink(g_head, e);
                    pushFront(g_ended, e);
                    continue;
                }
            }
        }
        if (static_cast<uint32_t>(e->nextRun) < earliest) earliest = static_cast<uint32_t>(e->nextRun);
    }
    g_cursor = nullptr;
    return earliest;
}

void dispatchMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

unsigned __stdcall schedule(void*) {
    // msvcrt's generator is per thread: seed this one.
    std::srand(static_cast<unsigned>(GetTickCount() ^ GetCurrentThreadId()));
    HANDLE quit = g_quit;
    HANDLE wake = g_wake;
    for (;;) {
        uint32_t now = static_cast<uint32_t>(nowSeconds());
        uint32_t earliest = runDue(now);
        // The deadline in milliseconds, so that a wait that ends a moment
        // early is followed by a short one instead of another whole second.
        const bool unlimited = earliest == kNothingPending;
        const uint64_t deadline = static_cast<uint64_t>(earliest) * 1000;
        for (;;) {
            DWORD wait = INFINITE;
            if (!unlimited) {
                uint64_t at = nowMilliseconds();
                uint64_t left = deadline > at ? deadline - at : 0;
                wait = left >= INFINITE ? INFINITE - 1 : static_cast<DWORD>(left);
            }
            dispatchMessages();
            DWORD woke = MsgWaitForMultipleObjects(1, &wake, FALSE, wait, QS_ALLINPUT);
            if (woke != WAIT_OBJECT_0 + 1) break;
        }
        if (WaitForSingleObject(quit, 0) == WAIT_OBJECT_0) return 0;
    }
}

void closeStartHandles() {
    if (g_wake) CloseHandle(g_wake);
    if (g_quit) CloseHandle(g_quit);
    g_wake = g_quit = g_thread = nullptr;
}

}  // namespace
}  // namespace elk

using namespace elk;

extern "C" DWORD WINAPI basInitScheduler(void) {
    Lock lock(g_state.schedulerLock);
    if (g_stopping) return kStatusSchedulerStopping;
    if (g_starts++ != 0) return 0;
    if (!listMutex()) {
        g_starts = 0;
        return GetLastError();
    }
    g_quit = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!g_quit) {
        DWORD error = GetLastError();
        g_starts = 0;
        return error;
    }
    g_wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    if (!g_wake) {
        closeStartHandles();
        g_starts = 0;
        return kStatusSchedulerEvent;
    }
    g_thread = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, schedule, nullptr, 0, nullptr));
    if (!g_thread) {
        closeStartHandles();
        g_starts = 0;
        return kStatusSchedulerThread;
    }
    return 0;
}

extern "C" DWORD WINAPI basFreeScheduler(void) {
    DWORD result = 0;
    HANDLE thread;
    {
        Lock lock(g_state.schedulerLock);
        // An unmatched stop is no stop: the count never wraps round.
        if (g_stopping || g_starts == 0 || --g_starts != 0) return 0;
        g_stopping = true;
        SetEvent(g_quit);
        if (!SetEvent(g_wake)) result = GetLastError();
        thread = g_thread;
    }
    if (DWORD code = basStopThread(thread)) result = code;
    {
        ListLock list;
        while (Event* e = g_head) {
            unlink(g_head, e);
            e->nextRun = 0;
            release(e);
        }
        g_running = nullptr;
        g_cursor = nullptr;
    }
    Lock lock(g_state.schedulerLock);
    closeStartHandles();
    g_stopping = false;
    return result;
}

extern "C" HANDLE WINAPI basAddSchedulerEvent(const wchar_t* name, DWORD_PTR argument, DWORD time,
                                              ELK_SCHEDULER_CALLBACK callback, DWORD mode, DWORD spread,
                                              BOOL wake) {
    {
        Lock lock(g_state.schedulerLock);
        if (g_stopping) {
            SetLastError(kStatusSchedulerStopping);
            return nullptr;
        }
    }
    auto* e = static_cast<Event*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Event)));
    if (!e) {
        SetLastError(kStatusNoMemory);
        return nullptr;
    }
    const int64_t now = nowSeconds();
    e->callback = callback;
    e->mode = mode;
    if (mode == 1) {
        e->nextRun = time;
    } else {
        e->nextRun = now;
        e->interval = time;
        e->spread = spread;
    }
    e->argument = argument;
    for (size_t i = 0; name && name[i] && i < kNameLength; ++i) e->name[i] = name[i];
    if (wake) {
        e->wakeTimer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
        if (e->wakeTimer) {
            // Negative (relative) for a future time: 90 s before it. For an
            // interval, a moment long past: the timer goes off at once.
            LARGE_INTEGER due;
            due.QuadPart = (now - static_cast<int64_t>(time) + 90) * 10000000;
            SetWaitableTimer(e->wakeTimer, &due, 0, nullptr, nullptr, TRUE);
        }
    }
    {
        ListLock lock;
        // An at-time event for time 0 never runs: it is held as ended.
        pushFront(e->nextRun ? g_head : g_ended, e);
    }
    {
        Lock lock(g_state.schedulerLock);
        if (g_wake) SetEvent(g_wake);
    }
    SetLastError(0);
    return e;
}

extern "C" DWORD WINAPI basRemSchedulerEvent(HANDLE event) {
    Event* e = nullptr;
    {
        ListLock lock;
        // Compared by address only: a handle that is not ours is never read.
        if (contains(g_head, event)) {
            e = static_cast<Event*>(event);
            unlink(g_head, e);
        } else if (contains(g_ended, event)) {
            e = static_cast<Event*>(event);
            unlink(g_ended, e);
        } else {
            return kStatusInvalidHandle;
        }
        e->nextRun = 0;
        if (e == g_running) {
            // Its own callback removes it: the walk frees it once the callback returns.
            if (e->wakeTimer) CloseHandle(e->wakeTimer);
            e->wakeTimer = nullptr;
            g_runningRemoved = true;
            return 0;
        }
    }
    release(e);
    return 0;
}
