// Owners for everything the library holds: one line per kind of handle, and
// scope guards for locks, GDI selections and paired calls. Closing keeps the
// caller's last-error code, so an error path can close what it opened and
// still report the code of the call that failed.
#pragma once
#include <winsock2.h>
#include <windows.h>
#include <unknwn.h>
#include <oleauto.h>

#include <cstdint>
#include <type_traits>
#include <utility>

#include "base/suite/ozrCmnOS.h"

namespace elk {

// A kind of handle: its type, how it is closed and the value that means
// "none". Close is a function of this header (never a system import, whose
// address is no constant).
template <typename T, auto Close, std::intptr_t None = 0>
struct Traits {
    using Type = T;
    static Type invalid() {
        if constexpr (std::is_pointer_v<T>)
            return reinterpret_cast<T>(None);
        else
            return static_cast<T>(None);
    }
    static void close(Type h) { Close(h); }
};

template <typename Kind>
class Unique {
public:
    using Type = typename Kind::Type;
    Unique() = default;
    explicit Unique(Type h) : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& o) noexcept : h_(o.release()) {}
    Unique& operator=(Unique&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    ~Unique() { reset(); }

    Type get() const { return h_; }
    explicit operator bool() const { return h_ != Kind::invalid(); }
    [[nodiscard]] Type release() { return std::exchange(h_, Kind::invalid()); }
    void reset(Type h = Kind::invalid()) {
        if (h_ != Kind::invalid()) {
            DWORD error = GetLastError();
            Kind::close(h_);
            SetLastError(error);
        }
        h_ = h;
    }
    // Closes what is held and hands out the slot for a call that fills it.
    Type* put() {
        reset();
        return &h_;
    }

private:
    Type h_ = Kind::invalid();
};

namespace close {
inline void handle(HANDLE h) { CloseHandle(h); }
inline void find(HANDLE h) { FindClose(h); }
inline void module(HMODULE h) { FreeLibrary(h); }
inline void key(HKEY h) { RegCloseKey(h); }
// The peer hears of the end before the socket goes.
inline void socket(SOCKET s) {
    shutdown(s, SD_BOTH);
    closesocket(s);
}
inline void screenDc(HDC dc) { ReleaseDC(nullptr, dc); }
inline void createdDc(HDC dc) { DeleteDC(dc); }
inline void gdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void heap(void* block) { HeapFree(GetProcessHeap(), 0, block); }
inline void local(HLOCAL block) { LocalFree(block); }
inline void sid(PSID sid) { FreeSid(sid); }
inline void desktop(HDESK desktop) { CloseDesktop(desktop); }
inline void suiteText(char* text) { dep_strFreeString(text); }
inline void suiteFile(HANDLE h) { dep_fsCloseFile(h); }
inline void bstr(BSTR text) { SysFreeString(text); }
template <typename I>
void com(I* object) {
    object->Release();
}
}  // namespace close

using UniqueHandle = Unique<Traits<HANDLE, close::handle>>;          // null when none: events, threads, mutexes
using UniqueFile = Unique<Traits<HANDLE, close::handle, -1>>;        // INVALID_HANDLE_VALUE when none: files
using UniqueFind = Unique<Traits<HANDLE, close::find, -1>>;          // FindFirstFile
using UniqueModule = Unique<Traits<HMODULE, close::module>>;
using UniqueKey = Unique<Traits<HKEY, close::key>>;
using UniqueSocket = Unique<Traits<SOCKET, close::socket, -1>>;      // INVALID_SOCKET when none
using UniqueScreenDc = Unique<Traits<HDC, close::screenDc>>;         // GetDC(nullptr)
using UniqueCreatedDc = Unique<Traits<HDC, close::createdDc>>;       // CreateDC, CreateCompatibleDC
template <typename T>
using UniqueGdi = Unique<Traits<T, close::gdiObject>>;               // fonts, bitmaps, brushes
template <typename T>
using UniqueHeap = Unique<Traits<T*, close::heap>>;                  // HeapAlloc on the process heap
template <typename T>
using UniqueLocal = Unique<Traits<T, close::local>>;                 // LocalAlloc, and what the system hands out with it
using UniqueSid = Unique<Traits<PSID, close::sid>>;                  // AllocateAndInitializeSid
using UniqueDesktop = Unique<Traits<HDESK, close::desktop>>;         // OpenDesktop, CreateDesktop
using UniqueSuiteText = Unique<Traits<char*, close::suiteText>>;     // the suite OS layer's 8-bit copies
using UniqueSuiteFile = Unique<Traits<HANDLE, close::suiteFile, -1>>; // the suite OS layer's dep_fsOpenFile*
using UniqueBstr = Unique<Traits<BSTR, close::bstr>>;                 // SysAllocString
template <typename I>
using ComPtr = Unique<Traits<I*, close::com<I>>>;

// The device context of one window (GetDC(window)).
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDc() {
        if (dc_) {
            DWORD error = GetLastError();
            ReleaseDC(window_, dc_);
            SetLastError(error);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }
    explicit operator bool() const { return dc_ != nullptr; }

private:
    HWND window_;
    HDC dc_;
};

// Selects a GDI object into a device context and restores the previous one
// when the scope ends.
class Selection {
public:
    Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(object ? SelectObject(dc, object) : nullptr) {}
    ~Selection() {
        if (previous_ && previous_ != HGDI_ERROR) SelectObject(dc_, previous_);
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;
    // False when the object could not be selected.
    explicit operator bool() const { return previous_ && previous_ != HGDI_ERROR; }
    HGDIOBJ previous() const { return *this ? previous_ : nullptr; }  // what was selected before; null when none

private:
    HDC dc_;
    HGDIOBJ previous_;
};

// A critical section from construction to destruction.
class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&cs_); }
    ~CriticalSection() { DeleteCriticalSection(&cs_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    CRITICAL_SECTION& get() { return cs_; }

private:
    CRITICAL_SECTION cs_;
};

// Holds a critical section for one scope.
class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    explicit Lock(CriticalSection& cs) : Lock(cs.get()) {}
    ~Lock() { LeaveCriticalSection(&cs_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

// Runs `f` when the scope ends: the second half of a paired call (start and
// stop, log-on and log-off). dismiss() keeps it from running.
template <typename F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() {
        if (armed_) f_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    void dismiss() { armed_ = false; }

private:
    F f_;
    bool armed_ = true;
};

}  // namespace elk
