// Full-screen detection with real windows (under Xvfb): what covers the
// monitor, what holds the foreground, and the shell's own window.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "base/handles.h"
#include "include/elkBase.h"
#include "system/at_once.h"

namespace {

// Lets a framed window grow beyond the screen, so that its client area can cover it.
LRESULT CALLBACK unbounded(HWND window, UINT message, WPARAM w, LPARAM l) {
    if (message == WM_GETMINMAXINFO) {
        auto* info = reinterpret_cast<MINMAXINFO*>(l);
        info->ptMaxTrackSize = {100000, 100000};
        return 0;
    }
    return DefWindowProcW(window, message, w, l);
}

void ensureClass(const wchar_t* name) {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = unbounded;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    RegisterClassW(&wc);  // a second registration fails harmlessly
}

void pump() {
    MSG msg;
    for (int i = 0; i < 20; ++i) {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(5);
    }
}

RECT screen() { return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

// A top-level window of the calling thread, destroyed with the object.
class Window {
public:
    Window(const wchar_t* className, DWORD style, RECT r, HWND owner = nullptr, int show = SW_SHOW) {
        ensureClass(className);
        h_ = CreateWindowExW(0, className, L"elk full-screen test", style, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (h_) ShowWindow(h_, show);
        pump();
    }
    ~Window() {
        if (h_) DestroyWindow(h_);
        pump();
    }
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    HWND get() const { return h_; }

private:
    HWND h_;
};

bool bringForward(HWND window) {
    SetForegroundWindow(window);
    pump();
    return GetForegroundWindow() == window;
}

constexpr DWORD kFramed = WS_OVERLAPPEDWINDOW;

TEST(Fullscreen, WindowsInTheForeground) {
    const RECT full = screen();
    RECT framedCover = full;  // a framed window whose client area is the screen
    AdjustWindowRectEx(&framedCover, kFramed, FALSE, 0);
    RECT half = full;
    half.right /= 2;
    RECT larger = {full.left - 10, full.top - 10, full.right + 10, full.bottom + 10};
    const struct {
        const wchar_t* className;
        DWORD style;
        RECT rect;
        int show;
        BOOL result;
    } rows[] = {
        /* 0 */ {L"ElkGame", WS_POPUP, full, SW_SHOW, TRUE},
        /* 1 */ {L"ElkGame", WS_POPUP, larger, SW_SHOW, TRUE},
        /* 2 */ {L"ElkGame", WS_POPUP, half, SW_SHOW, FALSE},
        // An ordinary maximised window: its client area leaves out the caption.
        /* 3 */ {L"ElkDocument", kFramed, half, SW_MAXIMIZE, FALSE},
        // Framed, but its client area covers the screen.
        /* 4 */ {L"ElkDocument", kFramed, framedCover, SW_SHOW, TRUE},
        // A caption alone is no frame: the whole window counts.
        /* 5 */ {L"ElkGame", WS_POPUP | WS_CAPTION, full, SW_SHOW, TRUE},
        // The shell's desktop window, by its class in any case.
        /* 6 */ {L"Progman", WS_POPUP, full, SW_SHOW, FALSE},
        /* 7 */ {L"PROGMAN", WS_POPUP, larger, SW_SHOW, FALSE},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Window window(rows[i].className, rows[i].style, rows[i].rect, nullptr, rows[i].show);
        ASSERT_NE(window.get(), nullptr) << "row " << i;
        ASSERT_TRUE(bringForward(window.get())) << "row " << i;
        EXPECT_EQ(basFullscreenAppRunning(), rows[i].result) << "row " << i;
    }
    // The window found last is let go once it is gone.
    EXPECT_FALSE(basFullscreenAppRunning());
}

// A window of a thread of its own, with that thread's message loop.
class ThreadWindow {
public:
    explicit ThreadWindow(RECT r) {
        thread_ = std::thread([this, r] {
            Window window(L"ElkGame", WS_POPUP, r);
            threadId_ = GetCurrentThreadId();
            window_ = window.get();
            MSG msg;
            while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        });
        while (!window_) Sleep(5);
    }
    ~ThreadWindow() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        thread_.join();
    }
    HWND get() const { return window_; }

private:
    std::atomic<HWND> window_{nullptr};
    std::atomic<DWORD> threadId_{0};
    std::thread thread_;
};

TEST(Fullscreen, CoveringWindowOutOfTheForeground) {
    ThreadWindow cover(screen());
    ASSERT_NE(cover.get(), nullptr);
    Window other(L"ElkDocument", kFramed, RECT{10, 10, 300, 200});
    ASSERT_TRUE(bringForward(other.get()));
    EXPECT_FALSE(basFullscreenAppRunning()) << "another thread's window holds the foreground";

    ASSERT_TRUE(bringForward(cover.get()));
    EXPECT_TRUE(basFullscreenAppRunning());
    // The window found last is tested again, not taken as it stands.
    ASSERT_TRUE(bringForward(other.get()));
    EXPECT_FALSE(basFullscreenAppRunning());

    // A dialog that the full-screen window owns holds the foreground.
    Window owned(L"ElkDocument", WS_POPUP | WS_CAPTION, RECT{100, 100, 300, 200}, cover.get());
    ASSERT_TRUE(bringForward(owned.get()));
    EXPECT_TRUE(basFullscreenAppRunning());
}

// The first calls of the process, from several threads at once (an entry of
// its own, so that no other test made the first call).
TEST(FullscreenFirstCall, ConcurrentThreads) {
    Window cover(L"ElkGame", WS_POPUP, screen());
    ASSERT_TRUE(bringForward(cover.get()));
    constexpr int kThreads = 8;
    std::vector<BOOL> results(kThreads, -1);
    elktest::atOnce(kThreads, [&](int t) { results[t] = basFullscreenAppRunning(); });
    for (int t = 0; t < kThreads; ++t) EXPECT_EQ(results[t], TRUE) << "thread " << t;
}

}  // namespace
