// Where the installation lives. Each folder is looked up, in this order, in
//   1. the environment: TARVO_PROGRAM_PATH, TARVO_DATA_PATH, TARVO_LOG_PATH,
//      TARVO_OEM_STRING;
//   2. the registry (skipped in the reduced start): values "ProgramPath",
//      "DataPath", "LogPath" and "OemString" of
//      HKEY_LOCAL_MACHINE\Software\ORVEL Software\Tarvo\5.0;
//   3. the layout of a plain installation: the folder of this DLL, its
//      "Data" sub-folder, and "Logs" below the data folder; no edition string.
// The look-up runs at every cmnbInit, so a process can point the suite at
// another installation tree between a shut-down and the next start-up. It is
// serialised, and every text handed out stays valid for the life of the
// process: a caller may still hold the folders of an earlier start-up.
#include "base/handles.h"
#include "base/suite/ozrCmnBS.h"
#include "suite/ozrCmnBS/module.h"

#include <forward_list>
#include <new>
#include <string>

namespace {

struct Folders {
    const wchar_t* program = L"";
    const wchar_t* data = L"";
    const wchar_t* log = L"";
    const wchar_t* oem = L"";
    bool ready = false;
};
elk::CriticalSection g_lock;
Folders g_folders;                     // under g_lock
std::forward_list<std::wstring> g_kept;  // under g_lock; never shrinks

// The kept copy of a text; one copy per distinct text, so repeated start-ups
// on the same trees add nothing.
const wchar_t* keep(std::wstring text) {
    for (const std::wstring& kept : g_kept)
        if (kept == text) return kept.c_str();
    g_kept.push_front(std::move(text));
    return g_kept.front().c_str();
}

const wchar_t kKey[] = L"Software\\ORVEL Software\\Tarvo\\5.0";

std::wstring fromEnvironment(const wchar_t* name) {
    wchar_t buffer[1024];
    DWORD n = GetEnvironmentVariableW(name, buffer, ARRAYSIZE(buffer));
    if (n == 0 || n >= ARRAYSIZE(buffer)) return {};
    return buffer;
}

std::wstring fromRegistry(const wchar_t* value) {
    wchar_t buffer[1024];
    DWORD bytes = sizeof(buffer) - sizeof(wchar_t);
    DWORD type = 0;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    LONG rc = RegQueryValueExW(key, value, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    buffer[bytes / sizeof(wchar_t)] = L'\0';
    return buffer;
}

std::wstring absolute(const std::wstring& path) {
    if (path.empty()) return path;
    wchar_t buffer[1024];
    DWORD n = GetFullPathNameW(path.c_str(), ARRAYSIZE(buffer), buffer, nullptr);
    return (n == 0 || n >= ARRAYSIZE(buffer)) ? path : std::wstring(buffer);
}

std::wstring lookUp(const wchar_t* envName, const wchar_t* regValue, bool reduced) {
    std::wstring path = fromEnvironment(envName);
    if (path.empty() && !reduced) path = fromRegistry(regValue);
    return path;
}

std::wstring join(const std::wstring& folder, const wchar_t* name) {
    if (!folder.empty() && folder.back() == L'\\') return folder + name;
    return folder + L"\\" + name;
}

std::wstring moduleFolder() {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetModuleFileNameW(ozrcmnbs::g_module, buffer, ARRAYSIZE(buffer));
    if (n == 0 || n >= ARRAYSIZE(buffer)) return L".";
    std::wstring path(buffer, n);
    size_t slash = path.find_last_of(L'\\');
    return slash == std::wstring::npos ? L"." : path.substr(0, slash);
}

// Runs under g_lock.
void resolve(bool reduced) {
    std::wstring program = absolute(lookUp(L"TARVO_PROGRAM_PATH", L"ProgramPath", reduced));
    if (program.empty()) program = moduleFolder();
    std::wstring data = absolute(lookUp(L"TARVO_DATA_PATH", L"DataPath", reduced));
    if (data.empty()) data = join(program, L"Data");
    std::wstring log = absolute(lookUp(L"TARVO_LOG_PATH", L"LogPath", reduced));
    if (log.empty()) log = join(data, L"Logs");
    Folders f;
    f.program = keep(std::move(program));
    f.data = keep(std::move(data));
    f.log = keep(std::move(log));
    f.oem = keep(lookUp(L"TARVO_OEM_STRING", L"OemString", reduced));
    f.ready = true;
    g_folders = f;
}

// Exports never let an exception out: a look-up that runs out of memory
// gives an empty folder, which the caller's existence check rejects.
const wchar_t* folderText(const wchar_t* Folders::*member) noexcept {
    elk::Lock lock(g_lock);
    try {
        if (!g_folders.ready) resolve(false);
    } catch (...) {
        return L"";
    }
    return g_folders.*member;
}

}  // namespace

extern "C" {

const wchar_t* WINAPI fsGetTarvoProgramPath(void) { return folderText(&Folders::program); }
const wchar_t* WINAPI fsGetTarvoDataPath(void) { return folderText(&Folders::data); }
const wchar_t* WINAPI fsGetTarvoLogPath(void) { return folderText(&Folders::log); }
const wchar_t* WINAPI fsGetTarvoOemString(void) { return folderText(&Folders::oem); }

DWORD WINAPI cmnbInit(DWORD mode) {
    if (mode > 1) return ERROR_INVALID_PARAMETER;
    elk::Lock lock(g_lock);
    try {
        resolve(mode == 1);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    return 0;
}

DWORD WINAPI cmnbFree(DWORD) { return 0; }
}
