// Test double of NetApi32.dll: NetMessageBufferSend records its arguments in
// the file named by ELK_NETAPI_RECORD and answers ELK_NETAPI_SEND_RESULT
// (default 0: the Messenger service took the message); the workstation's
// domain is "ELKTESTDOM".
#include <windows.h>
#include <lm.h>

#include <cwchar>
#include <string>

#include "net/record.h"

extern "C" {

NET_API_STATUS WINAPI NetMessageBufferSend(LPCWSTR server, LPCWSTR to, LPCWSTR from, LPBYTE buffer, DWORD size) {
    // The message's length in bytes is recorded as given; its text only as
    // far as both the size and its terminator allow.
    std::wstring text;
    if (buffer) text.assign(reinterpret_cast<const wchar_t*>(buffer), size / sizeof(wchar_t));
    text = text.c_str();
    elkdouble::record(L"ELK_NETAPI_RECORD", "send size=" + std::to_string(size) + "\nserver=" +
                                                elkdouble::escaped(server) + "\nto=" + elkdouble::escaped(to) +
                                                "\nfrom=" + elkdouble::escaped(from) +
                                                "\ntext=" + elkdouble::escaped(text.c_str()) + "\n");
    return elkdouble::setting(L"ELK_NETAPI_SEND_RESULT", 0);
}

NET_API_STATUS WINAPI NetWkstaGetInfo(LMSTR, DWORD level, LPBYTE* buffer) {
    if (level != 100 || !buffer) return ERROR_INVALID_LEVEL;
    struct Block {
        WKSTA_INFO_100 info;
        wchar_t computer[16];
        wchar_t domain[16];
    };
    auto* block = static_cast<Block*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Block)));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    DWORD n = 16;
    GetComputerNameW(block->computer, &n);
    std::wmemcpy(block->domain, L"ELKTESTDOM", 11);
    block->info.wki100_platform_id = PLATFORM_ID_NT;
    block->info.wki100_computername = block->computer;
    block->info.wki100_langroup = block->domain;
    block->info.wki100_ver_major = 6;
    *buffer = reinterpret_cast<LPBYTE>(block);
    return 0;
}

NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer) {
    if (buffer) HeapFree(GetProcessHeap(), 0, buffer);
    return 0;
}
}
