// The TCP exports: the caller's socket calls, each blocking one under the
// watchdog (net/watchdog.h).
#include <winsock2.h>
#include <windows.h>

#include <climits>

#include "include/elkBase.h"
#include "net/watchdog.h"

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

}  // extern "C"
