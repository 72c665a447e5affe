// The secure-desktop call: the function's result and desktop, the refusal of
// a second call, the set-up failures with and without the fall-back, the
// access list of the user's desktop during and after the call, and the
// dimmed picture on the overlay.
#include <windows.h>
#include <aclapi.h>

#include <gtest/gtest.h>

#include <iostream>
#include <string>
#include <vector>

#include "base/handles.h"
#include "events/dimmed_picture.h"
#include "include/elkBase.h"
#include "support/files.h"

namespace {

constexpr wchar_t kOverlayClass[] = L"Ozr_ConsentOverlay";

std::wstring desktopName(HDESK desktop) {
    wchar_t name[256] = {};
    if (!GetUserObjectInformationW(desktop, UOI_NAME, name, sizeof name, nullptr)) return L"?";
    return name;
}

std::wstring threadDesktopName() { return desktopName(GetThreadDesktop(GetCurrentThreadId())); }

std::wstring inputDesktopName() {
    elk::UniqueDesktop input(OpenInputDesktop(0, FALSE, 0));
    return input ? desktopName(input.get()) : L"(none: " + std::to_wstring(GetLastError()) + L")";
}

// The access list of the user's desktop as bytes; `error` is the code of the
// failed read, `none` tells a missing list (everyone may do everything).
struct AccessList {
    DWORD error = 0;
    bool none = false;
    std::vector<BYTE> bytes;

    bool operator==(const AccessList& o) const { return error == o.error && none == o.none && bytes == o.bytes; }

    // Whether an entry denies everyone the switch to the desktop.
    bool deniesSwitching() const {
        if (error || none) return false;
        auto* list = reinterpret_cast<PACL>(const_cast<BYTE*>(bytes.data()));
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        elk::UniqueSid everyone;
        if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone.put())) return false;
        for (DWORD i = 0; i < list->AceCount; ++i) {
            void* entry = nullptr;
            if (!GetAce(list, i, &entry)) return false;
            auto* deny = static_cast<ACCESS_DENIED_ACE*>(entry);
            if (deny->Header.AceType == ACCESS_DENIED_ACE_TYPE && (deny->Mask & DESKTOP_SWITCHDESKTOP) &&
                EqualSid(&deny->SidStart, everyone.get()))
                return true;
        }
        return false;
    }
};

std::ostream& operator<<(std::ostream& out, const AccessList& list) {
    if (list.error) return out << "read failed with " << list.error;
    if (list.none) return out << "no list";
    return out << list.bytes.size() << " bytes, " << reinterpret_cast<const ACL*>(list.bytes.data())->AceCount
               << " entries";
}

AccessList userDesktopAccess() {
    AccessList result;
    elk::UniqueDesktop desktop(OpenDesktopW(L"default", 0, FALSE, READ_CONTROL));
    if (!desktop) {
        result.error = GetLastError();
        return result;
    }
    PACL list = nullptr;
    elk::UniqueLocal<PSECURITY_DESCRIPTOR> descriptor;
    result.error = GetSecurityInfo(desktop.get(), SE_WINDOW_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &list,
                                   nullptr, descriptor.put());
    if (result.error) return result;
    result.none = list == nullptr;
    if (list) result.bytes.assign(reinterpret_cast<BYTE*>(list), reinterpret_cast<BYTE*>(list) + list->AclSize);
    return result;
}

// 0 when the user's desktop may be opened for `access`, else the code.
DWORD openError(DWORD access) {
    elk::UniqueDesktop desktop(OpenDesktopW(L"default", 0, FALSE, access));
    return desktop ? 0 : GetLastError();
}
DWORD switchAccessError() { return openError(DESKTOP_SWITCHDESKTOP); }

// What a function saw while it ran.
struct Seen {
    int calls = 0;
    DWORD thread = 0;
    std::wstring desktop;
    std::wstring input;  // the desktop that receives the user's input
    AccessList access;
    DWORD switchError = 0;
    DWORD readError = 0;
    DWORD inner = 0;            // a nested call's result
    int innerCalls = 0;         // how often the nested call ran its function
    std::vector<COLORREF> pixels;  // of the overlay, at kProbes
};
Seen g_seen;

DWORD WINAPI returns1234(DWORD argument) {
    ++g_seen.calls;
    g_seen.thread = GetCurrentThreadId();
    g_seen.desktop = threadDesktopName();
    g_seen.input = inputDesktopName();
    return argument == 77 ? 1234 : 1;
}

DWORD WINAPI countsInner(DWORD) {
    ++g_seen.innerCalls;
    return 5;
}

DWORD WINAPI callsAgain(DWORD) {
    ++g_seen.calls;
    g_seen.inner = CallOnSecureDesktop(countsInner, 0, TRUE);
    return 6;
}

DWORD WINAPI readsAccess(DWORD) {
    ++g_seen.calls;
    g_seen.access = userDesktopAccess();
    g_seen.switchError = switchAccessError();
    g_seen.readError = openError(DESKTOP_READOBJECTS | DESKTOP_CREATEWINDOW);
    return 7;
}

class SecureDesktopTest : public ::testing::Test {
protected:
    void SetUp() override { g_seen = Seen{}; }
};

TEST_F(SecureDesktopTest, RunsTheFunctionOnItsOwnDesktopAndReturnsItsResult) {
    std::wstring mine = threadDesktopName();
    EXPECT_EQ(CallOnSecureDesktop(returns1234, 77, FALSE), 1234u);
    EXPECT_EQ(g_seen.calls, 1);
    EXPECT_NE(g_seen.thread, GetCurrentThreadId());
    EXPECT_EQ(g_seen.desktop, L"Ozr_ConsentDesktop");
    // Some systems (Wine) accept the switch of the display but keep the
    // input on the user's desktop; the switch back is seen everywhere.
    if (g_seen.input != L"Ozr_ConsentDesktop")
        std::cout << "note: the input desktop stayed \"" << elktest::utf8(g_seen.input) << "\" during the call\n";
    EXPECT_EQ(threadDesktopName(), mine);
    EXPECT_EQ(inputDesktopName(), mine);
    // A second call after the first has ended runs again.
    EXPECT_EQ(CallOnSecureDesktop(returns1234, 77, TRUE), 1234u);
    EXPECT_EQ(g_seen.calls, 2);
}

TEST_F(SecureDesktopTest, RefusesACallWhileOneIsInProgress) {
    EXPECT_EQ(CallOnSecureDesktop(callsAgain, 0, FALSE), 6u);
    EXPECT_EQ(g_seen.inner, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_EQ(g_seen.innerCalls, 0) << "the refusal falls back to nothing";
    // Nothing is left counted.
    EXPECT_EQ(CallOnSecureDesktop(countsInner, 0, FALSE), 5u);
}

TEST_F(SecureDesktopTest, NullFunctionIsRefused) {
    EXPECT_EQ(CallOnSecureDesktop(nullptr, 0, TRUE), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(SecureDesktopTest, DeniesSwitchingToTheUserDesktopOnlyWhileItRuns) {
    AccessList before = userDesktopAccess();
    ASSERT_EQ(before.error, 0u) << "the user's desktop's access list cannot be read";
    ASSERT_FALSE(before.deniesSwitching());
    ASSERT_EQ(switchAccessError(), 0u);

    EXPECT_EQ(CallOnSecureDesktop(readsAccess, 0, FALSE), 7u);
    ASSERT_EQ(g_seen.calls, 1);
    EXPECT_TRUE(g_seen.access.deniesSwitching()) << g_seen.access;
    EXPECT_EQ(g_seen.switchError, static_cast<DWORD>(ERROR_ACCESS_DENIED));
    // Only the switch: programs on the user's desktop go on working.
    EXPECT_EQ(g_seen.readError, 0u) << "before: " << before;

    EXPECT_EQ(userDesktopAccess(), before);
    EXPECT_EQ(switchAccessError(), 0u);
}

// A late set-up step that fails for real: a class of the overlay's name,
// registered first by this program, whose windows refuse to be created.
LRESULT CALLBACK refusesCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) return FALSE;
    return DefWindowProcW(window, message, wParam, lParam);
}

class FailingOverlay {
public:
    FailingOverlay() {
        // The library's class from an earlier call stays registered; it has
        // no windows left, so it can go.
        UnregisterClassW(kOverlayClass, GetModuleHandleW(nullptr));
        WNDCLASSW c{};
        c.lpfnWndProc = refusesCreation;
        c.hInstance = GetModuleHandleW(nullptr);
        c.lpszClassName = kOverlayClass;
        registered_ = RegisterClassW(&c) != 0;
    }
    ~FailingOverlay() { UnregisterClassW(kOverlayClass, GetModuleHandleW(nullptr)); }
    bool registered() const { return registered_; }

private:
    bool registered_;
};

TEST_F(SecureDesktopTest, LateSetUpFailureRestoresTheAccessListAndFallsBack) {
    AccessList before = userDesktopAccess();
    ASSERT_EQ(before.error, 0u);
    struct Row {
        BOOL fallBack;
        DWORD result;
        int calls;
    } rows[] = {
        {FALSE, 0, 0},
        {TRUE, 1234, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.fallBack ? "with fall-back" : "without fall-back");
        g_seen = Seen{};
        {
            FailingOverlay overlay;
            ASSERT_TRUE(overlay.registered());
            EXPECT_EQ(CallOnSecureDesktop(returns1234, 77, row.fallBack), row.result);
        }
        EXPECT_EQ(g_seen.calls, row.calls);
        if (row.calls) {
            EXPECT_EQ(_wcsicmp(g_seen.desktop.c_str(), L"Default"), 0) << "ran on " << g_seen.desktop.c_str();
        }
        EXPECT_EQ(userDesktopAccess(), before);
        EXPECT_EQ(switchAccessError(), 0u);
    }
    // With the library's own class back, the call works again.
    EXPECT_EQ(CallOnSecureDesktop(returns1234, 77, FALSE), 1234u);
}

// A window station of its own has no "default" desktop to open.
TEST_F(SecureDesktopTest, WithoutTheUserDesktopGives120OrFallsBack) {
    HWINSTA own = GetProcessWindowStation();
    std::wstring name = L"elkTestStation" + std::to_wstring(GetCurrentProcessId());
    HWINSTA station = CreateWindowStationW(name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(station, nullptr) << GetLastError();
    ASSERT_TRUE(SetProcessWindowStation(station)) << GetLastError();
    elk::ScopeExit back([&] {
        SetProcessWindowStation(own);
        CloseWindowStation(station);
    });
    ASSERT_EQ(OpenDesktopW(L"default", 0, FALSE, READ_CONTROL), nullptr) << "the new station has a desktop";

    EXPECT_EQ(CallOnSecureDesktop(returns1234, 77, FALSE), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
    EXPECT_EQ(g_seen.calls, 0);
    EXPECT_EQ(CallOnSecureDesktop(returns1234, 77, TRUE), 1234u);
    EXPECT_EQ(g_seen.calls, 1);
}

// The overlay's picture of a screen of known colours.
struct Probe {
    POINT at;
    COLORREF shown;  // on the user's desktop
    BYTE grey;       // the overlay's: the average of the three, times 0.3, cut
};
constexpr Probe kProbes[] = {
    {{40, 40}, RGB(200, 100, 50), 34},      // 116 * 0.3
    {{150, 150}, RGB(255, 255, 255), 76},   // 76.5
    {{160, 130}, RGB(255, 255, 255), 76},
    {{400, 300}, RGB(200, 100, 50), 34},
};

DWORD WINAPI readsOverlay(DWORD) {
    ++g_seen.calls;
    HWND overlay = FindWindowW(kOverlayClass, nullptr);
    if (!overlay) return 1;
    elk::WindowDc dc(overlay);
    for (const Probe& p : kProbes) g_seen.pixels.push_back(GetPixel(dc.get(), p.at.x, p.at.y));
    return 2;
}

LRESULT CALLBACK plainWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

HWND paintedWindow(const wchar_t* cls, RECT at, COLORREF colour, elk::UniqueGdi<HBRUSH>& brush) {
    brush.reset(CreateSolidBrush(colour));
    WNDCLASSW c{};
    c.lpfnWndProc = plainWindow;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hbrBackground = brush.get();
    c.lpszClassName = cls;
    RegisterClassW(&c);
    HWND window = CreateWindowExW(WS_EX_TOPMOST, cls, L"", WS_POPUP | WS_VISIBLE, at.left, at.top,
                                  at.right - at.left, at.bottom - at.top, nullptr, nullptr, c.hInstance, nullptr);
    UpdateWindow(window);
    return window;
}

void pumpFor(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while (static_cast<LONG>(end - GetTickCount()) > 0) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        Sleep(10);
    }
}

TEST_F(SecureDesktopTest, OverlayShowsTheScreenDimmed) {
    elk::UniqueGdi<HBRUSH> orange, white;
    HWND back = paintedWindow(L"elkTestOrange", {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)},
                              RGB(200, 100, 50), orange);
    HWND square = paintedWindow(L"elkTestWhite", {100, 100, 200, 200}, RGB(255, 255, 255), white);
    ASSERT_TRUE(back && square);
    elk::ScopeExit close([&] {
        DestroyWindow(square);
        DestroyWindow(back);
    });
    pumpFor(300);
    {
        elk::UniqueScreenDc screen(GetDC(nullptr));
        for (const Probe& p : kProbes)
            ASSERT_EQ(GetPixel(screen.get(), p.at.x, p.at.y), p.shown) << "the screen does not show the test's windows";
        ASSERT_GE(GetDeviceCaps(screen.get(), BITSPIXEL), 24) << "the grey picture needs 24 or 32 bits";
    }

    EXPECT_EQ(CallOnSecureDesktop(readsOverlay, 0, FALSE), 2u) << "no overlay window on the secure desktop";
    ASSERT_EQ(g_seen.pixels.size(), std::size(kProbes));
    for (size_t i = 0; i < std::size(kProbes); ++i)
        EXPECT_EQ(g_seen.pixels[i], RGB(kProbes[i].grey, kProbes[i].grey, kProbes[i].grey)) << "probe " << i;
}

// The dimming itself at each colour depth, on pictures made by the test.
struct Picture {
    elk::UniqueCreatedDc dc;
    elk::UniqueGdi<HBITMAP> bitmap;
    HGDIOBJ previous = nullptr;
    ~Picture() {
        if (previous) SelectObject(dc.get(), previous);
    }
};

constexpr int kSide = 16;

// A bitmap of `bits` per pixel filled with `colour`, selected into a memory DC.
void makePicture(Picture& p, WORD bits, COLORREF colour) {
    p.dc.reset(CreateCompatibleDC(nullptr));
    struct {
        BITMAPINFOHEADER header;
        RGBQUAD colours[256];
    } info{};
    info.header.biSize = sizeof info.header;
    info.header.biWidth = kSide;
    info.header.biHeight = -kSide;
    info.header.biPlanes = 1;
    info.header.biBitCount = bits;
    info.header.biCompression = BI_RGB;
    if (bits == 8) {
        for (int i = 0; i < 256; ++i) info.colours[i] = {BYTE(i), BYTE(i), BYTE(i), 0};
        info.header.biClrUsed = 256;
    }
    void* pixels = nullptr;
    p.bitmap.reset(CreateDIBSection(p.dc.get(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS, &pixels,
                                    nullptr, 0));
    ASSERT_TRUE(p.bitmap);
    p.previous = SelectObject(p.dc.get(), p.bitmap.get());
    elk::UniqueGdi<HBRUSH> fill(CreateSolidBrush(colour));
    RECT all{0, 0, kSide, kSide};
    FillRect(p.dc.get(), &all, fill.get());
}

TEST(DimmedPicture, GreyAtDeepColoursAndDotsOtherwise) {
    struct Row {
        WORD bits;
        COLORREF colour;
        BYTE grey;  // 0: the dot pattern keeps the colour where its bit is set
    } rows[] = {
        {32, RGB(200, 100, 50), 34},
        {32, RGB(0, 0, 0), 0},
        {32, RGB(255, 255, 255), 76},
        {24, RGB(200, 100, 50), 34},
        {24, RGB(10, 10, 10), 3},
        {16, RGB(248, 248, 248), 0},
        {8, RGB(255, 255, 255), 0},
    };
    // Rows of the pattern from the left: bit 7 first.
    static const BYTE kDots[8] = {0xAA, 0x00, 0x55, 0x00, 0xAA, 0x00, 0x55, 0x00};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << row.bits << " bits, colour " << std::hex << row.colour);
        Picture p;
        makePicture(p, row.bits, row.colour);
        if (HasFatalFailure()) return;
        COLORREF before = GetPixel(p.dc.get(), 3, 3);
        DIBSECTION section{};
        ASSERT_TRUE(GetObjectW(p.bitmap.get(), sizeof section, &section));
        auto* bytes = static_cast<BYTE*>(section.dsBm.bmBits);
        if (row.bits == 32)
            for (int i = 3; i < kSide * kSide * 4; i += 4) bytes[i] = 0xFF;
        ASSERT_TRUE(elk::dimPicture(p.dc.get(), p.bitmap.get(), kSide, kSide));
        GdiFlush();
        if (row.bits >= 24) {
            for (int y = 0; y < kSide; y += 5)
                for (int x = 0; x < kSide; x += 3)
                    ASSERT_EQ(GetPixel(p.dc.get(), x, y), RGB(row.grey, row.grey, row.grey)) << x << "," << y;
            if (row.bits == 32) {
                for (int i = 3; i < kSide * kSide * 4; i += 4)
                    ASSERT_EQ(bytes[i], 0) << "fourth byte of pixel " << i / 4;
            }
        } else {
            for (int y = 0; y < kSide; ++y)
                for (int x = 0; x < kSide; ++x) {
                    bool kept = kDots[y % 8] & (0x80 >> (x % 8));
                    ASSERT_EQ(GetPixel(p.dc.get(), x, y), kept ? before : RGB(0, 0, 0)) << x << "," << y;
                }
        }
    }
}

}  // namespace
