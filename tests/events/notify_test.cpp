// Named notification events in this process: sending, registering, the
// watcher's start and stop, and the limits of one wait; between processes
// with elkctl as the other side.
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "include/elkBase.h"
#include "support/library.h"
#include "support/process.h"

namespace {

// Counts the calls of one registration and signals each.
struct Recorder {
    std::atomic<int> calls{0};
    HANDLE called = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    ~Recorder() { CloseHandle(called); }
};

void WINAPI record(DWORD_PTR argument) {
    auto* recorder = reinterpret_cast<Recorder*>(argument);
    ++recorder->calls;
    SetEvent(recorder->called);
}

// A name no other test (nor another run in parallel) uses.
std::wstring uniqueName(const wchar_t* what) {
    static std::atomic<int> serial{0};
    return L"elkNotifyTest-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial) + L"-" +
           what;
}

// A pulse reaches only a watcher that waits already, and a new registration
// joins the wait a moment later: pulse until `recorder` is called, 10 s at
// most. The number of pulses it took; 0 when none was delivered.
int pulseUntilCalled(const std::wstring& name, Recorder& recorder) {
    for (int pulses = 1; pulses <= 500; ++pulses) {
        if (notEvent(name.c_str()) != 0) return 0;
        if (WaitForSingleObject(recorder.called, 20) == WAIT_OBJECT_0) return pulses;
    }
    return 0;
}

class Notify : public elktest::LibraryTest {
protected:
    void SetUp() override { start(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES); }
    void TearDown() override {
        while (starts_ > 0) stopWatcher();
        LibraryTest::TearDown();
    }
    void startWatcher() {
        ASSERT_EQ(0u, notInit());
        ++starts_;
    }
    DWORD stopWatcher() {
        --starts_;
        return notFree();
    }
    static size_t prefixLength() { return basIsOS(0x002 | 0x004 | 0x080 | 0x100) ? 7 : 0; }

private:
    int starts_ = 0;
};

TEST_F(Notify, PulseCallsTheCallbackWithItsArgumentUntilUnregistered) {
    startWatcher();
    const std::wstring name = uniqueName(L"pulse");
    Recorder recorder;
    HANDLE registration = notAddEvent(name.c_str(), record, reinterpret_cast<DWORD_PTR>(&recorder));
    ASSERT_NE(nullptr, registration);
    EXPECT_GT(pulseUntilCalled(name, recorder), 0);
    EXPECT_GT(pulseUntilCalled(name, recorder), 0);

    EXPECT_EQ(0u, notRemEvent(registration));
    // The event is gone with its last handle: nobody registered the name now.
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), notEvent(name.c_str()));
    EXPECT_EQ(static_cast<DWORD>(ELK_E_GENERAL), notRemEvent(registration));
}

TEST_F(Notify, NamesThatCannotBeUsed) {
    const std::wstring tooLong(260 - prefixLength(), L'n');
    struct Case {
        int row;
        const wchar_t* name;
        DWORD status;
    } const cases[] = {
        {1, nullptr, ERROR_INVALID_PARAMETER},
        {2, tooLong.c_str(), ERROR_FILENAME_EXCED_RANGE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(c.status, notEvent(c.name));
        SetLastError(0xdeadbeef);
        EXPECT_EQ(nullptr, notAddEvent(c.name, record, 0));
        EXPECT_EQ(c.status, GetLastError());
    }
    // Nobody registered it: the open's code.
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), notEvent(uniqueName(L"nobody").c_str()));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, notAddEvent(uniqueName(L"nocallback").c_str(), nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    // The longest name that fits, prefix included.
    std::wstring longest = uniqueName(L"longest");
    longest.append(259 - prefixLength() - longest.size(), L'n');
    HANDLE registration = notAddEvent(longest.c_str(), record, 0);
    EXPECT_NE(nullptr, registration);
    EXPECT_EQ(0u, notRemEvent(registration));
}

TEST_F(Notify, TwoRegistrationsOfOneNameCallOnlyTheNewer) {
    startWatcher();
    const std::wstring name = uniqueName(L"twice");
    Recorder older, newer;
    HANDLE first = notAddEvent(name.c_str(), record, reinterpret_cast<DWORD_PTR>(&older));
    HANDLE second = notAddEvent(name.c_str(), record, reinterpret_cast<DWORD_PTR>(&newer));
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_GT(pulseUntilCalled(name, newer), 0);
    EXPECT_EQ(0, older.calls.load());

    // With the newer one gone the older one answers.
    EXPECT_EQ(0u, notRemEvent(second));
    EXPECT_GT(pulseUntilCalled(name, older), 0);
    EXPECT_EQ(0u, notRemEvent(first));
}

// A callback that unregisters itself and registers a successor, as the
// watcher allows: the successor answers the next pulses.
struct Relay {
    std::wstring name;
    HANDLE self = nullptr;
    HANDLE successor = nullptr;
    DWORD removed = 0xFFFFFFFF;
    Recorder next;
};

void WINAPI relay(DWORD_PTR argument) {
    auto* r = reinterpret_cast<Relay*>(argument);
    if (r->successor) return;
    r->removed = notRemEvent(r->self);
    r->successor = notAddEvent(r->name.c_str(), record, reinterpret_cast<DWORD_PTR>(&r->next));
    SetEvent(r->next.called);
}

TEST_F(Notify, ACallbackMayUnregisterItselfAndRegisterAnother) {
    startWatcher();
    Relay r;
    r.name = uniqueName(L"relay");
    r.self = notAddEvent(r.name.c_str(), relay, reinterpret_cast<DWORD_PTR>(&r));
    ASSERT_NE(nullptr, r.self);
    ASSERT_GT(pulseUntilCalled(r.name, r.next), 0);
    EXPECT_EQ(0u, r.removed);
    ASSERT_NE(nullptr, r.successor);
    EXPECT_EQ(0, r.next.calls.load());
    EXPECT_GT(pulseUntilCalled(r.name, r.next), 0);
    EXPECT_EQ(0u, notRemEvent(r.successor));
}

TEST_F(Notify, HandlesThatAreNotOursAreComparedNeverRead) {
    // A page that faults on any access: reading the "record" would crash.
    void* noAccess = VirtualAlloc(nullptr, 4096, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    ASSERT_NE(nullptr, noAccess);
    HANDLE registration = notAddEvent(uniqueName(L"ours").c_str(), record, 0);
    ASSERT_NE(nullptr, registration);
    for (HANDLE stranger : {static_cast<HANDLE>(noAccess), static_cast<HANDLE>(nullptr), INVALID_HANDLE_VALUE})
        EXPECT_EQ(static_cast<DWORD>(ELK_E_GENERAL), notRemEvent(stranger));
    EXPECT_EQ(0u, notRemEvent(registration));
    VirtualFree(noAccess, 0, MEM_RELEASE);
}

TEST_F(Notify, NestedStartsShareOneWatcherThatTheOutermostStopEnds) {
    const std::wstring name = uniqueName(L"nested");
    Recorder recorder;
    startWatcher();
    startWatcher();
    HANDLE registration = notAddEvent(name.c_str(), record, reinterpret_cast<DWORD_PTR>(&recorder));
    ASSERT_NE(nullptr, registration);
    EXPECT_EQ(0u, stopWatcher());
    EXPECT_GT(pulseUntilCalled(name, recorder), 0);
    EXPECT_EQ(0u, notRemEvent(registration));

    // Registered without a watcher: nothing is called until one starts.
    EXPECT_EQ(0u, stopWatcher());
    registration = notAddEvent(name.c_str(), record, reinterpret_cast<DWORD_PTR>(&recorder));
    ASSERT_NE(nullptr, registration);
    int before = recorder.calls.load();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(0u, notEvent(name.c_str()));
    Sleep(100);
    EXPECT_EQ(before, recorder.calls.load());
    EXPECT_EQ(0u, notRemEvent(registration));

    // An unmatched stop changes nothing.
    EXPECT_EQ(0u, notFree());
}

TEST_F(Notify, AWatcherStartedAgainRunsUntilTheNextCompleteStop) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        startWatcher();
        const std::wstring name = uniqueName(L"again");
        Recorder recorder;
        ASSERT_NE(nullptr, notAddEvent(name.c_str(), record, reinterpret_cast<DWORD_PTR>(&recorder)));
        // Several deliveries: the watcher lives on after its first wake.
        for (int i = 0; i < 3; ++i) EXPECT_GT(pulseUntilCalled(name, recorder), 0);
        EXPECT_EQ(0u, stopWatcher());
    }
}

TEST_F(Notify, TheLastStopRemovesWhatIsStillRegistered) {
    startWatcher();
    const std::wstring name = uniqueName(L"left");
    HANDLE first = notAddEvent(name.c_str(), record, 0);
    HANDLE second = notAddEvent(uniqueName(L"left2").c_str(), record, 0);
    ASSERT_NE(nullptr, first);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(0u, stopWatcher());
    EXPECT_EQ(static_cast<DWORD>(ELK_E_GENERAL), notRemEvent(first));
    EXPECT_EQ(static_cast<DWORD>(ELK_E_GENERAL), notRemEvent(second));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), notEvent(name.c_str()));
}

TEST_F(Notify, SixtyThreeEventsFillOneWaitAndTheNextIsRefused) {
    startWatcher();
    std::vector<std::wstring> names;
    std::vector<HANDLE> registrations;
    Recorder oldest;
    for (int i = 0; i < 63; ++i) {
        names.push_back(uniqueName(L"full"));
        HANDLE h = notAddEvent(names.back().c_str(), record, i == 0 ? reinterpret_cast<DWORD_PTR>(&oldest) : 0);
        ASSERT_NE(nullptr, h) << i;
        registrations.push_back(h);
    }
    SetLastError(0xdeadbeef);
    const std::wstring refused = uniqueName(L"refused");
    EXPECT_EQ(nullptr, notAddEvent(refused.c_str(), record, 0));
    EXPECT_EQ(static_cast<DWORD>(ELK_E_NOTIFY_FULL), GetLastError());
    // The refused name left no event behind.
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), notEvent(refused.c_str()));
    // The last place of the wait is watched.
    EXPECT_GT(pulseUntilCalled(names.front(), oldest), 0);

    wchar_t text[256] = {};
    basGetErrorStringEx(ELK_E_NOTIFY_FULL, text, ARRAYSIZE(text), 0, 0);
    EXPECT_NE(nullptr, wcsstr(text, L"notification")) << text;

    EXPECT_EQ(0u, notRemEvent(registrations.back()));
    registrations.pop_back();
    HANDLE again = notAddEvent(refused.c_str(), record, 0);
    EXPECT_NE(nullptr, again);
    registrations.push_back(again);
    for (HANDLE h : registrations) EXPECT_EQ(0u, notRemEvent(h));
}

// elkctl listening in another process, for the length of a test.
class Listener {
public:
    explicit Listener(const std::wstring& arguments)
        : thread_([this, arguments] {
              outcome_ = elktest::runElkctl(L"notify listen " + arguments);
              ended_ = true;
          }) {}
    ~Listener() {
        if (thread_.joinable()) thread_.join();
    }
    bool ended() const { return ended_.load(); }
    // Waits for the end; what elkctl wrote and returned.
    const elktest::ProcessOutcome& outcome() {
        if (thread_.joinable()) thread_.join();
        return outcome_;
    }

private:
    elktest::ProcessOutcome outcome_;
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

// Pulses `name` until the listener has ended and `recorder` (when given) was
// called, 20 s at most.
void pulseUntilHeard(const std::wstring& name, Listener& listener, Recorder* recorder) {
    for (int i = 0; i < 1000 && !(listener.ended() && (!recorder || recorder->calls.load() > 0)); ++i) {
        notEvent(name.c_str());
        Sleep(20);
    }
}

TEST_F(Notify, OnePulseReachesTheCallbacksOfTwoProcesses) {
    startWatcher();
    const std::wstring name = uniqueName(L"two");
    const std::wstring other = uniqueName(L"other");
    Recorder recorder;
    HANDLE registration = notAddEvent(name.c_str(), record, reinterpret_cast<DWORD_PTR>(&recorder));
    ASSERT_NE(nullptr, registration);
    Listener listener(other + L" " + name + L" --count 2");
    pulseUntilHeard(name, listener, &recorder);
    const elktest::ProcessOutcome& outcome = listener.outcome();
    EXPECT_EQ(0u, outcome.exitCode) << outcome.err;
    EXPECT_GT(recorder.calls.load(), 0);
    // Two lines, each a time stamp and the name of the event that was pulsed.
    const std::string expected = " " + std::string(name.begin(), name.end()) + "\n";
    size_t first = outcome.out.find(expected);
    ASSERT_NE(std::string::npos, first) << outcome.out;
    EXPECT_NE(std::string::npos, outcome.out.find(expected, first + 1)) << outcome.out;
    EXPECT_EQ(std::string::npos, outcome.out.find(std::string(other.begin(), other.end()))) << outcome.out;
    EXPECT_EQ('Z', outcome.out[first - 1]) << outcome.out;
    EXPECT_EQ(0u, notRemEvent(registration));
}

TEST_F(Notify, ElkctlSendsToThisProcessAndFailsForANameNobodyRegistered) {
    startWatcher();
    const std::wstring name = uniqueName(L"sent");
    Recorder recorder;
    HANDLE registration = notAddEvent(name.c_str(), record, reinterpret_cast<DWORD_PTR>(&recorder));
    ASSERT_NE(nullptr, registration);
    for (int i = 0; i < 20 && recorder.calls.load() == 0; ++i) {
        elktest::ProcessOutcome sent = elktest::runElkctl(L"notify send " + name);
        ASSERT_EQ(0u, sent.exitCode) << sent.err;
        WaitForSingleObject(recorder.called, 500);
    }
    EXPECT_GT(recorder.calls.load(), 0);
    EXPECT_EQ(0u, notRemEvent(registration));

    elktest::ProcessOutcome unsent = elktest::runElkctl(L"notify send " + name);
    EXPECT_EQ(1u, unsent.exitCode);
    EXPECT_NE(std::string::npos, unsent.err.find("notification not sent")) << unsent.err;
}

TEST_F(Notify, ElkctlListenMisuse) {
    for (const wchar_t* arguments : {L"notify listen", L"notify listen A --count", L"notify listen A --count 0",
                                     L"notify send", L"notify send A B", L"notify pulse A"}) {
        SCOPED_TRACE(arguments);
        EXPECT_EQ(2u, elktest::runElkctl(arguments).exitCode);
    }
}

}  // namespace
