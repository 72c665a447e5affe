// Names and addresses: basString2Address, basAddress2String and the lookups
// they share with the SMTP client.
#include "net/address.h"

#include <cstdint>

#include "base/wide.h"
#include "include/elkBase.h"
#include "net/core/dotted.h"

namespace elk::net {

DWORD lookUpHost(const char* name, in_addr* address) {
    hostent* host = gethostbyname(name);
    if (!host) return WSAGetLastError();
    if (host->h_length != 4 || !host->h_addr_list || !host->h_addr_list[0]) return WSANO_DATA;
    CopyMemory(&address->s_addr, host->h_addr_list[0], 4);
    return 0;
}

DWORD resolveServer(const char* server, in_addr* address) {
    address->s_addr = INADDR_NONE;
    if (server[0] >= '0' && server[0] <= '9')
        address->s_addr = inet_addr(server);
    else if (lookUpHost(server, address) != 0)
        address->s_addr = INADDR_NONE;
    return address->s_addr == INADDR_NONE ? WSAHOST_NOT_FOUND : 0;
}

}  // namespace elk::net

extern "C" {

DWORD WINAPI basString2Address(DWORD* address, const char* text) {
    if (!address || !text) return ERROR_INVALID_PARAMETER;
    if (elk::net::parseDotted(text, reinterpret_cast<std::uint8_t*>(address))) return 0;
    return elk::net::lookUpHost(text, reinterpret_cast<in_addr*>(address));
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

}  // extern "C"
