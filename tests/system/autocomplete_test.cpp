// Auto-completion on real edit controls (under Xvfb).
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "include/elkBase.h"
#include "support/library.h"

namespace {

constexpr DWORD kFileSystem = 0x1;  // SHACF_FILESYSTEM

// An edit control of the calling thread, with COM started on it.
class EditField {
public:
    EditField() {
        com_ = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        window_ = CreateWindowExW(0, L"EDIT", L"", WS_OVERLAPPEDWINDOW | ES_AUTOHSCROLL, 0, 0, 200, 30, nullptr,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~EditField() {
        if (window_) DestroyWindow(window_);
        if (com_) CoUninitialize();
    }
    HWND get() const { return window_; }

private:
    bool com_ = false;
    HWND window_ = nullptr;
};

// First: the entry point is bound by whichever of several threads comes first.
TEST(AutoComplete, ConcurrentFirstCalls) {
    constexpr int kThreads = 8;
    std::atomic<int> ready{0};
    std::vector<DWORD> results(kThreads, 0xdeadbeef);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.emplace_back([&, i] {
            EditField edit;
            ++ready;
            while (ready.load() < kThreads) Sleep(0);
            results[i] = edit.get() ? basAutoComplete(edit.get(), kFileSystem) : 0xFFFFFFFF;
        });
    for (auto& t : threads) t.join();
    for (int i = 0; i < kThreads; ++i) EXPECT_EQ(results[i], 0u) << "thread " << i;
}

// The last shut-down lets go of the binding; the next use binds afresh.
class AutoCompleteLifecycle : public elktest::LibraryTest {};

TEST_F(AutoCompleteLifecycle, BoundAgainAfterTheLastShutDown) {
    EditField edit;
    ASSERT_NE(edit.get(), nullptr);
    for (int round = 0; round < 2; ++round) {
        start();
        EXPECT_EQ(basAutoComplete(edit.get(), kFileSystem), 0u) << "round " << round;
        EXPECT_EQ(stop(), 0u) << "round " << round;
    }
    EXPECT_EQ(basAutoComplete(edit.get(), kFileSystem), 0u);
}

}  // namespace
