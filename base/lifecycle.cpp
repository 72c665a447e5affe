// Counted start-up and shut-down of the process-wide state, and its getters.
#include <windows.h>
#include <lm.h>

#include <utility>

#include "base/core/osclass.h"
#include "base/handles.h"
#include "base/internal.h"
#include "base/services.h"
#include "base/state.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"

namespace elk {

State g_state;

namespace {

constexpr DWORD kReducedStart = ELK_INIT_NO_CRT_LOCALE | ELK_INIT_NO_LOCALES;

// 0, or the last-error code when the system answers neither version query.
DWORD classifySystem() {
    OSVERSIONINFOEXW ex = {};
    ex.dwOSVersionInfoSize = sizeof(ex);
    OSVERSIONINFOW* info = reinterpret_cast<OSVERSIONINFOW*>(&ex);
    if (!GetVersionExW(info)) {
        OSVERSIONINFOW plain = {};
        plain.dwOSVersionInfoSize = sizeof(plain);
        if (!GetVersionExW(&plain)) {
            g_state.osClass = 0;
            return GetLastError();
        }
        ex.dwPlatformId = plain.dwPlatformId;
        ex.dwMajorVersion = plain.dwMajorVersion;
        ex.dwMinorVersion = plain.dwMinorVersion;
        ex.dwBuildNumber = plain.dwBuildNumber;
    }
    g_state.osClass = classifyOs(ex.dwPlatformId, ex.dwMajorVersion, ex.dwMinorVersion, ex.dwBuildNumber);
    return 0;
}

void readDomainName() {
    using GetInfo = NET_API_STATUS(WINAPI*)(LMSTR, DWORD, BYTE**);
    using FreeBuffer = NET_API_STATUS(WINAPI*)(void*);
    copyBounded(g_state.domainName, ARRAYSIZE(g_state.domainName), g_state.netDomain);
    UniqueModule netapi(LoadLibraryW(L"NetApi32.dll"));
    if (!netapi) return;
    auto getInfo = elk::bindProc<GetInfo>(netapi.get(), "NetWkstaGetInfo");
    auto freeBuffer = elk::bindProc<FreeBuffer>(netapi.get(), "NetApiBufferFree");
    BYTE* buffer = nullptr;
    if (!getInfo || !freeBuffer || getInfo(nullptr, 100, &buffer) != 0 || !buffer) return;
    const auto* info = reinterpret_cast<const WKSTA_INFO_100*>(buffer);
    copyBounded(g_state.domainName, ARRAYSIZE(g_state.domainName), info->wki100_langroup);
    freeBuffer(buffer);
}

DWORD startUp(DWORD flags) {
    if (DWORD rc = cmnbInit(flags & kReducedStart ? 1 : 0)) return rc;
    if (DWORD rc = classifySystem()) return rc;
    if (!(flags & ELK_INIT_NO_CRASH_REPORT)) g_state.crashHandlerInstalled = installCrashHandler();
    g_state.netDomain[0] = g_state.netUser[0] = g_state.iniPath[0] = g_state.languagePath[0] = L'\0';
    if (!isDirectory(fsGetTarvoProgramPath()) || !isDirectory(fsGetTarvoDataPath())) return ELK_E_FOLDER_MISSING;
    basCreatePath(fsGetTarvoDataPath(), L"Tarvo5.ini", g_state.iniPath, ARRAYSIZE(g_state.iniPath));
    if (DWORD rc = basReinitLanguage(flags)) return rc;
    if (!(flags & ELK_INIT_LIGHT)) {
        DWORD size = ARRAYSIZE(g_state.computerName);
        if (!GetComputerNameW(g_state.computerName, &size)) return GetLastError();
        readDomainName();
        startNetwork();
        createSoundLock();
    }
    return 0;
}

// The part of the shut-down that also undoes a failed start-up; the latest
// failure's code wins.
DWORD releaseCore(DWORD rc) {
    if (HMODULE module = std::exchange(g_state.baseLanguage, nullptr))
        if (!FreeLibrary(module)) rc = GetLastError();
    if (DWORD e = releaseAutoComplete()) rc = e;
    if (g_state.crashHandlerInstalled) {
        removeCrashHandler();
        g_state.crashHandlerInstalled = false;
    }
    cmnbFree(0);
    return rc;
}

}  // namespace
}  // namespace elk

using elk::g_state;

extern "C" {

DWORD WINAPI basInitLibraryExt(DWORD flags) {
    elk::Lock lock(g_state.libraryLock);
    if (g_state.refCount++ != 0) return 0;
    DWORD rc = elk::startUp(flags);
    if (rc != 0) {
        g_state.refCount = 0;
        elk::releaseCore(0);
    }
    return rc;
}

DWORD WINAPI basInitLibrary(BOOL crashReports) {
    return basInitLibraryExt(crashReports ? 0 : ELK_INIT_NO_CRASH_REPORT);
}

DWORD WINAPI basFreeLibraryExt(DWORD flags) {
    elk::Lock lock(g_state.libraryLock);
    // A shut-down without a start-up must not wrap the count.
    if (g_state.refCount == 0 || --g_state.refCount != 0) return 0;
    DWORD rc = 0;
    if (!(flags & ELK_INIT_LIGHT)) {
        DWORD network = elk::stopNetwork();
        DWORD sound = elk::stopSound();
        rc = sound ? sound : network;
    }
    return elk::releaseCore(rc);
}

DWORD WINAPI basFreeLibrary(void) { return basFreeLibraryExt(0); }

const wchar_t* WINAPI basGetIniPath(void) { return g_state.iniPath; }
WORD WINAPI basGetLanguage(void) { return g_state.language; }
const wchar_t* WINAPI basGetComputerName(void) { return g_state.computerName; }
const wchar_t* WINAPI basGetDomainName(void) { return g_state.domainName; }
const wchar_t* WINAPI basGetNetDomain(void) { return g_state.netDomain; }
DWORD WINAPI basCheck(void) { return 0; }
BOOL WINAPI basIsOS(DWORD mask) { return (g_state.osClass & mask) != 0; }

FARPROC WINAPI basGetProcAddress(HMODULE module, const char* name) { return GetProcAddress(module, name); }

}
