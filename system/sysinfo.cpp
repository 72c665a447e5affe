// Queries about the machine and the user's session: system version, network
// user and domain, memory, colour depth and the browser component's version.
#include <windows.h>
#include <lm.h>

#include <atomic>

#include "base/bind.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/state.h"
#include "base/wide.h"
#include "include/elkBase.h"

namespace {

using elk::g_state;

constexpr DWORD kNtClasses = ELK_OS_NT4 | ELK_OS_NT50 | ELK_OS_NT51 | ELK_OS_NT52 | ELK_OS_NT6;

// The network user and domain are read without a lock: they are written once
// per start-up, into empty strings, with the first character last, so that a
// reader sees either nothing or the whole name.
wchar_t firstOf(wchar_t* text) { return std::atomic_ref<wchar_t>(text[0]).load(std::memory_order_acquire); }

void publish(wchar_t* out, size_t size, const wchar_t* text) {
    if (!text[0] || firstOf(out)) return;
    elk::copyBounded(out + 1, size - 1, text + 1);
    std::atomic_ref<wchar_t>(out[0]).store(text[0], std::memory_order_release);
}

struct NetNames {
    wchar_t user[ARRAYSIZE(g_state.netUser)] = {};
    wchar_t domain[ARRAYSIZE(g_state.netDomain)] = {};
};

// The account of the process's token.
NetNames tokenNames() {
    NetNames names;
    elk::UniqueHandle token;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_READ, token.put())) return names;
    alignas(TOKEN_USER) BYTE record[2000];
    DWORD size = 0;
    if (!GetTokenInformation(token.get(), TokenUser, record, sizeof(record), &size)) return names;
    DWORD userSize = ARRAYSIZE(names.user), domainSize = ARRAYSIZE(names.domain);
    SID_NAME_USE use;
    if (!LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(record)->User.Sid, names.user, &userSize,
                           names.domain, &domainSize, &use)) {
        names.user[0] = names.domain[0] = L'\0';
        return names;
    }
    // The system's built-in accounts belong to no network domain.
    if (lstrcmpiW(names.domain, L"NT AUTHORITY") == 0) names.domain[0] = L'\0';
    return names;
}

// A machine-wide string value, or ".Default" when it is missing, empty or
// longer than `out` holds (a cut name would be someone else's).
template <size_t N>
void registryName(const wchar_t* key, const wchar_t* value, wchar_t (&out)[N]) {
    out[0] = L'\0';
    elk::UniqueKey opened;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, key, 0, KEY_QUERY_VALUE, opened.put()) == 0) {
        wchar_t text[N + 1];
        DWORD type = 0, bytes = N * sizeof(wchar_t);
        if (RegQueryValueExW(opened.get(), value, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes) == 0 &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            text[bytes / sizeof(wchar_t)] = L'\0';
            if (wcslen(text) < N) elk::copyBounded(out, N, text);
        }
    }
    if (!out[0]) elk::copyBounded(out, N, L".Default");
}

// The log-on names that the 9x network client keeps in the registry.
NetNames registryNames() {
    NetNames names;
    registryName(L"System\\CurrentControlSet\\Control", L"Current User", names.user);
    registryName(L"System\\CurrentControlSet\\Services\\VxD\\VNETSUP", L"Workgroup", names.domain);
    return names;
}

// How often basDomainDetect asks, and how long it waits between attempts.
struct DetectPace {
    unsigned long tries = 300;
    unsigned long waitMs = 1000;
};

// Test hook: ELK_DOMAIN_DETECT = "TRIES,WAIT_MS" may only shorten the wait:
// anything outside 1-300 tries and 0-1000 ms is ignored whole.
DetectPace detectPace() {
    DetectPace pace;
    wchar_t value[64];
    DWORD n = GetEnvironmentVariableW(L"ELK_DOMAIN_DETECT", value, ARRAYSIZE(value));
    if (n == 0 || n >= ARRAYSIZE(value)) return pace;
    const wchar_t* at = value;
    unsigned long tries = 0, waitMs = 0;
    if (elk::boundedNumber(at, 1, pace.tries, &tries) && *at++ == L',' &&
        elk::boundedNumber(at, 0, pace.waitMs, &waitMs) && *at == L'\0') {
        pace.tries = tries;
        pace.waitMs = waitMs;
    }
    return pace;
}

}  // namespace

extern "C" {

DWORD WINAPI basGetOSVersion(OSVERSIONINFOEXW* info) {
    if (!info) return ERROR_INVALID_PARAMETER;
    info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXW);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(info))) return 0;
    info->dwOSVersionInfoSize = sizeof(OSVERSIONINFOW);
    if (GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(info))) return 0;
    return GetLastError();
}

const wchar_t* WINAPI basGetNetUser(void) {
    if (firstOf(g_state.netUser)) return g_state.netUser;
    NetNames names = g_state.osClass & kNtClasses ? tokenNames() : registryNames();
    // Concurrent first calls may all look the names up; one of them writes.
    elk::Lock lock(g_state.libraryLock);
    if (!firstOf(g_state.netUser)) {
        publish(g_state.netDomain, ARRAYSIZE(g_state.netDomain), names.domain);
        publish(g_state.netUser, ARRAYSIZE(g_state.netUser), names.user);
    }
    return g_state.netUser;
}

void WINAPI basDomainDetect(void) {
    using GetInfo = NET_API_STATUS(WINAPI*)(LMSTR, DWORD, BYTE**);
    using FreeBuffer = NET_API_STATUS(WINAPI*)(void*);
    elk::UniqueModule netapi(LoadLibraryW(L"NetApi32.dll"));
    if (!netapi) return;
    auto getInfo = elk::bindProc<GetInfo>(netapi.get(), "NetWkstaGetInfo");
    auto freeBuffer = elk::bindProc<FreeBuffer>(netapi.get(), "NetApiBufferFree");
    if (!getInfo) return;
    const DetectPace pace = detectPace();
    wchar_t name[ARRAYSIZE(g_state.domainName)] = {};
    bool answered = false;
    for (unsigned long attempt = 1; attempt <= pace.tries; ++attempt) {
        BYTE* buffer = nullptr;
        answered = getInfo(nullptr, 100, &buffer) == 0 && buffer;
        if (answered) elk::copyBounded(name, ARRAYSIZE(name), reinterpret_cast<WKSTA_INFO_100*>(buffer)->wki100_langroup);
        if (buffer && freeBuffer) freeBuffer(buffer);
        if (answered && name[0]) break;
        // The network may still be coming up; no point in waiting after the last try.
        if (attempt < pace.tries) Sleep(pace.waitMs);
    }
    if (!answered) return;
    elk::Lock lock(g_state.libraryLock);
    elk::copyBounded(g_state.domainName, ARRAYSIZE(g_state.domainName), name);
}

ULONGLONG WINAPI basGetPhysMemoryStatus(ULONGLONG* total, DWORD* addressSpace) {
    using StatusEx = BOOL(WINAPI*)(MEMORYSTATUSEX*);
    // Not on NT 4 and the first 9x systems.
    auto statusEx = elk::bindProc<StatusEx>(GetModuleHandleW(L"Kernel32.dll"), "GlobalMemoryStatusEx");
    MEMORYSTATUSEX ex = {};
    ex.dwLength = sizeof(ex);
    ULONGLONG available;
    if (statusEx && statusEx(&ex)) {
        if (total) *total = ex.ullTotalPhys;
        available = ex.ullAvailPhys;
    } else {
        MEMORYSTATUS plain = {};
        plain.dwLength = sizeof(plain);
        GlobalMemoryStatus(&plain);
        if (total) *total = plain.dwTotalPhys;
        available = plain.dwAvailPhys;
    }
    if (addressSpace) {
        SYSTEM_INFO system;
        GetSystemInfo(&system);
        ULONG_PTR span = reinterpret_cast<ULONG_PTR>(system.lpMaximumApplicationAddress) -
                         reinterpret_cast<ULONG_PTR>(system.lpMinimumApplicationAddress);
        // The interface has 32 bits; a 64-bit process's span is reported as the most they hold.
        *addressSpace = span > MAXDWORD ? MAXDWORD : static_cast<DWORD>(span);
    }
    return available;
}

BOOL WINAPI basIsEnoughColors(void) {
    elk::UniqueScreenDc screen(GetDC(nullptr));
    return screen && GetDeviceCaps(screen.get(), BITSPIXEL) > 8;
}

DWORD WINAPI basGetIeVersion(DWORD* high, DWORD* low) {
    wchar_t folder[MAX_PATH], path[MAX_PATH];
    UINT n = GetSystemDirectoryW(folder, ARRAYSIZE(folder));
    if (n == 0) return GetLastError();
    DWORD rc = n < ARRAYSIZE(folder) && elk::composePath(folder, L"shdocvw.dll", path, ARRAYSIZE(path))
                   ? basGetFileVersion(path, high, low)
                   : ERROR_FILENAME_EXCED_RANGE;
    // The revision says nothing about the browser's features.
    if (low) *low &= 0xFFFF0000u;
    return rc;
}

}
