// Counted start-up and shut-down of the process-wide state, and its getters.
#include <windows.h>
#include <lm.h>

#include <optional>
#include <utility>

#include "base/core/osclass.h"
#include "base/handles.h"
#include "base/bind.h"
#include "base/crash_report.h"
#include "base/paths.h"
#include "base/release.h"
#include "base/startup_services.h"
#include "base/state.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "lang/language.h"

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

// The suite's base library, from cmnbInit to cmnbFree.
class SuiteBase {
public:
    DWORD start(DWORD flags) {
        DWORD rc = cmnbInit(flags & kReducedStart ? 1 : 0);
        started_ = rc == 0;
        return rc;
    }
    ~SuiteBase() {
        if (started_) cmnbFree(0);
    }

private:
    bool started_ = false;
};

// The crash-report filter and its dump name, from the start-up to the last
// shut-down.
struct CrashReports {
    bool started = false;
    void start() {
        installCrashReports();
        started = true;
    }
    ~CrashReports() {
        if (started) removeCrashReports();
    }
};

// The INI path: empty before the first start-up and again after a failed one
// or the last shut-down, so that nothing goes on using the settings of an
// installation the library no longer runs on.
struct IniPath {
    void set() { basCreatePath(fsGetTarvoDataPath(), L"Tarvo5.ini", g_state.iniPath, ARRAYSIZE(g_state.iniPath)); }
    ~IniPath() { g_state.iniPath[0] = L'\0'; }
};

// The base language module that the language step chose; unloaded plainly.
struct LanguageModule {
    ReleaseCode& result;
    DWORD load(DWORD flags) { return basReinitLanguage(flags); }
    ~LanguageModule() {
        // Through the language lock, so that no reader is still inside it.
        if (HMODULE module = elk::replaceBaseLanguage(nullptr))
            if (!FreeLibrary(module)) result.note(GetLastError());
    }
};

// The network layer with its socket watchdog.
struct NetworkLayer {
    ReleaseCode& result;
    bool started = false;
    // A failed network start does not fail the start-up.
    void start() {
        startNetwork();
        started = true;
    }
    ~NetworkLayer() {
        if (started) result.note(stopNetwork());
    }
};

// The sound service's binding of winmm, let go before its lock goes.
struct SoundService {
    ReleaseCode& result;
    bool started = false;
    ~SoundService() {
        if (started) result.note(stopSounds());
    }
};

// The shell library of basAutoComplete, bound on first use; let go after
// the language module.
struct AutoCompleteLibrary {
    ReleaseCode& result;
    ~AutoCompleteLibrary() { result.note(releaseAutoComplete()); }
};

// What the first start-up brings up, one member per service in the order of
// the start-up; destruction takes them down in reverse. The sound lock is
// made before the network starts, so that the shut-down stops the network
// first and a failed sound stop outranks a failed network stop.
class Running {
public:
    DWORD start(DWORD flags);
    ReleaseCode& releaseCode() { return result_; }
    CRITICAL_SECTION* soundLock() { return soundLock_ ? &soundLock_->get() : nullptr; }

private:
    ReleaseCode result_;  // first: every other member reports into it
    SuiteBase base_;
    CrashReports crashReports_;
    IniPath iniPath_;
    AutoCompleteLibrary autoComplete_{result_};
    LanguageModule language_{result_};
    std::optional<CriticalSection> soundLock_;
    SoundService sounds_{result_};
    NetworkLayer network_{result_};
};

std::optional<Running> g_running;

DWORD Running::start(DWORD flags) {
    if (DWORD rc = base_.start(flags)) return rc;
    if (DWORD rc = classifySystem()) return rc;
    if (!(flags & ELK_INIT_NO_CRASH_REPORT)) crashReports_.start();
    g_state.netDomain[0] = g_state.netUser[0] = g_state.languagePath[0] = L'\0';
    if (!isDirectory(fsGetTarvoProgramPath()) || !isDirectory(fsGetTarvoDataPath())) return ELK_E_FOLDER_MISSING;
    iniPath_.set();
    if (DWORD rc = language_.load(flags)) return rc;
    if (!(flags & ELK_INIT_LIGHT)) {
        DWORD size = ARRAYSIZE(g_state.computerName);
        if (!GetComputerNameW(g_state.computerName, &size)) return GetLastError();
        readDomainName();
        soundLock_.emplace();
        sounds_.started = true;
        network_.start();
    }
    return 0;
}

}  // namespace

CRITICAL_SECTION* soundLock() { return g_running ? g_running->soundLock() : nullptr; }

}  // namespace elk

using elk::g_state;

extern "C" {

DWORD WINAPI basInitLibraryExt(DWORD flags) {
    elk::Lock lock(g_state.libraryLock);
    if (g_state.refCount++ != 0) return 0;
    elk::g_running.emplace();
    DWORD rc = elk::g_running->start(flags);
    if (rc != 0) {
        g_state.refCount = 0;
        elk::g_running.reset();
    }
    return rc;
}

DWORD WINAPI basInitLibrary(BOOL crashReports) {
    return basInitLibraryExt(crashReports ? 0 : ELK_INIT_NO_CRASH_REPORT);
}

// What started is taken down whatever the flags say: a full start-up freed
// with ELK_INIT_LIGHT would otherwise leave the watchdog running.
DWORD WINAPI basFreeLibraryExt(DWORD) {
    elk::Lock lock(g_state.libraryLock);
    // A shut-down without a start-up must not wrap the count.
    if (g_state.refCount == 0 || --g_state.refCount != 0) return 0;
    return elk::takeDown(elk::g_running);
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
