// The socket watchdog: a table of the blocking socket calls in progress and
// a thread that breaks any of them that runs too long. The TCP exports and
// the SMTP client's reply reader make their calls through watched(); the
// network layer (net/network.cpp) owns the table and the thread.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include "base/handles.h"
#include "base/release.h"

namespace elk::net {

// Why the network layer could not start: the code startNetwork returns.
struct StartFailure {
    DWORD code;
};

using elk::ReleaseCode;

// Milliseconds from a counter that a change of the system time does not
// move. GetTickCount wraps after 49.7 days; ages are unsigned differences,
// which stay right across the wrap.
inline DWORD ticksNow() { return GetTickCount(); }

// The 100 slots, one per blocking call in progress, and the lock that guards
// them (never held during the call itself).
class WatchTable {
public:
    static constexpr int kSlots = 100;
    static constexpr int kNoSlot = -1;

    WatchTable();
    WatchTable(const WatchTable&) = delete;
    WatchTable& operator=(const WatchTable&) = delete;

    // The lowest free slot, holding the socket and its start, or kNoSlot.
    int enter(SOCKET socket, DWORD start);
    // Frees the slot; true when the watchdog broke its call meanwhile.
    bool leave(int slot);
    // Shuts down the socket of every call older than limitMs (and cancels its
    // pending I/O where the system can). The slots stay taken: each call
    // frees its own when it returns, and until then every scan breaks it again.
    void breakOverdue(DWORD now, DWORD limitMs, BOOL(WINAPI* cancelIo)(HANDLE, OVERLAPPED*));

private:
    struct Slot {
        SOCKET socket;
        DWORD start;  // ticksNow() when the call began
        bool broken;  // shut down by the watchdog while the call ran
    };
    CriticalSection lock_;
    Slot slots_[kSlots];
};

// The thread that scans the table, with its stop event. Both are there from
// construction to destruction; a failure to create either throws StartFailure.
class Watchdog {
public:
    Watchdog(WatchTable& table, ReleaseCode& released);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    static DWORD WINAPI run(void* self);

    WatchTable& table_;
    ReleaseCode& released_;
    DWORD limitMs_;
    DWORD periodMs_;
    BOOL(WINAPI* cancelIo_)(HANDLE, OVERLAPPED*);
    UniqueHandle stop_;
    UniqueHandle thread_;
};

// The watchdog's limit in milliseconds (60 s, or the test hook's shorter
// one): other waits on the outside world are bounded by it too.
DWORD watchLimitMs();

// The table of the running network layer, or null while it is stopped.
void publishTable(WatchTable* table);

// Enters the socket in the running layer's table. WatchTable::kNoSlot with
// *status set when the layer is not running or every slot is in use.
int registerCall(SOCKET socket, DWORD* status);
// Frees the slot, keeping the thread's socket error; true when the watchdog
// broke the call meanwhile.
bool releaseCall(int slot);

// Makes one blocking socket call with its socket in the watchdog table.
// `call` returns 0 or WSAGetLastError(). Without a free slot the call is not
// made and the table's status is returned. *broken (when given) tells whether
// the watchdog shut the socket down while the call ran.
template <typename Call>
DWORD watched(SOCKET socket, Call call, bool* broken = nullptr) {
    if (broken) *broken = false;
    DWORD status = 0;
    int slot = registerCall(socket, &status);
    if (slot == WatchTable::kNoSlot) return status;
    status = call();
    bool wasBroken = releaseCall(slot);
    if (broken) *broken = wasBroken;
    return status;
}

}  // namespace elk::net
