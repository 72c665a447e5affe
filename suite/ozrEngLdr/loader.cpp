// Handles and engine modules. A handle is a number in a small process-wide
// table (never a pointer a caller could mistake for memory); each remembers
// which engine modules it has loaded. The only module there is is the one for
// the boot-time scan.
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cwchar>

#include "base/handles.h"
#include "base/suite/ozrCmnBS.h"
#include "suite/ozrEngLdr/engine.h"

namespace ozrengldr {

namespace {

constexpr size_t kMaxHandles = 64;

struct Slot {
    DWORD id = 0;  // 0: free
    bool btsLoaded = false;
};

elk::CriticalSection g_lock;
Slot g_slots[kMaxHandles];  // under g_lock
DWORD g_next = 1;           // under g_lock

// Runs under g_lock.
Slot* find(AVLDR_HANDLE handle) {
    std::uintptr_t value = reinterpret_cast<std::uintptr_t>(handle);
    if (value == 0 || value > 0xFFFFFFFFu) return nullptr;
    for (Slot& s : g_slots)
        if (s.id == value) return &s;
    return nullptr;
}

}  // namespace

DWORD requireModule(AVLDR_HANDLE handle, DWORD module) {
    elk::Lock lock(g_lock);
    Slot* slot = find(handle);
    if (!slot) return ERROR_INVALID_HANDLE;
    return module == AVLDR_MODULE_BTS && slot->btsLoaded ? 0 : static_cast<DWORD>(ERROR_NOT_READY);
}

DWORD checkOptionalHandle(AVLDR_HANDLE handle) {
    if (!handle) return 0;
    elk::Lock lock(g_lock);
    return find(handle) ? 0 : static_cast<DWORD>(ERROR_INVALID_HANDLE);
}

bool settingsFile(wchar_t (&path)[1024]) {
    const wchar_t* folder = fsGetTarvoDataPath();
    size_t n = wcslen(folder);
    const wchar_t* separator = n && folder[n - 1] == L'\\' ? L"" : L"\\";
    int written = _snwprintf(path, ARRAYSIZE(path), L"%s%sozrEngLdr.ini", folder, separator);
    return written >= 0 && written < static_cast<int>(ARRAYSIZE(path));
}

bool parseNumber(const wchar_t* text, DWORD* value) {
    int base = 10;
    if (text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        text += 2;
    }
    if (!*text) return false;
    unsigned long long n = 0;
    for (; *text; ++text) {
        unsigned digit;
        if (*text >= L'0' && *text <= L'9')
            digit = *text - L'0';
        else if (base == 16 && *text >= L'a' && *text <= L'f')
            digit = *text - L'a' + 10;
        else if (base == 16 && *text >= L'A' && *text <= L'F')
            digit = *text - L'A' + 10;
        else
            return false;
        n = n * base + digit;
        if (n > 0xFFFFFFFFull) return false;
    }
    *value = static_cast<DWORD>(n);
    return true;
}

DWORD injectedFailure(const wchar_t* name) {
    wchar_t text[32];
    DWORD n = GetEnvironmentVariableW(name, text, ARRAYSIZE(text));
    DWORD code = 0;
    if (n == 0 || n >= ARRAYSIZE(text) || !parseNumber(text, &code)) return 0;
    return code;
}

void trace(const char* format, ...) {
    wchar_t path[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(L"TARVO_ENGLDR_TRACE", path, ARRAYSIZE(path));
    if (n == 0 || n >= ARRAYSIZE(path)) return;
    char line[256];
    va_list args;
    va_start(args, format);
    int length = _vsnprintf(line, sizeof(line) - 2, format, args);
    va_end(args);
    if (length < 0) length = sizeof(line) - 2;
    line[length++] = '\r';
    line[length++] = '\n';
    // Appended in one write, so the lines of several processes stay whole.
    elk::UniqueFile file(CreateFileW(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written;
    if (file) WriteFile(file.get(), line, static_cast<DWORD>(length), &written, nullptr);
}

}  // namespace ozrengldr

using namespace ozrengldr;

extern "C" {

AVLDR_HANDLE __cdecl avldrCreateHandle(DWORD reserved) {
    AVLDR_HANDLE handle = nullptr;
    DWORD error = 0;
    if (DWORD injected = injectedFailure(L"TARVO_ENGLDR_FAIL_CREATE")) {
        error = injected;
    } else if (reserved != 0) {
        error = ERROR_INVALID_PARAMETER;
    } else {
        elk::Lock lock(g_lock);
        error = ERROR_NOT_ENOUGH_MEMORY;
        for (Slot& s : g_slots) {
            if (s.id != 0) continue;
            s = Slot{g_next, false};
            // Numbers are not reused soon, so a stale handle is seldom valid.
            g_next = g_next == 0xFFFFFFFFu ? 1 : g_next + 1;
            handle = reinterpret_cast<AVLDR_HANDLE>(static_cast<std::uintptr_t>(s.id));
            error = 0;
            break;
        }
    }
    trace("avldrCreateHandle(%lu) = %lu", reserved, handleNumber(handle));
    SetLastError(error);
    return handle;
}

DWORD __cdecl avldrLoadModule(AVLDR_HANDLE handle, DWORD module, DWORD reserved) {
    DWORD rc = injectedFailure(L"TARVO_ENGLDR_FAIL_LOAD");
    if (rc == 0) {
        elk::Lock lock(g_lock);
        Slot* slot = find(handle);
        if (!slot)
            rc = ERROR_INVALID_HANDLE;
        else if (reserved != 0)
            rc = ERROR_INVALID_PARAMETER;
        else if (module != AVLDR_MODULE_BTS)
            rc = ERROR_MOD_NOT_FOUND;
        else
            slot->btsLoaded = true;
    }
    trace("avldrLoadModule(%lu, %lu, %lu) = %lu", handleNumber(handle), module, reserved, rc);
    return rc;
}

DWORD __cdecl avldrCloseModule(AVLDR_HANDLE handle, DWORD reserved1, DWORD reserved2) {
    DWORD rc = 0;
    {
        elk::Lock lock(g_lock);
        if (Slot* slot = find(handle))
            *slot = Slot{};
        else
            rc = ERROR_INVALID_HANDLE;
    }
    trace("avldrCloseModule(%lu, %lu, %lu) = %lu", handleNumber(handle), reserved1, reserved2, rc);
    return rc;
}

DWORD __cdecl avldrGetEngineInformation(AVLDR_HANDLE handle, void* record, DWORD what) {
    DWORD rc = injectedFailure(L"TARVO_ENGLDR_FAIL_INFO");
    if (rc == 0) rc = checkOptionalHandle(handle);
    if (rc == 0 && (!record || what != AVLDR_INFO_ENGINE)) rc = ERROR_INVALID_PARAMETER;
    if (rc == 0) {
        wchar_t file[1024], text[32] = L"";
        DWORD version = 0;
        if (settingsFile(file)) GetPrivateProfileStringW(L"Definitions", L"Version", L"", text, ARRAYSIZE(text), file);
        if (!parseNumber(text, &version)) version = 0;
        static_cast<AVLDR_ENGINE_INFO*>(record)->definitionsVersion = version;
    }
    trace("avldrGetEngineInformation(%lu, %s, %lu) = %lu", handleNumber(handle), record ? "record" : "null", what, rc);
    return rc;
}

}
