// Runs a caller's function (a consent dialog) on a desktop of its own, shown
// over a dimmed picture of the user's screen, while nobody may switch back to
// the user's desktop. The worker thread does the set-up, the call and the
// restore; the caller's thread only waits for it.
#include <windows.h>
#include <aclapi.h>

#include <utility>

#include "base/handles.h"
#include "events/dimmed_picture.h"
#include "include/elkBase.h"

namespace {

constexpr wchar_t kDesktopName[] = L"Ozr_ConsentDesktop";
constexpr wchar_t kOverlayClass[] = L"Ozr_ConsentOverlay";
constexpr wchar_t kUserDesktop[] = L"default";
constexpr DWORD kDesktopAllAccess = DESKTOP_READOBJECTS | DESKTOP_CREATEWINDOW | DESKTOP_CREATEMENU |
                                    DESKTOP_HOOKCONTROL | DESKTOP_JOURNALRECORD | DESKTOP_JOURNALPLAYBACK |
                                    DESKTOP_ENUMERATE | DESKTOP_WRITEOBJECTS | DESKTOP_SWITCHDESKTOP |
                                    STANDARD_RIGHTS_REQUIRED;

struct CallBlock {
    ELK_SECURE_DESKTOP_FUNCTION function;
    DWORD argument;
    BOOL fallBack;
    HDESK leftOpen;  // the worker's secure desktop when it could not close it
};

// Calls in progress in this process; only one may run.
LONG volatile g_nesting = 0;

// The dimmed picture of the user's screen, made by the worker at the start of
// a call and painted by the overlay, which belongs to the same thread.
class Background {
public:
    void make(int width, int height) {
        drop();
        elk::UniqueScreenDc screen(GetDC(nullptr));
        if (!screen) return;
        elk::UniqueCreatedDc dc(CreateCompatibleDC(screen.get()));
        elk::UniqueGdi<HBITMAP> bitmap(CreateCompatibleBitmap(screen.get(), width, height));
        if (!dc || !bitmap) return;
        HGDIOBJ previous = SelectObject(dc.get(), bitmap.get());
        if (!previous || previous == HGDI_ERROR) return;
        BitBlt(dc.get(), 0, 0, width, height, screen.get(), 0, 0, SRCCOPY);
        elk::dimPicture(dc.get(), bitmap.get(), width, height);
        dc_ = std::move(dc);
        bitmap_ = std::move(bitmap);
        previous_ = previous;
        width_ = width;
        height_ = height;
    }
    void drop() {
        if (dc_) SelectObject(dc_.get(), previous_);
        bitmap_.reset();
        dc_.reset();
        previous_ = nullptr;
    }
    void paint(HDC target) const {
        if (dc_) BitBlt(target, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY);
    }

private:
    elk::UniqueCreatedDc dc_;
    elk::UniqueGdi<HBITMAP> bitmap_;
    HGDIOBJ previous_ = nullptr;
    int width_ = 0, height_ = 0;
};

Background g_background;

LRESULT CALLBACK overlayProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        if (HDC dc = BeginPaint(window, &paint)) {
            g_background.paint(dc);
            EndPaint(window, &paint);
        }
        return 0;
    }
    case WM_MOUSEACTIVATE:
        // Clicks on the picture neither activate it nor reach it.
        return MA_NOACTIVATEANDEAT;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

SIZE screenSize() {
    SIZE size{GetSystemMetrics(SM_CXVIRTUALSCREEN), GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    if (size.cx == 0) size = {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return size;
}

DWORD WINAPI runFunction(void* parameter) {
    auto* call = static_cast<const CallBlock*>(parameter);
    return call->function(call->argument);
}

// Runs the function on a thread of its own, which starts on the process's
// desktop, and returns its result; on the current thread when no thread
// can be started.
DWORD callOnFreshThread(const CallBlock& call) {
    elk::UniqueHandle thread(CreateThread(nullptr, 0, runFunction, const_cast<CallBlock*>(&call), 0, nullptr));
    if (!thread) return runFunction(const_cast<CallBlock*>(&call));
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD result = 0;
    if (!GetExitCodeThread(thread.get(), &result)) result = GetLastError();
    return result;
}

// One stay on the secure desktop: set up step by step, and undone as far as
// it got, whichever step failed.
class SecureDesktop {
public:
    // Sets up, switches and calls the function. False when a step failed
    // before the call; status() then says which.
    bool run(const CallBlock& call, DWORD& result, SIZE size) {
        static SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone_.put()))
            return false;

        user_.reset(OpenDesktopW(kUserDesktop, 0, FALSE, GENERIC_ALL));
        if (!user_) {
            status_ = ERROR_CALL_NOT_IMPLEMENTED;
            return false;
        }
        if (!denySwitching()) return false;

        previous_ = GetThreadDesktop(GetCurrentThreadId());
        secure_.reset(CreateDesktopW(kDesktopName, nullptr, nullptr, 0, GENERIC_ALL, nullptr));
        if (!secure_ || !SetThreadDesktop(secure_.get())) return false;
        moved_ = true;

        if (!showOverlay(size)) return false;
        if (!SwitchDesktop(secure_.get())) return false;
        switched_ = true;
        result = call.function(call.argument);
        return true;
    }

    ~SecureDesktop() { restore(); }

    // Undoes the set-up as far as it got; once is enough.
    void restore() {
        if (std::exchange(oldAccess_, false))
            SetSecurityInfo(user_.get(), SE_WINDOW_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, oldList_,
                            nullptr);
        if (std::exchange(switched_, false)) SwitchDesktop(user_.get());
        // The thread can leave the desktop only without windows there.
        if (overlay_) DestroyWindow(std::exchange(overlay_, nullptr));
        if (moved_ && SetThreadDesktop(previous_)) moved_ = false;
        // Still the thread's desktop: closed once the thread has ended.
        if (moved_ && secure_) leftOpen_ = secure_.release();
        secure_.reset();
    }

    // 120 when the user's desktop could not be opened, the code of a failed
    // access-list step, else 0.
    DWORD status() const { return status_; }
    // Whether the thread is still on the desktop it started on.
    bool onOwnDesktop() const { return !moved_; }
    // The secure desktop when the thread could not leave it, for closing
    // once the thread has ended.
    HDESK leftOpen() const { return leftOpen_; }

private:
    bool denySwitching() {
        status_ = GetSecurityInfo(user_.get(), SE_WINDOW_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  &oldList_, nullptr, oldDescriptor_.put());
        if (status_) return false;
        EXPLICIT_ACCESSW entries[2]{};
        for (EXPLICIT_ACCESSW& entry : entries) {
            entry.grfInheritance = NO_INHERITANCE;
            entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
            entry.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
            entry.Trustee.ptstrName = static_cast<LPWSTR>(everyone_.get());
        }
        entries[0].grfAccessPermissions = DESKTOP_SWITCHDESKTOP;
        entries[0].grfAccessMode = DENY_ACCESS;
        // No list at all lets everyone do everything; a list of the deny
        // entry alone would lock everyone out of the desktop, so the grant
        // that the missing list meant is written out beside it.
        entries[1].grfAccessPermissions = kDesktopAllAccess;
        entries[1].grfAccessMode = GRANT_ACCESS;
        PACL list = nullptr;
        status_ = SetEntriesInAclW(oldList_ ? 1 : 2, entries, oldList_, &list);
        if (status_) return false;
        newList_.reset(list);
        // Restored on every path from here on, even when the write reports
        // a failure after all.
        oldAccess_ = true;
        status_ = SetSecurityInfo(user_.get(), SE_WINDOW_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  newList_.get(), nullptr);
        return status_ == 0;
    }

    bool showOverlay(SIZE size) {
        WNDCLASSW overlayClass{};
        overlayClass.lpfnWndProc = overlayProcedure;
        overlayClass.hInstance = GetModuleHandleW(nullptr);
        overlayClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        overlayClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(HOLLOW_BRUSH));
        overlayClass.lpszClassName = kOverlayClass;
        // Registered once for the process; later registrations fail harmlessly.
        RegisterClassW(&overlayClass);
        overlay_ = CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kOverlayClass, L"", WS_POPUP, 0, 0, size.cx,
                                   size.cy, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        if (!overlay_) return false;
        ShowWindow(overlay_, SW_SHOWNA);
        // The picture is there before the desktop is shown, whether or not
        // the function pumps messages.
        UpdateWindow(overlay_);
        return true;
    }

    elk::UniqueSid everyone_;
    elk::UniqueDesktop user_;
    elk::UniqueLocal<PSECURITY_DESCRIPTOR> oldDescriptor_;
    PACL oldList_ = nullptr;  // inside oldDescriptor_
    elk::UniqueLocal<PACL> newList_;
    bool oldAccess_ = false;
    HDESK previous_ = nullptr;  // not to be closed
    elk::UniqueDesktop secure_;
    bool moved_ = false;
    HWND overlay_ = nullptr;
    bool switched_ = false;
    HDESK leftOpen_ = nullptr;
    DWORD status_ = 0;
};

DWORD WINAPI worker(void* parameter) {
    auto* call = static_cast<CallBlock*>(parameter);
    if (InterlockedIncrement(&g_nesting) != 1) {
        InterlockedDecrement(&g_nesting);
        return ERROR_SHARING_VIOLATION;
    }
    elk::ScopeExit lower([] { InterlockedDecrement(&g_nesting); });

    SIZE size = screenSize();
    g_background.make(size.cx, size.cy);
    elk::ScopeExit drop([] { g_background.drop(); });

    DWORD result = 0;
    SecureDesktop desktop;
    bool called = desktop.run(*call, result, size);
    desktop.restore();
    call->leftOpen = desktop.leftOpen();
    if (called) return result;
    if (!call->fallBack) return desktop.status();
    // A thread that could not leave the secure desktop would show the
    // function's windows where nobody sees them.
    return desktop.onOwnDesktop() ? runFunction(call) : callOnFreshThread(*call);
}

}  // namespace

extern "C" DWORD WINAPI CallOnSecureDesktop(ELK_SECURE_DESKTOP_FUNCTION function, DWORD argument,
                                            BOOL fallBack) {
    if (!function) return ERROR_INVALID_PARAMETER;
    CallBlock call{function, argument, fallBack, nullptr};
    elk::UniqueHandle thread(CreateThread(nullptr, 0, worker, &call, 0, nullptr));
    if (!thread) {
        DWORD error = GetLastError();
        return fallBack ? function(argument) : error;
    }
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD result = 0;
    if (!GetExitCodeThread(thread.get(), &result)) result = GetLastError();
    // Its thread has ended, so the desktop can go now.
    if (call.leftOpen) CloseDesktop(call.leftOpen);
    return result;
}
