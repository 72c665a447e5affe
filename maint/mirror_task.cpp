// Settings of the update mirror tool and of the updater, and the mirror run,
// through the copies of the settings interface below the program folder.
// Each call loads its copy afresh and holds the copy's named mutex around
// everything it asks of it, since other processes of the suite use the same
// copy and its settings.
#include <new>
#include <string>

#include "base/bind.h"
#include "base/handles.h"
#include "base/paths.h"
#include "base/suite/SetIFace.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "maint/core/mirror_settings.h"

namespace {

// What the settings interface keeps of an address, terminator included.
constexpr size_t kAddressSize = 520;

constexpr wchar_t kMirrorCopy[] = L"Mirror\\SetIFace.dll";
constexpr wchar_t kSetupCopy[] = L"Setup\\SetIFace.dll";

// The named mutex of a copy, owned for the scope. Anyone may open it (null
// access list). A mutex that cannot be created is done without: the settings
// still go through.
class CopyLock {
public:
    explicit CopyLock(const wchar_t* name) {
        SECURITY_DESCRIPTOR descriptor;
        SECURITY_ATTRIBUTES attributes = {sizeof(attributes), &descriptor, FALSE};
        bool described = InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) &&
                         SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
        SetLastError(0);
        mutex_.reset(CreateMutexW(described ? &attributes : nullptr, TRUE, name));
        if (!mutex_) return;
        if (GetLastError() != ERROR_ALREADY_EXISTS) {
            owned_ = true;
            return;
        }
        existed_ = true;
        // An abandoned mutex is ours all the same; the settings it guarded are
        // whole, since each is written in one call.
        DWORD wait = WaitForSingleObject(mutex_.get(), INFINITE);
        owned_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    }
    ~CopyLock() {
        if (owned_) ReleaseMutex(mutex_.get());
    }
    CopyLock(const CopyLock&) = delete;
    CopyLock& operator=(const CopyLock&) = delete;

    // 183 when another holder had created the mutex first, else 0.
    DWORD creation() const { return existed_ ? static_cast<DWORD>(ERROR_ALREADY_EXISTS) : 0; }

private:
    elk::UniqueHandle mutex_;
    bool owned_ = false;
    bool existed_ = false;
};

DWORD lastError(DWORD fallback) {
    DWORD error = GetLastError();
    return error ? error : fallback;
}

// Loads `relative` below the program folder, so that the copy's own folder
// is searched for what it needs.
DWORD loadCopy(const wchar_t* relative, elk::UniqueModule& module) {
    wchar_t path[520];
    if (!elk::composePath(fsGetTarvoProgramPath(), relative, path, ARRAYSIZE(path)))
        return ERROR_FILENAME_EXCED_RANGE;
    module.reset(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    return module ? 0 : lastError(ERROR_MOD_NOT_FOUND);
}

template <typename Fn>
DWORD bindEntry(const elk::UniqueModule& module, const char* name, Fn& entry) {
    entry = elk::bindProc<Fn>(module.get(), name);
    return entry ? 0 : lastError(ERROR_PROC_NOT_FOUND);
}

// Settings for one copy, each with its item and value, in the order given.
struct Setting {
    DWORD item;
    const void* value;
};

// Holds the lock, loads the copy and makes the settings until one fails. The
// result starts as the lock's creation code, so a call without settings
// still says whether it had to wait its turn.
template <size_t N>
DWORD applySettings(const wchar_t* mutex, const wchar_t* copy, const Setting (&settings)[N], size_t count) {
    CopyLock lock(mutex);
    DWORD rc = lock.creation();
    elk::UniqueModule module;
    if (DWORD error = loadCopy(copy, module)) return error;
    SetifaceSetInfoFn setInfo = nullptr;
    if (DWORD error = bindEntry(module, "setifaceSetInfo", setInfo)) return error;
    for (size_t i = 0; i < count && i < N; ++i)
        if ((rc = setInfo(0, settings[i].item, settings[i].value)) != 0) break;
    return rc;
}

const void* asValue(DWORD value) { return reinterpret_cast<const void*>(static_cast<std::uintptr_t>(value)); }

bool fits(const std::u16string& address) { return address.size() < kAddressSize; }

}  // namespace

extern "C" {

DWORD WINAPI tskSetMirrorParamsForMirror(DWORD upstream, const wchar_t* host, DWORD port, DWORD value, BYTE flags) {
    try {
        Setting settings[4];
        size_t count = 0;
        std::u16string address;
        if (flags & ELK_MIRROR_SET_SOURCES) settings[count++] = {SETIFACE_ITEM_SOURCES, elk::mirrorSources(upstream)};
        if (upstream && (flags & ELK_MIRROR_SET_ADDRESS) && (flags & ELK_MIRROR_SET_PORT)) {
            if (!host) return ERROR_INVALID_PARAMETER;
            address = elk::upstreamAddress(elk::u16(host), port);
            if (!fits(address)) return ERROR_INSUFFICIENT_BUFFER;
            settings[count++] = {SETIFACE_ITEM_SERVER, address.c_str()};
        }
        if (flags & ELK_MIRROR_SET_PORT) settings[count++] = {SETIFACE_ITEM_PORT, &port};
        if (flags & ELK_MIRROR_SET_VALUE) settings[count++] = {SETIFACE_ITEM_VALUE, asValue(value)};
        return applySettings(SETIFACE_MIRROR_MUTEX, kMirrorCopy, settings, count);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD WINAPI tskSetMirrorParamsForUpdater(DWORD fallback, const wchar_t* address, DWORD port) {
    if (!address) return ERROR_INVALID_PARAMETER;
    try {
        const std::u16string server = elk::updaterAddress(elk::u16(address), port);
        if (!fits(server)) return ERROR_INSUFFICIENT_BUFFER;
        const Setting settings[] = {{SETIFACE_ITEM_SOURCES, elk::updaterSources(fallback)},
                                    {SETIFACE_ITEM_SERVER, server.c_str()}};
        return applySettings(SETIFACE_SETUP_MUTEX, kSetupCopy, settings, std::size(settings));
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

DWORD WINAPI tskLaunchMirror(DWORD* status, const wchar_t* logPath) {
    try {
        const std::optional<std::u16string> commandLine = elk::mirrorCommandLine(logPath ? elk::u16(logPath) : u"");
        if (!commandLine) return ERROR_INVALID_PARAMETER;
        // The tool writes its status in any case.
        DWORD own = 0;
        CopyLock lock(SETIFACE_MIRROR_MUTEX);
        elk::UniqueModule module;
        if (DWORD error = loadCopy(kMirrorCopy, module)) return error;
        SetifaceMirrorMirrorFn run = nullptr;
        if (DWORD error = bindEntry(module, "setifaceMirrorMirror", run)) return error;
        return run(elk::wide(commandLine->c_str()), 1, status ? status : &own);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}
