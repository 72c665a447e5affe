// The watched TCP layer: every blocking socket call stands in a table while it
// runs, and a watchdog thread shuts down the socket of any call that has run
// too long. Also name and address conversions and the INI's server addresses.
#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <climits>
#include <cwchar>

#include "base/handles.h"
#include "base/internal.h"
#include "base/services.h"
#include "base/suite/ozrCmnOS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "net/core/dotted.h"
#include "net/watchdog.h"

namespace elk::net {

namespace {

constexpr int kSlots = 100;
constexpr LONGLONG kLimitSeconds = 60;
constexpr DWORD kPeriodMs = 30000;

struct Slot {
    SOCKET socket;
    LONGLONG start;  // seconds since 1970
    bool broken;     // shut down by the watchdog while the call ran
};

struct Network {
    DWORD refCount;
    CRITICAL_SECTION lock;
    bool lockCreated;
    bool socketsStarted;
    std::atomic<bool> running;
    HANDLE stopEvent;
    HANDLE thread;
    BOOL(WINAPI* cancelIo)(HANDLE, OVERLAPPED*);
    LONGLONG limitSeconds;
    DWORD periodMs;
    Slot slots[kSlots];
};

Network g_net;

LONGLONG nowSeconds() {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER ticks;
    ticks.LowPart = now.dwLowDateTime;
    ticks.HighPart = now.dwHighDateTime;
    constexpr ULONGLONG kEpochTicks = 116444736000000000ull;  // 1601 to 1970 in 100 ns
    return static_cast<LONGLONG>((ticks.QuadPart - kEpochTicks) / 10000000ull);
}

// Test hook: ELK_NET_WATCHDOG = "LIMIT_SECONDS,PERIOD_MS" shortens the
// watchdog's 60 s limit and 30 s scan period; read at the first network start.
void readWatchdogTimes() {
    g_net.limitSeconds = kLimitSeconds;
    g_net.periodMs = kPeriodMs;
    wchar_t value[64];
    DWORD n = GetEnvironmentVariableW(L"ELK_NET_WATCHDOG", value, ARRAYSIZE(value));
    if (n == 0 || n >= ARRAYSIZE(value)) return;
    wchar_t* end = nullptr;
    unsigned long limit = std::wcstoul(value, &end, 10);
    if (end == value || *end != L',') return;
    const wchar_t* periodText = end + 1;
    unsigned long period = std::wcstoul(periodText, &end, 10);
    if (end == periodText || *end != L'\0' || period == 0) return;
    g_net.limitSeconds = static_cast<LONGLONG>(limit);
    g_net.periodMs = static_cast<DWORD>(period);
}

DWORD WINAPI watchdog(void*) {
    for (;;) {
        LONGLONG limit = nowSeconds() - g_net.limitSeconds;
        {
            Lock hold(g_net.lock);
            // The slot stays taken: its call frees it when it returns, and
            // until then every scan breaks it again. A shutdown alone does not
            // end a call that is already blocked under Wine, nor an accept
            // anywhere (a listening socket refuses the shutdown): cancelling
            // the socket's pending I/O does.
            for (Slot& slot : g_net.slots)
                if (slot.socket != INVALID_SOCKET && slot.start < limit) {
                    shutdown(slot.socket, SD_BOTH);
                    if (g_net.cancelIo) g_net.cancelIo(reinterpret_cast<HANDLE>(slot.socket), nullptr);
                    slot.broken = true;
                }
        }
        if (WaitForSingleObject(g_net.stopEvent, g_net.periodMs) != WAIT_TIMEOUT) return 0;
    }
}

// A socket call under the watchdog; `call` returns 0 or WSAGetLastError().
template <typename Call>
DWORD watched(SOCKET socket, Call call) {
    DWORD status = 0;
    int slot = registerCall(socket, &status);
    if (slot == kNoSlot) return status;
    DWORD rc = call();
    releaseCall(slot);
    return rc;
}

DWORD obtainAddress(const wchar_t* key, DWORD* address) {
    wchar_t value[260] = {};
    basGetProfileString(L"Communication", key, L"", value, ARRAYSIZE(value));
    if (value[0] == L'\0') return ELK_E_INI_VALUE_EMPTY;
    char text[260] = {};
    WideCharToMultiByte(CP_ACP, dep_strUnicodeToNormalFlags(0), value, -1, text, sizeof text, nullptr, nullptr);
    text[sizeof text - 1] = '\0';
    return basString2Address(address, text);
}

}  // namespace

int registerCall(SOCKET socket, DWORD* status) {
    if (!g_net.running) {
        *status = WSANOTINITIALISED;
        return kNoSlot;
    }
    LONGLONG start = nowSeconds();
    Lock hold(g_net.lock);
    for (int i = 0; i < kSlots; ++i)
        if (g_net.slots[i].socket == INVALID_SOCKET) {
            g_net.slots[i] = {socket, start, false};
            return i;
        }
    *status = ELK_E_TCP_TABLE_FULL;
    return kNoSlot;
}

bool releaseCall(int slot) {
    DWORD error = WSAGetLastError();
    Lock hold(g_net.lock);
    bool broken = g_net.slots[slot].broken;
    g_net.slots[slot].socket = INVALID_SOCKET;
    WSASetLastError(error);
    return broken;
}

}  // namespace elk::net

namespace elk {

DWORD startNetwork() {
    using net::g_net;
    if (g_net.refCount++ != 0) return 0;
    InitializeCriticalSection(&g_net.lock);
    g_net.lockCreated = true;
    net::readWatchdogTimes();
    // Vista and later.
    g_net.cancelIo = bindProc<decltype(g_net.cancelIo)>(GetModuleHandleW(L"kernel32.dll"), "CancelIoEx");
    WSADATA data;
    if (WSAStartup(0x0101, &data) != 0) return ELK_E_GENERAL;
    g_net.socketsStarted = true;
    g_net.stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!g_net.stopEvent) return GetLastError();
    for (net::Slot& slot : g_net.slots) slot.socket = INVALID_SOCKET;
    g_net.running = true;
    g_net.thread = CreateThread(nullptr, 0, net::watchdog, nullptr, 0, nullptr);
    if (!g_net.thread) return GetLastError();
    return 0;
}

DWORD stopNetwork() {
    using net::g_net;
    // A light start never started the layer; there is nothing to stop.
    if (g_net.refCount == 0 || --g_net.refCount != 0) return 0;
    DWORD rc = 0;
    if (g_net.stopEvent) SetEvent(g_net.stopEvent);
    if (g_net.thread) {
        if (DWORD code = basStopThread(g_net.thread)) rc = code;
        g_net.thread = nullptr;
    }
    g_net.running = false;
    if (g_net.socketsStarted) {
        if (WSACleanup() != 0) rc = WSAGetLastError();
        g_net.socketsStarted = false;
    }
    if (g_net.stopEvent) {
        if (!CloseHandle(g_net.stopEvent)) rc = GetLastError();
        g_net.stopEvent = nullptr;
    }
    if (g_net.lockCreated) {
        DeleteCriticalSection(&g_net.lock);
        g_net.lockCreated = false;
    }
    return rc;
}

}  // namespace elk

using elk::net::watched;

extern "C" {

DWORD WINAPI tcpConnect(UINT_PTR socket, const struct sockaddr* address, int addressLength) {
    return watched(socket, [&]() -> DWORD {
        return connect(socket, address, addressLength) == SOCKET_ERROR ? WSAGetLastError() : 0;
    });
}

DWORD WINAPI tcpAccept(UINT_PTR socket, struct sockaddr* address, int* addressLength, UINT_PTR* accepted) {
    if (!accepted) return ERROR_INVALID_PARAMETER;
    *accepted = INVALID_SOCKET;
    return watched(socket, [&]() -> DWORD {
        SOCKET connection = accept(socket, address, addressLength);
        if (connection == INVALID_SOCKET) return WSAGetLastError();
        *accepted = connection;
        return 0;
    });
}

DWORD WINAPI tcpSend(UINT_PTR socket, const void* data, int length, int flags) {
    return watched(socket, [&]() -> DWORD {
        return send(socket, static_cast<const char*>(data), length, flags) == SOCKET_ERROR ? WSAGetLastError() : 0;
    });
}

DWORD WINAPI tcpRecv(UINT_PTR socket, void* buffer, int* length, int flags, DWORD timeout) {
    if (!length) return ERROR_INVALID_PARAMETER;
    if (timeout != 0) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket, &readable);
        timeval limit = {timeout > LONG_MAX ? LONG_MAX : static_cast<long>(timeout), 0};
        int ready = select(0, &readable, nullptr, nullptr, &limit);
        if (ready == SOCKET_ERROR) {
            if (DWORD error = WSAGetLastError()) return error;
        } else if (ready == 0) {
            return ERROR_TIMEOUT;
        }
    }
    int capacity = *length;
    DWORD rc = watched(socket, [&]() -> DWORD {
        int n = recv(socket, static_cast<char*>(buffer), capacity, flags);
        if (n == SOCKET_ERROR) return WSAGetLastError();
        *length = n;
        return 0;
    });
    if (rc != 0) *length = 0;
    return rc;
}

DWORD WINAPI tcpClose(UINT_PTR socket) {
    // Only the close counts; the shutdown just tells the peer first.
    shutdown(socket, SD_BOTH);
    return closesocket(socket) == SOCKET_ERROR ? WSAGetLastError() : 0;
}

DWORD WINAPI basString2Address(DWORD* address, const char* text) {
    if (!address || !text) return ERROR_INVALID_PARAMETER;
    if (elk::net::parseDotted(text, reinterpret_cast<std::uint8_t*>(address))) return 0;
    hostent* host = gethostbyname(text);
    if (!host) return WSAGetLastError();
    if (host->h_length != 4 || !host->h_addr_list || !host->h_addr_list[0]) return WSANO_DATA;
    CopyMemory(address, host->h_addr_list[0], 4);
    return 0;
}

void WINAPI basAddress2String(wchar_t* text, DWORD capacity, const DWORD* address) {
    if (!text || capacity == 0) return;
    text[0] = L'\0';
    if (!address) return;
    hostent* host = gethostbyaddr(reinterpret_cast<const char*>(address), 4, AF_INET);
    const char* name = host && host->h_name ? host->h_name : nullptr;
    if (!name) {
        in_addr dotted;
        dotted.s_addr = *address;
        name = inet_ntoa(dotted);
    }
    if (!name) return;
    // Converted whole first: the system leaves a buffer that is too small
    // undefined. Host names have at most 255 characters.
    wchar_t wide[1024];
    if (MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, name, -1, wide, ARRAYSIZE(wide)) <= 0) return;
    elk::copyBounded(text, capacity, wide);
    text[capacity - 1] = L'\0';
}

DWORD WINAPI basObtainServerAddress(DWORD* address) { return elk::net::obtainAddress(L"ServerAddress", address); }

DWORD WINAPI basObtainLastServerAddress(DWORD* address) {
    return elk::net::obtainAddress(L"LastServerAddress", address);
}

}  // extern "C"
