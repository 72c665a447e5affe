// The watched TCP layer against loopback sockets, with the watchdog's times
// shortened through its test hook (limit 2 s, scan every 250 ms).
#include "tests/net/loopback.h"
#include "support/guarded.h"

#include <tlhelp32.h>

#include <atomic>
#include <thread>
#include <vector>

namespace {

using elktest::listenLoopback;
using elktest::loopbackAddress;
using elktest::secondsSince;

// A connected pair made through tcpConnect and tcpAccept.
struct Pair {
    SOCKET listener = INVALID_SOCKET, client = INVALID_SOCKET, server = INVALID_SOCKET;
    Pair() {
        unsigned short port;
        listener = listenLoopback(&port);
        client = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to = loopbackAddress(port);
        EXPECT_EQ(tcpConnect(client, reinterpret_cast<sockaddr*>(&to), sizeof to), 0u);
        sockaddr_in from;
        int size = sizeof from;
        UINT_PTR accepted = 0xdeadbeef;
        EXPECT_EQ(tcpAccept(listener, reinterpret_cast<sockaddr*>(&from), &size, &accepted), 0u);
        server = accepted;
        EXPECT_NE(server, INVALID_SOCKET);
        EXPECT_EQ(size, static_cast<int>(sizeof from));
        EXPECT_EQ(from.sin_addr.s_addr, htonl(INADDR_LOOPBACK));
    }
    ~Pair() {
        for (SOCKET s : {listener, client, server})
            if (s != INVALID_SOCKET) closesocket(s);
    }
};

class Tcp : public elktest::NetLibrary {};

TEST_F(Tcp, AcceptedConnectionCarriesData) {
    Pair p;
    EXPECT_EQ(tcpSend(p.server, "hello", 5, 0), 0u);
    char buffer[16];
    int length = sizeof buffer;
    EXPECT_EQ(tcpRecv(p.client, buffer, &length, 0, 5), 0u);
    ASSERT_EQ(length, 5);
    EXPECT_EQ(std::string(buffer, 5), "hello");
    // The accepted socket is the caller's: the layer closes it like any other.
    EXPECT_EQ(tcpClose(p.server), 0u);
    p.server = INVALID_SOCKET;
    length = sizeof buffer;
    EXPECT_EQ(tcpRecv(p.client, buffer, &length, 0, 5), 0u);
    EXPECT_EQ(length, 0) << "the peer has closed";
}

TEST_F(Tcp, AcceptWithoutRoomForTheSocketAcceptsNothing) {
    unsigned short port;
    SOCKET listener = listenLoopback(&port);
    EXPECT_EQ(tcpAccept(listener, nullptr, nullptr, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    closesocket(listener);
}

TEST_F(Tcp, RecvTimeoutLeavesLengthAsItWas) {
    Pair p;
    char buffer[16];
    int length = 11;
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(tcpRecv(p.client, buffer, &length, 0, 1), static_cast<DWORD>(ERROR_TIMEOUT));
    EXPECT_GE(secondsSince(start), 0.9);
    EXPECT_LT(secondsSince(start), 1.9) << "the watchdog is not what ended the wait";
    EXPECT_EQ(length, 11);
}

TEST_F(Tcp, RecvFailureGivesItsCodeAndLengthZero) {
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    char buffer[16];
    int length = sizeof buffer;
    EXPECT_EQ(tcpRecv(s, buffer, &length, 0, 0), static_cast<DWORD>(WSAENOTCONN));
    EXPECT_EQ(length, 0);
    EXPECT_EQ(tcpRecv(s, buffer, nullptr, 0, 0), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    closesocket(s);
    length = sizeof buffer;
    // A closed socket already fails in the wait.
    EXPECT_EQ(tcpRecv(s, buffer, &length, 0, 1), static_cast<DWORD>(WSAENOTSOCK));
    EXPECT_EQ(length, static_cast<int>(sizeof buffer));
    EXPECT_EQ(tcpClose(s), static_cast<DWORD>(WSAENOTSOCK));
    EXPECT_EQ(tcpSend(s, "x", 1, 0), static_cast<DWORD>(WSAENOTSOCK));
}

TEST_F(Tcp, ShortSendCountsAsSuccess) {
    Pair p;
    // A non-blocking socket takes what fits its buffers and returns at once.
    u_long nonBlocking = 1;
    ASSERT_EQ(ioctlsocket(p.client, FIONBIO, &nonBlocking), 0);
    int small = 8192;
    setsockopt(p.client, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<char*>(&small), sizeof small);
    setsockopt(p.server, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<char*>(&small), sizeof small);
    const int block = 32 << 20;
    std::vector<char> data(block, 'x');
    EXPECT_EQ(tcpSend(p.client, data.data(), block, 0), 0u);
    // The peer gets part of the block and no more: the rest was never sent.
    long long total = 0;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        int length = static_cast<int>(buffer.size());
        DWORD rc = tcpRecv(p.server, buffer.data(), &length, 0, 1);
        if (rc == ERROR_TIMEOUT) break;
        ASSERT_EQ(rc, 0u);
        ASSERT_GT(length, 0);
        total += length;
    }
    EXPECT_GT(total, 0);
    EXPECT_LT(total, block);
}

TEST_F(Tcp, WatchdogBreaksSilentRecvAndAccept) {
    Pair p;
    char buffer[16];
    int length = sizeof buffer;
    ULONGLONG start = GetTickCount64();
    DWORD rc = tcpRecv(p.client, buffer, &length, 0, 0);
    double took = secondsSince(start);
    // More than the 2 s limit, at most limit + one second of clock + a scan.
    EXPECT_GE(took, 1.9);
    EXPECT_LT(took, 4.5);
    if (rc == 0) {
        EXPECT_EQ(length, 0) << "a broken receive delivers nothing";
    }
    // The watchdog shut the socket down: no more data can come in.
    EXPECT_EQ(tcpSend(p.server, "late", 4, 0), 0u);
    length = sizeof buffer;
    rc = tcpRecv(p.client, buffer, &length, 0, 1);
    EXPECT_TRUE(rc != 0 || length == 0) << "received after the shutdown: " << length;

    unsigned short port;
    SOCKET listener = listenLoopback(&port);
    UINT_PTR accepted = 0;
    start = GetTickCount64();
    rc = tcpAccept(listener, nullptr, nullptr, &accepted);
    took = secondsSince(start);
    EXPECT_NE(rc, 0u);
    EXPECT_EQ(accepted, INVALID_SOCKET);
    EXPECT_GE(took, 1.9);
    EXPECT_LT(took, 4.5);
    closesocket(listener);
}

// The shipped library reads the hook too: it may only shorten the bound, to
// no less than 1 s and 100 ms. Each row restarts the layer with its value and
// waits for a reply that comes after 1.5 s: a hook that was taken with a limit
// of 1 s (or less) breaks the wait, one that was ignored leaves the real 60 s.
TEST_F(Tcp, WatchdogHookOnlyShortensWithinLimits) {
    const struct {
        const wchar_t* hook;
        bool breaks;
    } rows[] = {
        /* 0 the shortest bound taken */ {L"1,100", true},
        /* 1 leading zeros */ {L"01,0100", true},
        /* 2 a limit of 0 would break healthy calls */ {L"0,250", false},
        /* 3 */ {L"0,1", false},
        /* 4 a scan more often than every 100 ms */ {L"1,99", false},
        /* 5 */ {L"1,0", false},
        /* 6 longer than the real times */ {L"61,250", false},
        /* 7 */ {L"1,30001", false},
        /* 8 */ {L"4294967295,4294967295", false},
        /* 9 */ {L"99999999999999999999,250", false},
        /* 10 only plain digits */ {L" 1,250", false},
        /* 11 */ {L"+1,250", false},
        /* 12 */ {L"1,+250", false},
        /* 13 */ {L"1, 250", false},
        /* 14 */ {L"1,250 ", false},
        /* 15 */ {L"1;250", false},
        /* 16 */ {L"1", false},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        ASSERT_EQ(basFreeLibraryExt(0), 0u) << "row " << i;
        SetEnvironmentVariableW(L"ELK_NET_WATCHDOG", rows[i].hook);
        ASSERT_EQ(basInitLibraryExt(0), 0u) << "row " << i;
        Pair p;
        std::thread late([&] {
            Sleep(1500);
            send(p.server, "x", 1, 0);
        });
        char buffer[16];
        int length = sizeof buffer;
        ULONGLONG start = GetTickCount64();
        DWORD rc = tcpRecv(p.client, buffer, &length, 0, 0);
        double took = secondsSince(start);
        late.join();
        if (rows[i].breaks) {
            EXPECT_TRUE(rc != 0 || length == 0) << "row " << i;
            EXPECT_LT(took, 1.45) << "row " << i;
        } else {
            EXPECT_EQ(rc, 0u) << "row " << i;
            EXPECT_EQ(length, 1) << "row " << i;
            EXPECT_GE(took, 1.4) << "row " << i;
        }
    }
}

// Every slot taken by a blocked receive: the next watched call is not made.
class TcpFullTable : public elktest::NetLibrary {
protected:
    TcpFullTable() : NetLibrary(L"30,250") {}
};

TEST_F(TcpFullTable, CallBeyondHundredIsRefused) {
    std::vector<std::unique_ptr<Pair>> pairs;
    for (int i = 0; i < 101; ++i) pairs.push_back(std::make_unique<Pair>());
    std::atomic<int> ended{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < 100; ++i)
        threads.emplace_back([&, i] {
            char buffer[4];
            int length = sizeof buffer;
            // The probe below holds a slot for a moment too: try again then.
            while (tcpRecv(pairs[i]->client, buffer, &length, 0, 0) == ELK_E_TCP_TABLE_FULL) {
                length = sizeof buffer;
                Sleep(5);
            }
            ++ended;
        });
    Pair& spare = *pairs[100];
    DWORD rc = 0;
    ULONGLONG start = GetTickCount64();
    // The receives register as their threads get to run.
    while ((rc = tcpSend(spare.client, "x", 1, 0)) == 0 && secondsSince(start) < 20) Sleep(20);
    EXPECT_EQ(rc, ELK_E_TCP_TABLE_FULL);
    char buffer[4];
    int length = sizeof buffer;
    EXPECT_EQ(tcpRecv(spare.client, buffer, &length, 0, 0), ELK_E_TCP_TABLE_FULL);
    EXPECT_EQ(length, 0);
    UINT_PTR accepted = 0;
    EXPECT_EQ(tcpAccept(spare.listener, nullptr, nullptr, &accepted), ELK_E_TCP_TABLE_FULL);
    EXPECT_EQ(ended, 0);
    // One receive returns (its peer sends), its slot is free again.
    EXPECT_EQ(send(pairs[0]->server, "y", 1, 0), 1);
    threads[0].join();
    EXPECT_EQ(tcpSend(spare.client, "x", 1, 0), 0u);
    for (int i = 1; i < 100; ++i) send(pairs[i]->server, "y", 1, 0);
    for (int i = 1; i < 100; ++i) threads[i].join();
    EXPECT_EQ(ended, 100);
}

TEST(String2Address, DottedTextNeedsNoLookup) {
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    // The system's lookup reads these texts differently (or not at all), so
    // the library's answer shows that it did not ask.
    const struct {
        const char* text;
        BYTE bytes[4];
    } rows[] = {
        /* 0 */ {"192.168.1.20", {192, 168, 1, 20}},
        /* 1 */ {"010.0.0.1", {10, 0, 0, 1}},
        /* 2 */ {"10.1.2.3.4", {10, 1, 2, 3}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        DWORD address = 0xdeadbeef;
        EXPECT_EQ(basString2Address(&address, rows[i].text), 0u) << "row " << i;
        EXPECT_EQ(memcmp(&address, rows[i].bytes, 4), 0) << "row " << i;
    }
    EXPECT_EQ(basString2Address(nullptr, "1.2.3.4"), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    DWORD address;
    EXPECT_EQ(basString2Address(&address, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    WSACleanup();
}

class Addresses : public elktest::NetLibrary {};

TEST_F(Addresses, OtherTextIsLookedUpWhole) {
    // Whatever the system's lookup makes of these, the library's answer is the same.
    const char* rows[] = {"256.1.1.1", "1.2.3", "1..2.3", "1.2.3.4x", "localhost", "no-such-host.invalid"};
    for (size_t i = 0; i < std::size(rows); ++i) {
        hostent* host = gethostbyname(rows[i]);
        DWORD expectedRc = host ? 0 : WSAGetLastError();
        DWORD expected = 0;
        if (host) memcpy(&expected, host->h_addr_list[0], 4);
        DWORD address = 0;
        EXPECT_EQ(basString2Address(&address, rows[i]), expectedRc) << "row " << i << " " << rows[i];
        if (expectedRc == 0) {
            EXPECT_EQ(address, expected) << "row " << i;
        }
    }
    DWORD address = 0;
    ASSERT_EQ(basString2Address(&address, "localhost"), 0u);
    EXPECT_EQ(address, htonl(INADDR_LOOPBACK));
}

TEST_F(Addresses, Address2StringIsBounded) {
    DWORD loopback = htonl(INADDR_LOOPBACK);
    hostent* host = gethostbyaddr(reinterpret_cast<const char*>(&loopback), 4, AF_INET);
    ASSERT_NE(host, nullptr);
    std::string name = host->h_name;
    ASSERT_GT(name.size(), 3u);
    elktest::GuardedText text(4, L'#', 8);
    basAddress2String(text.data(), 4, &loopback);
    EXPECT_EQ(text[3], L'\0');
    EXPECT_EQ(text.text(), std::wstring(name.begin(), name.begin() + 3));
    EXPECT_TRUE(text.intact()) << "wrote past the capacity";
    wchar_t full[260];
    basAddress2String(full, 260, &loopback);
    EXPECT_EQ(std::wstring(full), std::wstring(name.begin(), name.end()));
    elktest::GuardedText none(0);
    basAddress2String(none.data(), 0, &loopback);
    EXPECT_TRUE(none.untouched());
}

TEST_F(Addresses, ServerAddressesFromTheIni) {
    DWORD address = 0xdeadbeef;
    EXPECT_EQ(basObtainServerAddress(&address), ELK_E_INI_VALUE_EMPTY);
    EXPECT_EQ(basObtainLastServerAddress(&address), ELK_E_INI_VALUE_EMPTY);
    tree.setIni(L"Communication", L"ServerAddress", L"10.20.30.40");
    tree.setIni(L"Communication", L"LastServerAddress", L"localhost");
    EXPECT_EQ(basObtainServerAddress(&address), 0u);
    EXPECT_EQ(address, htonl(0x0A141E28));
    EXPECT_EQ(basObtainLastServerAddress(&address), 0u);
    EXPECT_EQ(address, htonl(INADDR_LOOPBACK));
}

int threadsOfThisProcess() {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

TEST(NetworkStart, CountedWithTheLibrary) {
    elktest::InstallTree tree;
    tree.addLanguage(1033);
    tree.point();
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
    char buffer[4];
    int length = sizeof buffer;
    // A light start has no network layer.
    ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT), 0u);
    EXPECT_EQ(tcpRecv(s, buffer, &length, 0, 0), static_cast<DWORD>(WSANOTINITIALISED));
    EXPECT_EQ(basFreeLibraryExt(ELK_INIT_LIGHT), 0u);

    int before = threadsOfThisProcess();
    ASSERT_EQ(basInitLibraryExt(0), 0u);
    int running = threadsOfThisProcess();
    EXPECT_GT(running, before) << "no watchdog thread";
    ASSERT_EQ(basInitLibraryExt(0), 0u);
    EXPECT_EQ(threadsOfThisProcess(), running) << "a second start made a second watchdog";
    EXPECT_EQ(basFreeLibraryExt(0), 0u);
    EXPECT_EQ(threadsOfThisProcess(), running);
    length = sizeof buffer;
    EXPECT_EQ(tcpRecv(s, buffer, &length, 0, 0), static_cast<DWORD>(WSAENOTCONN)) << "the layer still runs";
    EXPECT_EQ(basFreeLibraryExt(0), 0u);
    EXPECT_LT(threadsOfThisProcess(), running) << "the last stop left the watchdog running";
    length = sizeof buffer;
    EXPECT_EQ(tcpRecv(s, buffer, &length, 0, 0), static_cast<DWORD>(WSANOTINITIALISED));
    // A full start freed with the light flag still takes its layer down.
    ASSERT_EQ(basInitLibraryExt(0), 0u);
    EXPECT_EQ(basFreeLibraryExt(ELK_INIT_LIGHT), 0u);
    EXPECT_LT(threadsOfThisProcess(), running);
    length = sizeof buffer;
    EXPECT_EQ(tcpRecv(s, buffer, &length, 0, 0), static_cast<DWORD>(WSANOTINITIALISED));
    closesocket(s);
    WSACleanup();
}

// The one test that waits the real time: no hook, a silent peer.
class RealWatchdog : public elktest::NetLibrary {
protected:
    RealWatchdog() : NetLibrary(L"") {}
};

TEST_F(RealWatchdog, SilentPeerIsBrokenWithin60To90Seconds) {
    Pair p;
    char buffer[16];
    int length = sizeof buffer;
    ULONGLONG start = GetTickCount64();
    DWORD rc = tcpRecv(p.client, buffer, &length, 0, 0);
    double took = secondsSince(start);
    // The limit counts whole seconds and the scans come every 30 s: a call
    // that began just after a scan is broken by the third one, at about 90 s.
    EXPECT_GT(took, 60.0);
    EXPECT_LT(took, 95.0);
    EXPECT_TRUE(rc != 0 || length == 0);
}

}  // namespace
