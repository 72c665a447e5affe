// The timer scheduler: the three modes, the spread, events added while no
// scheduler runs, nested starts, wake timers, callbacks that add and remove
// events, foreign handles and the bounded stop of a hung callback. The
// scheduler's clock is seen through the times its callbacks record.
#include <windows.h>

#include <gtest/gtest.h>

#include <ctime>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "include/elkBase.h"
#include "support/library.h"
#include "support/process.h"

namespace {

int64_t now() { return static_cast<int64_t>(_time64(nullptr)); }

// Records the time of each call; the result is given by `next` (mode 1 and
// self-timed), which sees the number of the call (1 first).
struct Recorder {
    std::mutex mutex;
    std::vector<int64_t> times;
    DWORD (*next)(Recorder&, size_t call) = nullptr;
    HANDLE called = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE self = nullptr;     // the recorder's own event
    HANDLE victim = nullptr;   // an event the callback removes
    ~Recorder() { CloseHandle(called); }

    size_t count() {
        std::lock_guard<std::mutex> lock(mutex);
        return times.size();
    }
    std::vector<int64_t> snapshot() {
        std::lock_guard<std::mutex> lock(mutex);
        return times;
    }
    // Waits until the callback has run `calls` times; false after `seconds`.
    bool waitFor(size_t calls, DWORD seconds) {
        DWORD until = GetTickCount() + seconds * 1000;
        while (count() < calls) {
            LONG left = static_cast<LONG>(until - GetTickCount());
            if (left <= 0) return false;
            WaitForSingleObject(called, static_cast<DWORD>(left));
        }
        return true;
    }
};

DWORD WINAPI record(DWORD_PTR argument) {
    auto* r = reinterpret_cast<Recorder*>(argument);
    size_t call;
    {
        std::lock_guard<std::mutex> lock(r->mutex);
        r->times.push_back(now());
        call = r->times.size();
    }
    DWORD result = r->next ? r->next(*r, call) : 0;
    SetEvent(r->called);
    return result;
}

DWORD_PTR arg(Recorder& r) { return reinterpret_cast<DWORD_PTR>(&r); }

class Scheduler : public elktest::LibraryTest {
protected:
    void SetUp() override { start(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES); }
    void TearDown() override {
        while (starts_ > 0) stopScheduler();
        LibraryTest::TearDown();
    }
    void startScheduler() {
        ASSERT_EQ(0u, basInitScheduler());
        ++starts_;
    }
    DWORD stopScheduler() {
        --starts_;
        return basFreeScheduler();
    }

private:
    int starts_ = 0;
};

TEST_F(Scheduler, PeriodicRunsAtOnceThenEveryInterval) {
    startScheduler();
    Recorder r;
    int64_t added = now();
    ASSERT_NE(nullptr, basAddSchedulerEvent(L"periodic", arg(r), 1, record, 0, 0, FALSE));
    ASSERT_TRUE(r.waitFor(3, 10));
    auto times = r.snapshot();
    EXPECT_LE(times[0] - added, 1);
    for (size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 1) << i;
        EXPECT_LE(times[i] - times[i - 1], 3) << i;
    }
}

// Self-timed and at-time events: the callback's result is the next run, and
// 0 ends the event, which basRemSchedulerEvent then only frees.
TEST_F(Scheduler, CallbackResultSchedulesAndZeroEnds) {
    startScheduler();
    struct Row {
        DWORD mode;
        DWORD time;  // mode 1: an absolute time
    };
    Recorder selfTimed, atTime;
    // Once a second later, then the end.
    auto onceMore = [](Recorder& r, size_t call) -> DWORD { return call == 1 ? static_cast<DWORD>(r.times[0] + 1) : 0; };
    selfTimed.next = onceMore;
    atTime.next = onceMore;
    HANDLE a = basAddSchedulerEvent(L"self", arg(selfTimed), 0, record, 2, 0, FALSE);
    HANDLE b = basAddSchedulerEvent(L"at", arg(atTime), static_cast<DWORD>(now() - 5), record, 1, 0, FALSE);
    ASSERT_NE(nullptr, a);
    ASSERT_NE(nullptr, b);
    for (Recorder* r : {&selfTimed, &atTime}) {
        ASSERT_TRUE(r->waitFor(2, 6));
        auto times = r->snapshot();
        EXPECT_GE(times[1] - times[0], 1);
        EXPECT_LE(times[1] - times[0], 3);
    }
    Sleep(1500);
    EXPECT_EQ(2u, selfTimed.count());
    EXPECT_EQ(2u, atTime.count());
    EXPECT_EQ(0, static_cast<ELK_SCHEDULER_EVENT*>(a)->nextRun);
    EXPECT_EQ(0u, basRemSchedulerEvent(a));
    EXPECT_EQ(0u, basRemSchedulerEvent(b));
    // Freed: no longer ours.
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), basRemSchedulerEvent(a));
}

// 40 events of interval 3 and spread 2 run together at once; each one's
// second run comes 1 to 5 seconds later (a second more either side for the
// clock's ticks), and the random offsets do not all agree.
TEST_F(Scheduler, SpreadKeepsEachNextRunWithinItsBounds) {
    startScheduler();
    constexpr int kEvents = 40;
    std::vector<Recorder> recorders(kEvents);
    for (auto& r : recorders) ASSERT_NE(nullptr, basAddSchedulerEvent(L"spread", arg(r), 3, record, 0, 2, FALSE));
    std::set<int64_t> gaps;
    for (auto& r : recorders) {
        ASSERT_TRUE(r.waitFor(2, 15));
        auto times = r.snapshot();
        int64_t gap = times[1] - times[0];
        EXPECT_GE(gap, 0);
        EXPECT_LE(gap, 6);
        gaps.insert(gap);
    }
    EXPECT_GE(gaps.size(), 2u);
}

TEST_F(Scheduler, NameIsCutTo127Characters) {
    const std::wstring longName(200, L'n');
    const struct {
        const wchar_t* name;
        std::wstring stored;
    } rows[] = {
        {nullptr, L""},
        {L"update check", L"update check"},
        {longName.c_str(), longName.substr(0, 127)},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        HANDLE e = basAddSchedulerEvent(rows[i].name, 0, 60, record, 0, 0, FALSE);
        ASSERT_NE(nullptr, e) << i;
        EXPECT_EQ(rows[i].stored, static_cast<ELK_SCHEDULER_EVENT*>(e)->name) << i;
        EXPECT_EQ(0u, basRemSchedulerEvent(e)) << i;
    }
}

// Events added before the first start and after the last stop wait for the
// next start; only the outermost start and stop matter.
TEST_F(Scheduler, EventsWaitForTheStartAndNestedStartsCount) {
    Recorder before;
    ASSERT_NE(nullptr, basAddSchedulerEvent(L"before", arg(before), 1, record, 0, 0, FALSE));
    Sleep(1200);
    EXPECT_EQ(0u, before.count());
    startScheduler();
    startScheduler();
    ASSERT_TRUE(before.waitFor(1, 5));
    EXPECT_EQ(0u, stopScheduler());
    size_t seen = before.count();
    ASSERT_TRUE(before.waitFor(seen + 1, 5)) << "the inner stop stopped the scheduler";
    EXPECT_EQ(0u, stopScheduler());
    EXPECT_EQ(0u, basFreeScheduler()) << "an unmatched stop";

    Recorder after;
    ASSERT_NE(nullptr, basAddSchedulerEvent(L"after", arg(after), 1, record, 0, 0, FALSE));
    Sleep(1200);
    EXPECT_EQ(0u, after.count());
    startScheduler();
    EXPECT_TRUE(after.waitFor(1, 5));
}

DWORD addsAnother(Recorder& r, size_t call) {
    if (call == 1) basAddSchedulerEvent(L"added", reinterpret_cast<DWORD_PTR>(r.victim), 0, record, 2, 0, FALSE);
    return 0;
}

DWORD removesItself(Recorder& r, size_t) {
    basRemSchedulerEvent(r.self);
    return 0;
}

DWORD removesVictim(Recorder& r, size_t) {
    if (r.victim) basRemSchedulerEvent(r.victim);
    r.victim = nullptr;
    return 0;
}

TEST_F(Scheduler, CallbackMayAddAnEvent) {
    Recorder adder, added;
    adder.next = addsAnother;
    adder.victim = reinterpret_cast<HANDLE>(&added);  // the argument of the added event
    ASSERT_NE(nullptr, basAddSchedulerEvent(L"adder", arg(adder), 0, record, 2, 0, FALSE));
    startScheduler();
    EXPECT_TRUE(added.waitFor(1, 5));
    EXPECT_EQ(1u, adder.count());
}

// A callback removes its own periodic event, or the event the walk visits
// next (the list is newest first): neither runs again, nothing freed is used.
TEST_F(Scheduler, CallbackMayRemoveItsOwnEventOrAnother) {
    Recorder self, victim, remover;
    self.next = removesItself;
    self.self = basAddSchedulerEvent(L"self", arg(self), 1, record, 0, 0, FALSE);
    HANDLE v = basAddSchedulerEvent(L"victim", arg(victim), 1, record, 0, 0, FALSE);
    remover.next = removesVictim;
    remover.victim = v;
    ASSERT_NE(nullptr, basAddSchedulerEvent(L"remover", arg(remover), 1, record, 0, 0, FALSE));
    ASSERT_NE(nullptr, self.self);
    startScheduler();
    ASSERT_TRUE(remover.waitFor(2, 6));
    EXPECT_EQ(1u, self.count());
    EXPECT_EQ(0u, victim.count());
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), basRemSchedulerEvent(self.self));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), basRemSchedulerEvent(v));
}

TEST_F(Scheduler, ForeignHandleIsNeverRead) {
    void* page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
    ASSERT_NE(nullptr, page);
    Recorder r;
    HANDLE mine = basAddSchedulerEvent(L"mine", arg(r), 60, record, 1, 0, FALSE);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), basRemSchedulerEvent(page));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), basRemSchedulerEvent(nullptr));
    EXPECT_EQ(0u, basRemSchedulerEvent(mine));
    VirtualFree(page, 0, MEM_RELEASE);
}

TEST_F(Scheduler, WakeTimerIsArmed) {
    Recorder r;
    // Due 90 s before the event: about 4 s from now.
    HANDLE future = basAddSchedulerEvent(L"future", arg(r), static_cast<DWORD>(now() + 94), record, 1, 0, TRUE);
    HANDLE periodic = basAddSchedulerEvent(L"periodic", arg(r), 600, record, 0, 0, TRUE);
    HANDLE plain = basAddSchedulerEvent(L"plain", arg(r), 600, record, 0, 0, FALSE);
    ASSERT_NE(nullptr, future);
    ASSERT_NE(nullptr, periodic);
    ASSERT_NE(nullptr, plain);
    HANDLE futureTimer = static_cast<ELK_SCHEDULER_EVENT*>(future)->wakeTimer;
    ASSERT_NE(nullptr, futureTimer);
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0),
              WaitForSingleObject(static_cast<ELK_SCHEDULER_EVENT*>(periodic)->wakeTimer, 2000));
    EXPECT_EQ(nullptr, static_cast<ELK_SCHEDULER_EVENT*>(plain)->wakeTimer);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(futureTimer, 0));
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(futureTimer, 12000));
    for (HANDLE e : {future, periodic, plain}) EXPECT_EQ(0u, basRemSchedulerEvent(e));
}

struct Gate {
    HANDLE entered = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, nullptr);
};

DWORD WINAPI hangs(DWORD_PTR argument) {
    auto* gate = reinterpret_cast<Gate*>(argument);
    SetEvent(gate->entered);
    WaitForSingleObject(gate->never, INFINITE);
    return 0;
}

class HungScheduler : public Scheduler {
protected:
    void SetUp() override {
        tree.setIni(L"Common", L"ThreadTerminationTimeout", L"500");
        Scheduler::SetUp();
    }
};

// The hung callback's thread is ended with 1460; the lock it held is let go,
// so the shut-down completes and a new scheduler runs events again.
TEST_F(HungScheduler, StopEndsAHungCallbackWith1460) {
    static Gate gate;  // outlives the ended thread
    ASSERT_NE(nullptr, basAddSchedulerEvent(L"hung", reinterpret_cast<DWORD_PTR>(&gate), 60, hangs, 0, 0, FALSE));
    startScheduler();
    ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(gate.entered, 5000));
    EXPECT_EQ(static_cast<DWORD>(ERROR_TIMEOUT), stopScheduler());

    Recorder r;
    ASSERT_NE(nullptr, basAddSchedulerEvent(L"again", arg(r), 1, record, 0, 0, FALSE));
    startScheduler();
    EXPECT_TRUE(r.waitFor(1, 5));
}

// elkctl schedule in another process: the runs a second apart, then the end.
TEST_F(Scheduler, ElkctlPrintsEachRun) {
    elktest::ProcessOutcome outcome = elktest::runElkctl(L"schedule --every 1 --count 2");
    EXPECT_EQ(0u, outcome.exitCode) << outcome.err;
    EXPECT_NE(std::string::npos, outcome.out.find("Z run 1\n")) << outcome.out;
    EXPECT_NE(std::string::npos, outcome.out.find("Z run 2\n")) << outcome.out;
    EXPECT_EQ(2u, elktest::runElkctl(L"schedule --every 0").exitCode);
    EXPECT_EQ(2u, elktest::runElkctl(L"schedule --every 1x").exitCode);
}

}  // namespace
