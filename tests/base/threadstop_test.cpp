// Bounded thread stop, with the time-out from the INI file.
#include <gtest/gtest.h>

#include "include/elkBase.h"
#include "support/library.h"

namespace {

DWORD WINAPI endsWith7(void*) { return 7; }
struct Gate {
    HANDLE started = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ~Gate() {
        CloseHandle(started);
        CloseHandle(release);
    }
};

DWORD WINAPI waitsAtGate(void* gate) {
    SetEvent(static_cast<Gate*>(gate)->started);
    WaitForSingleObject(static_cast<Gate*>(gate)->release, INFINITE);
    return 3;
}

// Wine can hang terminating a thread that is still starting or already
// exiting, so the thread is stopped only once it waits at the gate.
HANDLE threadAtGate(Gate& gate) {
    HANDLE thread = CreateThread(nullptr, 0, waitsAtGate, &gate, 0, nullptr);
    WaitForSingleObject(gate.started, INFINITE);
    return thread;
}

class StopThread : public elktest::LibraryTest, public ::testing::WithParamInterface<const wchar_t*> {
protected:
    void SetUp() override {
        tree.setIni(L"Common", L"ThreadTerminationTimeout", GetParam());
        start();
    }
};

TEST_P(StopThread, ThreadThatEndsGivesItsExitCode) {
    HANDLE thread = CreateThread(nullptr, 0, endsWith7, nullptr, 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    EXPECT_EQ(basStopThread(thread), 7u);
    DWORD flags;
    EXPECT_FALSE(GetHandleInformation(thread, &flags)) << "the handle must be closed";
}

TEST_P(StopThread, SignalledThreadEndsInTime) {
    // With no time at all the stop would race the thread's own exit.
    if (GetParam()[0] == L'0') GTEST_SKIP();
    Gate gate;
    HANDLE thread = threadAtGate(gate);
    SetEvent(gate.release);
    EXPECT_EQ(basStopThread(thread), 3u);
}

TEST_P(StopThread, StuckThreadIsTerminated) {
    Gate gate;
    HANDLE thread = threadAtGate(gate);
    DWORD start = GetTickCount();
    EXPECT_EQ(basStopThread(thread), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_GE(GetTickCount() - start + 20, _wtoi(GetParam()) * 1u);
}

INSTANTIATE_TEST_SUITE_P(Timeouts, StopThread, ::testing::Values(L"0", L"300"));

TEST(StopThreadInvalid, NotAThreadGivesTheSystemsCode) {
    EXPECT_EQ(basStopThread(nullptr), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
