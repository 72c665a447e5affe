// Owners for the handles the library holds. Closing keeps the caller's
// last-error code, so an error path can close what it opened and still
// report the code of the call that failed.
#pragma once
#include <windows.h>

#include <utility>

namespace elk {

template <typename Traits>
class Unique {
public:
    using Type = typename Traits::Type;
    Unique() = default;
    explicit Unique(Type h) : h_(h) {}
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    Unique(Unique&& o) noexcept : h_(o.release()) {}
    Unique& operator=(Unique&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~Unique() { reset(); }

    Type get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::invalid(); }
    Type release() { return std::exchange(h_, Traits::invalid()); }
    void reset(Type h = Traits::invalid()) {
        if (h_ != Traits::invalid()) {
            DWORD error = GetLastError();
            Traits::close(h_);
            SetLastError(error);
        }
        h_ = h;
    }
    Type* put() {
        reset();
        return &h_;
    }

private:
    Type h_ = Traits::invalid();
};

struct HandleTraits {
    using Type = HANDLE;
    static Type invalid() { return nullptr; }
    static void close(Type h) { CloseHandle(h); }
};
struct FileTraits {
    using Type = HANDLE;
    static Type invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Type h) { CloseHandle(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type invalid() { return nullptr; }
    static void close(Type h) { FreeLibrary(h); }
};
struct KeyTraits {
    using Type = HKEY;
    static Type invalid() { return nullptr; }
    static void close(Type h) { RegCloseKey(h); }
};

// The device context of the whole screen (GetDC(nullptr)).
struct ScreenDcTraits {
    using Type = HDC;
    static Type invalid() { return nullptr; }
    static void close(Type h) { ReleaseDC(nullptr, h); }
};

using UniqueHandle = Unique<HandleTraits>;
using UniqueFile = Unique<FileTraits>;
using UniqueModule = Unique<ModuleTraits>;
using UniqueKey = Unique<KeyTraits>;
using UniqueScreenDc = Unique<ScreenDcTraits>;

// Holds a critical section for one scope.
class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Lock() { LeaveCriticalSection(&cs_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

}  // namespace elk
