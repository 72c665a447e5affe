// Test double of NetApi32.dll for the domain detection: the workstation query
// fails ELK_DOMAIN_FAILS times (NERR_WkstaNotStarted), then answers an empty
// domain ELK_DOMAIN_EMPTY times, then ELK_DOMAIN_NAME (default "ELKDOMAIN").
// The calls are counted in the process's environment (ELK_DOMAIN_CALLS), so
// the count survives the library's unloading of the double; each call's tick
// count goes as a line "call N at T" to the file ELK_NETAPI_RECORD.
#include <windows.h>
#include <lm.h>

#include <cwchar>
#include <string>

#include "net/record.h"

namespace {

std::wstring text(const wchar_t* variable, const wchar_t* fallback) {
    wchar_t value[256];
    DWORD n = GetEnvironmentVariableW(variable, value, ARRAYSIZE(value));
    return n == 0 || n >= ARRAYSIZE(value) ? fallback : value;
}

}  // namespace

extern "C" {

NET_API_STATUS WINAPI NetWkstaGetInfo(LMSTR, DWORD level, LPBYTE* buffer) {
    unsigned long call = elkdouble::setting(L"ELK_DOMAIN_CALLS", 0) + 1;
    SetEnvironmentVariableW(L"ELK_DOMAIN_CALLS", std::to_wstring(call).c_str());
    elkdouble::record(L"ELK_NETAPI_RECORD",
                      "call " + std::to_string(call) + " at " + std::to_string(GetTickCount()) + "\n");
    if (level != 100 || !buffer) return ERROR_INVALID_LEVEL;
    unsigned long fails = elkdouble::setting(L"ELK_DOMAIN_FAILS", 0);
    unsigned long empty = elkdouble::setting(L"ELK_DOMAIN_EMPTY", 0);
    if (call <= fails) return NERR_WkstaNotStarted;
    std::wstring domain = call <= fails + empty ? L"" : text(L"ELK_DOMAIN_NAME", L"ELKDOMAIN");
    struct Block {
        WKSTA_INFO_100 info;
        wchar_t computer[16];
        wchar_t domain[256];
    };
    auto* block = static_cast<Block*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Block)));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    std::wmemcpy(block->computer, L"ELKHOST", 8);
    std::wmemcpy(block->domain, domain.c_str(), domain.size() + 1);
    block->info.wki100_platform_id = PLATFORM_ID_NT;
    block->info.wki100_computername = block->computer;
    block->info.wki100_langroup = block->domain;
    block->info.wki100_ver_major = 5;
    block->info.wki100_ver_minor = 1;
    *buffer = reinterpret_cast<LPBYTE>(block);
    return 0;
}

NET_API_STATUS WINAPI NetApiBufferFree(LPVOID buffer) {
    if (buffer) HeapFree(GetProcessHeap(), 0, buffer);
    return 0;
}
}
