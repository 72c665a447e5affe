// The socket watchdog's table and thread.
#include "net/watchdog.h"

#include <atomic>
#include <cwchar>

#include "base/bind.h"
#include "include/elkBase.h"

namespace elk::net {

namespace {

constexpr DWORD kLimitMs = 60 * 1000;
constexpr DWORD kPeriodMs = 30 * 1000;
// Ages beyond half the tick counter's range would read as young again.
constexpr unsigned long kMaxLimitSeconds = 0x7FFFFFFFul / 1000;

std::atomic<WatchTable*> g_table{nullptr};

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
    // limit and the 30 s scan period.
    wchar_t value[64];
    DWORD n = GetEnvironmentVariableW(L"ELK_NET_WATCHDOG", value, ARRAYSIZE(value));
    if (n != 0 && n < ARRAYSIZE(value)) {
        wchar_t* end = nullptr;
        unsigned long limit = std::wcstoul(value, &end, 10);
        if (end != value && *end == L',') {
            const wchar_t* periodText = end + 1;
            unsigned long period = std::wcstoul(periodText, &end, 10);
            if (end != periodText && *end == L'\0' && period != 0) {
                limitMs_ = static_cast<DWORD>((limit < kMaxLimitSeconds ? limit : kMaxLimitSeconds) * 1000);
                periodMs_ = static_cast<DWORD>(period);
            }
        }
    }
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
