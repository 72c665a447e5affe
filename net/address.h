// Host names and IPv4 addresses: the one name lookup of the network family.
#pragma once
#include <winsock2.h>
#include <windows.h>

namespace elk::net {

// The first IPv4 address of the host (network byte order). 0, the Windows
// Sockets code of the failed lookup (WSANO_DATA when the answer holds no
// IPv4 address), or kStatusTimeout (1460) when the resolver has not answered
// within the watchdog's limit; the look-up runs on a thread of its own,
// which a late answer ends unseen.
DWORD lookUpHost(const char* name, in_addr* address);

// A mail server's address: a text that begins with a digit must be a dotted
// address (inet_addr's reading), anything else is looked up by name. 0, or
// WSAHOST_NOT_FOUND for an unknown name, a text that is no address, or the
// address of all ones; kStatusTimeout when the look-up did not answer.
DWORD resolveServer(const char* server, in_addr* address);

}  // namespace elk::net
