// Shared by the TCP and SMTP tests: the library started with its network
// layer against a temporary installation, and loopback sockets.
#pragma once
#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "include/elkBase.h"
#include "support/library.h"

namespace elktest {

// Starts the library (network layer included) with the watchdog's times set
// through its test hook, "" for the real ones. The test's own sockets have a
// Windows Sockets start of their own, so they do not depend on the library's.
class NetLibrary : public LibraryTest {
protected:
    explicit NetLibrary(const wchar_t* watchdog = L"2,250") : watchdog_(watchdog) {}
    void SetUp() override {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
        SetEnvironmentVariableW(L"ELK_NET_WATCHDOG", *watchdog_ ? watchdog_ : nullptr);
        start(0);
    }
    void TearDown() override {
        EXPECT_EQ(stop(), 0u);
        SetEnvironmentVariableW(L"ELK_NET_WATCHDOG", nullptr);
        WSACleanup();
    }

private:
    const wchar_t* watchdog_;
};

// A listening socket on 127.0.0.1 with a port of the system's choice.
inline SOCKET listenLoopback(unsigned short* port) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof a;
    if (s == INVALID_SOCKET || bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 128) != 0 ||
        getsockname(s, reinterpret_cast<sockaddr*>(&a), &size) != 0)
        ADD_FAILURE() << "no loopback listener: " << WSAGetLastError();
    *port = ntohs(a.sin_port);
    return s;
}

inline sockaddr_in loopbackAddress(unsigned short port) {
    sockaddr_in a = {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    return a;
}

inline double secondsSince(ULONGLONG startMs) { return (GetTickCount64() - startMs) / 1000.0; }

}  // namespace elktest
