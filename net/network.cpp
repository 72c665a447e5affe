// Start and stop of the network layer: the watchdog table with its lock,
// Windows Sockets and the watchdog thread, started in that order and taken
// down in reverse.
#include <winsock2.h>
#include <windows.h>

#include <optional>

#include "base/startup_services.h"
#include "include/elkBase.h"
#include "net/watchdog.h"

namespace elk {

namespace {

using net::ReleaseCode;
using net::StartFailure;

// Windows Sockets 1.1 from construction to destruction.
class Winsock {
public:
    explicit Winsock(ReleaseCode& released) : released_(released) {
        WSADATA data;
        if (WSAStartup(0x0101, &data) != 0) throw StartFailure{ELK_E_GENERAL};
    }
    ~Winsock() {
        if (WSACleanup() != 0) released_.note(WSAGetLastError());
    }
    Winsock(const Winsock&) = delete;
    Winsock& operator=(const Winsock&) = delete;

private:
    ReleaseCode& released_;
};

// The running network layer. The socket calls see its table only while the
// whole layer is up.
class Network {
public:
    Network() { net::publishTable(&table_); }
    ~Network() { net::publishTable(nullptr); }
    Network(const Network&) = delete;
    Network& operator=(const Network&) = delete;

    ReleaseCode& releaseCode() { return released_; }

private:
    ReleaseCode released_;  // first: every other member reports into it
    net::WatchTable table_;
    Winsock winsock_{released_};
    net::Watchdog watchdog_{table_, released_};
};

// Set and cleared only by the library's start-up and shut-down, under the
// library lock.
std::optional<Network> g_network;

}  // namespace

DWORD startNetwork() {
    if (g_network) return 0;
    // A part that fails takes down the parts started before it.
    try {
        g_network.emplace();
    } catch (const StartFailure& failure) {
        return failure.code;
    }
    return 0;
}

DWORD stopNetwork() {
    // A light start never started the layer: there is nothing to stop.
    return takeDown(g_network);
}

}  // namespace elk
