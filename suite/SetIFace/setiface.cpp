// The update tools' settings interface. Each copy keeps its settings in
// SetIFace.ini beside itself, so the Mirror and Setup copies hold settings of
// their own, and a mirror run reports the Mirror copy's settings in its log.
// Test hooks (environment, read at every call):
//   TARVO_SETIFACE_TRACE         file to which each call appends one line
//   TARVO_SETIFACE_FAIL_SETINFO  CODE, or ITEM:CODE for that item only
//   TARVO_SETIFACE_FAIL_MIRROR   CODE
//   TARVO_SETIFACE_HOLD          name of an event each call waits for
//                                (at most 20 s) before it answers
#include <cstdint>
#include <cstdio>
#include <cwchar>
#include <string>

#include "base/handles.h"
#include "base/suite/SetIFace.h"

namespace {

constexpr wchar_t kSection[] = L"Settings";
constexpr DWORD kHoldLimitMs = 20000;

std::wstring environment(const wchar_t* name) {
    wchar_t text[MAX_PATH];
    DWORD n = GetEnvironmentVariableW(name, text, ARRAYSIZE(text));
    return n && n < ARRAYSIZE(text) ? std::wstring(text, n) : std::wstring();
}

// A decimal or 0x-hexadecimal 32-bit number making up the whole text.
bool parseNumber(const std::wstring& text, DWORD* value) {
    if (text.empty()) return false;
    wchar_t* end = nullptr;
    unsigned long long n = wcstoull(text.c_str(), &end, text.rfind(L"0x", 0) == 0 ? 16 : 10);
    if (*end || n > 0xFFFFFFFFull || text[0] == L'-' || text[0] == L'+' || text[0] == L' ') return false;
    *value = static_cast<DWORD>(n);
    return true;
}

DWORD injectedFailure(const wchar_t* name, DWORD item) {
    std::wstring text = environment(name);
    size_t colon = text.find(L':');
    DWORD code = 0, only = 0;
    if (colon != std::wstring::npos) {
        if (!parseNumber(text.substr(0, colon), &only) || only != item) return 0;
        text = text.substr(colon + 1);
    }
    return parseNumber(text, &code) ? code : 0;
}

std::wstring modulePath() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&modulePath), &self);
    wchar_t path[1024];
    DWORD n = GetModuleFileNameW(self, path, ARRAYSIZE(path));
    return std::wstring(path, n < ARRAYSIZE(path) ? n : 0);
}

std::wstring folder() {
    std::wstring path = modulePath();
    return path.substr(0, path.find_last_of(L'\\'));
}

// "Mirror" or "Setup": the name of the folder this copy was loaded from.
std::wstring copyName() {
    std::wstring f = folder();
    return f.substr(f.find_last_of(L'\\') + 1);
}

std::wstring settingsFile() { return folder() + L"\\SetIFace.ini"; }

std::wstring setting(const wchar_t* key) {
    wchar_t text[1024];
    GetPrivateProfileStringW(kSection, key, L"", text, ARRAYSIZE(text), settingsFile().c_str());
    return text;
}

std::string utf8(const std::wstring& text) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

DWORD probe(void* mutex) {
    DWORD wait = WaitForSingleObject(static_cast<HANDLE>(mutex), 0);
    if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) ReleaseMutex(static_cast<HANDLE>(mutex));
    return wait;
}

// Whether another thread (of any process) owns the named mutex: a thread of
// ours tries to take it, since the caller's own ownership is recursive.
bool heldElsewhere(const wchar_t* name) {
    elk::UniqueHandle mutex(OpenMutexW(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, name));
    if (!mutex) return false;
    elk::UniqueHandle thread(CreateThread(nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(probe), mutex.get(), 0,
                                          nullptr));
    if (!thread) return false;
    WaitForSingleObject(thread.get(), INFINITE);
    DWORD wait = 0;
    GetExitCodeThread(thread.get(), &wait);
    return wait == WAIT_TIMEOUT;
}

// One line per call: the copy, the call and its result, and which of the
// two locks were held by the caller (or anyone) while it ran.
void trace(const std::string& call, DWORD rc) {
    std::wstring path = environment(L"TARVO_SETIFACE_TRACE");
    if (path.empty()) return;
    std::string locks;
    for (const wchar_t* name : {SETIFACE_MIRROR_MUTEX, SETIFACE_SETUP_MUTEX})
        if (heldElsewhere(name)) locks += (locks.empty() ? "" : " ") + utf8(name);
    char result[16];
    std::snprintf(result, sizeof(result), "%lu", rc);
    std::string line = utf8(copyName()) + ": " + call + " = " + result + " [" + locks + "]\r\n";
    // Appended in one write, so the lines of several processes stay whole.
    elk::UniqueFile file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written;
    if (file) WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void hold() {
    std::wstring name = environment(L"TARVO_SETIFACE_HOLD");
    if (name.empty()) return;
    elk::UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, name.c_str()));
    if (event) WaitForSingleObject(event.get(), kHoldLimitMs);
}

DWORD store(const wchar_t* key, const std::wstring& value) {
    if (WritePrivateProfileStringW(kSection, key, value.c_str(), settingsFile().c_str())) return 0;
    DWORD error = GetLastError();
    return error ? error : static_cast<DWORD>(ERROR_WRITE_FAULT);
}

std::wstring number(DWORD value) { return std::to_wstring(value); }

}  // namespace

extern "C" {

DWORD WINAPI setifaceSetInfo(DWORD reserved, DWORD item, const void* value) {
    hold();
    std::string shown = "?";
    std::wstring key, text;
    bool valid = reserved == 0;
    switch (item) {
    case SETIFACE_ITEM_SERVER:
        key = L"Server";
        if (value) {
            text = static_cast<const wchar_t*>(value);
            shown = "\"" + utf8(text) + "\"";
        }
        valid = valid && value;
        break;
    case SETIFACE_ITEM_SOURCES:
        key = L"Sources";
        if (value) {
            std::string sources = static_cast<const char*>(value);
            shown = "\"" + sources + "\"";
            text.assign(sources.begin(), sources.end());
            valid = valid && (sources == "mirror,main" || sources == "main" || sources == "mirror");
        }
        valid = valid && value;
        break;
    case SETIFACE_ITEM_VALUE: {
        DWORD v = static_cast<DWORD>(reinterpret_cast<std::uintptr_t>(value));
        char hex[16];
        std::snprintf(hex, sizeof(hex), "0x%08lX", v);
        shown = hex;
        key = L"Value";
        text = number(v);
        break;
    }
    case SETIFACE_ITEM_PORT:
        key = L"Port";
        if (value) {
            DWORD port = *static_cast<const DWORD*>(value);
            shown = "&" + std::to_string(port);
            text = number(port);
        } else {
            shown = "null";
        }
        valid = valid && value;
        break;
    default:
        valid = false;
    }
    DWORD rc = injectedFailure(L"TARVO_SETIFACE_FAIL_SETINFO", item);
    if (rc == 0) rc = valid ? store(key.c_str(), text) : static_cast<DWORD>(ERROR_INVALID_PARAMETER);
    trace("setifaceSetInfo(" + std::to_string(reserved) + ", " + std::to_string(item) + ", " + shown + ")", rc);
    return rc;
}

DWORD WINAPI setifaceMirrorMirror(const wchar_t* commandLine, DWORD mode, DWORD* status) {
    hold();
    static const std::wstring kSaveLog = L" /savelog \"";
    std::wstring line = commandLine ? commandLine : L"";
    std::wstring log;
    bool valid = commandLine && mode == 1 && status;
    if (!line.empty()) {
        valid = valid && line.rfind(kSaveLog, 0) == 0 && line.size() > kSaveLog.size() + 1 && line.back() == L'"';
        if (valid) log = line.substr(kSaveLog.size(), line.size() - kSaveLog.size() - 1);
        valid = valid && log.find(L'"') == std::wstring::npos;
    }
    DWORD rc = injectedFailure(L"TARVO_SETIFACE_FAIL_MIRROR", 0);
    if (rc == 0 && !valid) rc = ERROR_INVALID_PARAMETER;
    if (rc == 0 && !log.empty()) {
        std::string report = "Mirror run\r\n";
        for (const wchar_t* key : {L"Server", L"Sources", L"Port", L"Value"})
            report += utf8(key) + "=" + utf8(setting(key)) + "\r\n";
        elk::UniqueFile file(
            CreateFileW(log.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        DWORD written;
        if (!file || !WriteFile(file.get(), report.data(), static_cast<DWORD>(report.size()), &written, nullptr))
            rc = GetLastError();
    }
    if (rc == 0) *status = 0;
    trace("setifaceMirrorMirror(" + (commandLine ? "\"" + utf8(line) + "\"" : std::string("null")) + ", " +
              std::to_string(mode) + ", " + (status ? "&status" : "null") + ")",
          rc);
    return rc;
}

}
