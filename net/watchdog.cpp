// The socket watchdog's table and thread.
#include "net/watchdog.h"

#include <atomic>
#include <cwchar>

#include "base/bind.h"
#include "base/wide.h"
#include "include/elkBase.h"

namespace elk::net {

namespace {

constexpr DWORD kLimitMs = 60 * 1000;
constexpr DWORD kPeriodMs = 30 * 1000;
constexpr unsigned long kMinPeriodMs = 100;

std::atomic<WatchTable*> g_table{nullptr};
std::atomic<DWORD> g_limitMs{kLimitMs};

}  // namespace

WatchTable::WatchTable() {
    for (Slot& slot : slots_) slot = {INVALID_SOCKET, 0, false};
}

int WatchTable::enter(SOCKET socket, DWORD start) {
    Lock hold(lock_);
    for (int i = 0; i < kSlots; ++i)
        if (slots_[i].socket == INVALID_SOCKET) {
            slots_[i] = {socket, start, false};
            return i;
        }
    return kNoSlot;
}

bool WatchTable::leave(int slot) {
    Lock hold(lock_);
    bool broken = slots_[slot].broken;
    slots_[slot].socket = INVALID_SOCKET;
    return broken;
}

void WatchTable::breakOverdue(DWORD now, DWORD limitMs, BOOL(WINAPI* cancelIo)(HANDLE, OVERLAPPED*)) {
    Lock hold(lock_);
    // A shutdown alone does not end a call that is already blocked under
    // Wine, nor an accept anywhere (a listening socket refuses the shutdown):
    // cancelling the socket's pending I/O does.
    for (Slot& slot : slots_)
        if (slot.socket != INVALID_SOCKET && static_cast<DWORD>(now - slot.start) > limitMs) {
            shutdown(slot.socket, SD_BOTH);
            if (cancelIo) cancelIo(reinterpret_cast<HANDLE>(slot.socket), nullptr);
            slot.broken = true;
        }
}

Watchdog::Watchdog(WatchTable& table, ReleaseCode& released)
    : table_(table), released_(released), limitMs_(kLimitMs), periodMs_(kPeriodMs) {
    // Test hook: ELK_NET_WATCHDOG = "LIMIT_SECONDS,PERIOD_MS" shortens the 60 s
    // limit and the 30 s scan period. The shipped library reads it too, so it
    // may only shorten them, and not so far that healthy calls break or the
    // thread spins: anything outside 1-60 s and 100-30000 ms is ignored whole.
    wchar_t value[64];
    DWORD n = GetEnvironmentVariableW(L"ELK_NET_WATCHDOG", value, ARRAYSIZE(value));
    if (n != 0 && n < ARRAYSIZE(value)) {
        const wchar_t* at = value;
        unsigned long limit = 0, period = 0;
        if (boundedNumber(at, 1, kLimitMs / 1000, &limit) && *at++ == L',' &&
            boundedNumber(at, kMinPeriodMs, kPeriodMs, &period) && *at == L'\0') {
            limitMs_ = static_cast<DWORD>(limit * 1000);
            periodMs_ = static_cast<DWORD>(period);
        }
    }
    g_limitMs.store(limitMs_);
    // Vista and later.
    cancelIo_ = bindProc<decltype(cancelIo_)>(GetModuleHandleW(L"kernel32.dll"), "CancelIoEx");
    stop_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!stop_) throw StartFailure{GetLastError()};
    thread_.reset(CreateThread(nullptr, 0, run, this, 0, nullptr));
    if (!thread_) throw StartFailure{GetLastError()};
}

Watchdog::~Watchdog() {
    SetEvent(stop_.get());
    // basStopThread waits for the thread, closes its handle and returns its exit code.
    released_.note(basStopThread(thread_.release()));
    // Closed by hand: a failed close is part of the stop's result.
    if (!CloseHandle(stop_.release())) released_.note(GetLastError());
}

DWORD WINAPI Watchdog::run(void* self) {
    auto& dog = *static_cast<Watchdog*>(self);
    do dog.table_.breakOverdue(ticksNow(), dog.limitMs_, dog.cancelIo_);
    while (WaitForSingleObject(dog.stop_.get(), dog.periodMs_) == WAIT_TIMEOUT);
    return 0;
}

void publishTable(WatchTable* table) { g_table.store(table); }

DWORD watchLimitMs() { return g_limitMs.load(); }

int registerCall(SOCKET socket, DWORD* status) {
    WatchTable* table = g_table.load();
    if (!table) {
        *status = WSANOTINITIALISED;
        return WatchTable::kNoSlot;
    }
    // The start is read before the lock, so waiting for it does not age the call.
    int slot = table->enter(socket, ticksNow());
    if (slot == WatchTable::kNoSlot) *status = ELK_E_TCP_TABLE_FULL;
    return slot;
}

bool releaseCall(int slot) {
    DWORD error = WSAGetLastError();
    bool broken = g_table.load()->leave(slot);
    WSASetLastError(error);
    return broken;
}

}  // namespace elk::net
