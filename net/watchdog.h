// The socket watchdog's table, shared by the TCP exports and the SMTP
// client's reply reader.
#pragma once
#include <winsock2.h>

namespace elk::net {

constexpr int kNoSlot = -1;

// Enters the socket in the lowest free slot with the current time. kNoSlot
// when every slot is in use or the network layer is not running; *status is
// then the code for the caller.
int registerCall(SOCKET socket, DWORD* status);
// Frees the slot; true when the watchdog shut the socket down meanwhile.
bool releaseCall(int slot);

}  // namespace elk::net
