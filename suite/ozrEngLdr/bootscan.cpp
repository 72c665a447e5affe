// The boot-time scan module's one request. The request is kept in section
// [BootScan] of the engine's settings file in the data folder, so that every
// process of the installation sees the same one: Scheduled (0 or 1) and
// Options (the caller's value in hex, as given). A named mutex serialises the
// accesses of all processes, and the section is written in one call, so a
// reader never sees the flag of one request with the options of another.
#include <cwchar>

#include "base/handles.h"
#include "suite/ozrEngLdr/engine.h"

namespace ozrengldr {

namespace {

const wchar_t kSection[] = L"BootScan";

// Held for the length of one request; an owner that died mid-request left
// nothing half-written (the section goes in one write), so its mutex is taken
// over as it stands.
class StoreLock {
public:
    StoreLock() : mutex_(CreateMutexW(nullptr, FALSE, L"ozrEngLdr.BootScan")) {
        DWORD wait = mutex_ ? WaitForSingleObject(mutex_.get(), 10000) : WAIT_FAILED;
        held_ = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
        error_ = held_ ? 0 : wait == WAIT_TIMEOUT ? static_cast<DWORD>(ERROR_TIMEOUT) : GetLastError();
    }
    ~StoreLock() {
        if (held_) ReleaseMutex(mutex_.get());
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;
    // 0 when held, else why not.
    DWORD error() const { return error_; }

private:
    elk::UniqueHandle mutex_;
    bool held_ = false;
    DWORD error_ = 0;
};

DWORD writeRequest(const wchar_t* file, bool scheduled, DWORD options) {
    // Key=value pairs, each ended by a NUL, the list by a second one.
    wchar_t pairs[64];
    int n = _snwprintf(pairs, ARRAYSIZE(pairs) - 1, L"Scheduled=%d%cOptions=0x%08lX%c", scheduled ? 1 : 0, L'\0',
                       options, L'\0');
    if (n < 0) return ERROR_INSUFFICIENT_BUFFER;
    pairs[n] = L'\0';
    return WritePrivateProfileSectionW(kSection, pairs, file) ? 0 : GetLastError();
}

bool isScheduled(const wchar_t* file) {
    wchar_t text[32] = L"";
    DWORD value = 0;
    GetPrivateProfileStringW(kSection, L"Scheduled", L"0", text, ARRAYSIZE(text), file);
    return parseNumber(text, &value) && value != 0;
}

DWORD serve(const wchar_t* file, DWORD request, DWORD options) {
    StoreLock lock;
    if (DWORD rc = lock.error()) return rc;
    if (request == BTS_REQUEST_SCHEDULE) return writeRequest(file, true, options);
    if (request == BTS_REQUEST_CANCEL) return writeRequest(file, false, 0);
    return isScheduled(file) ? 0 : static_cast<DWORD>(ERROR_NOT_FOUND);
}

}  // namespace

}  // namespace ozrengldr

using namespace ozrengldr;

extern "C" DWORD __cdecl BtsSchedule(AVLDR_HANDLE handle, DWORD request, DWORD options, DWORD reserved) {
    DWORD rc = injectedFailure(L"TARVO_ENGLDR_FAIL_BTS");
    if (rc == 0) rc = requireModule(handle, AVLDR_MODULE_BTS);
    if (rc == 0 && (request > BTS_REQUEST_ASK || reserved != 0)) rc = ERROR_INVALID_PARAMETER;
    wchar_t file[1024];
    if (rc == 0 && !settingsFile(file)) rc = ERROR_FILENAME_EXCED_RANGE;
    if (rc == 0) rc = serve(file, request, options);
    trace("BtsSchedule(%lu, %lu, 0x%08lX, %lu) = %lu", handleNumber(handle), request, options, reserved, rc);
    return rc;
}
