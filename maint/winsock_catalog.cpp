// Repair of the Windows Sockets catalog: entries whose provider library is
// gone are removed, the rest numbered again from 1, the counts corrected;
// on request the system's own reset runs afterwards.
#include <windows.h>

#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "base/bind.h"
#include "base/handles.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "maint/core/catalog_repair.h"

namespace {

const std::wstring kParameters = L"System\\CurrentControlSet\\Services\\Winsock2\\Parameters";

// Registry key names are at most 255 characters.
constexpr DWORD kKeyNameRoom = 256;

void writeOut(const char* text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    DWORD written;
    WriteFile(out, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

// A whole value, whatever its size (it may grow between two queries).
DWORD readValue(HKEY key, const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
    DWORD bytes = 0;
    DWORD rc = RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes);
    while (rc == ERROR_SUCCESS) {
        data.resize(bytes);
        rc = RegQueryValueExW(key, name, nullptr, &type, data.data(), &bytes);
        if (rc == ERROR_MORE_DATA) {
            rc = ERROR_SUCCESS;
            continue;
        }
        data.resize(bytes);
        break;
    }
    return rc;
}

// A string value of the given type (or an expandable one when allowed), up to
// its first terminator.
DWORD readString(HKEY key, const wchar_t* name, bool expandable, std::wstring& text) {
    DWORD type;
    std::vector<BYTE> data;
    if (DWORD rc = readValue(key, name, type, data)) return rc;
    if (type != REG_SZ && !(expandable && type == REG_EXPAND_SZ)) return ERROR_UNSUPPORTED_TYPE;
    text.assign(reinterpret_cast<const wchar_t*>(data.data()), data.size() / sizeof(wchar_t));
    text.resize(std::wcslen(text.c_str()));
    return ERROR_SUCCESS;
}

DWORD readCatalogName(const wchar_t* value, std::wstring& name) {
    elk::UniqueKey parameters;
    if (DWORD rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kParameters.c_str(), 0, KEY_QUERY_VALUE, parameters.put()))
        return rc;
    return readString(parameters.get(), value, false, name);
}

DWORD listSubkeys(const std::wstring& path, std::vector<std::u16string>& names) {
    elk::UniqueKey key;
    if (DWORD rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, key.put())) return rc;
    for (DWORD i = 0;; ++i) {
        wchar_t name[kKeyNameRoom];
        DWORD length = kKeyNameRoom;
        DWORD rc = RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc == ERROR_SUCCESS) names.emplace_back(elk::u16(name), length);
    }
    return ERROR_SUCCESS;
}

// Removes a key with everything below it (RegDeleteTree is not on XP).
DWORD deleteTree(HKEY parent, const wchar_t* name) {
    {
        elk::UniqueKey key;
        if (DWORD rc = RegOpenKeyExW(parent, name, 0, KEY_READ | DELETE, key.put())) return rc;
        for (;;) {
            wchar_t child[kKeyNameRoom];
            DWORD length = kKeyNameRoom;
            DWORD rc = RegEnumKeyExW(key.get(), 0, child, &length, nullptr, nullptr, nullptr, nullptr);
            if (rc == ERROR_NO_MORE_ITEMS) break;
            if (rc) return rc;
            if ((rc = deleteTree(key.get(), child))) return rc;
        }
    }
    return RegDeleteKeyW(parent, name);
}

// Copies every value (name, type and bytes) and every subkey with its class,
// recursively, from one key into another (RegCopyTree is not on XP).
DWORD copyTree(HKEY from, HKEY to) {
    std::vector<wchar_t> name(kKeyNameRoom);
    std::vector<BYTE> data(256);
    for (DWORD i = 0;; ++i) {
        DWORD type, nameLength, bytes;
        DWORD rc;
        for (;;) {
            nameLength = static_cast<DWORD>(name.size());
            bytes = static_cast<DWORD>(data.size());
            rc = RegEnumValueW(from, i, name.data(), &nameLength, nullptr, &type, data.data(), &bytes);
            if (rc != ERROR_MORE_DATA) break;
            // Either the name or the data did not fit; value names are at
            // most 16,383 characters.
            const size_t nameRoom = 16384;
            if (name.size() >= nameRoom && bytes <= data.size()) return rc;
            name.resize(nameRoom);
            data.resize(bytes > data.size() ? bytes : data.size());
        }
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc) return rc;
        // The system adds a string's left-out terminator when one follows the
        // data in memory; none may, or the copy would differ.
        if (data.size() < bytes + size_t{2}) data.resize(bytes + size_t{2});
        data[bytes] = data[bytes + 1] = 0xFF;
        if ((rc = RegSetValueExW(to, name.data(), 0, type, data.data(), bytes))) return rc;
    }
    for (DWORD i = 0;; ++i) {
        wchar_t child[kKeyNameRoom];
        DWORD length = kKeyNameRoom;
        std::vector<wchar_t> keyClass(kKeyNameRoom);
        DWORD classLength;
        DWORD rc;
        for (;;) {
            length = kKeyNameRoom;
            classLength = static_cast<DWORD>(keyClass.size());
            rc = RegEnumKeyExW(from, i, child, &length, nullptr, keyClass.data(), &classLength, nullptr);
            if (rc != ERROR_MORE_DATA || keyClass.size() > 32768) break;
            keyClass.resize(keyClass.size() * 2);
        }
        if (rc == ERROR_NO_MORE_ITEMS) break;
        if (rc) return rc;
        elk::UniqueKey source, target;
        if ((rc = RegOpenKeyExW(from, child, 0, KEY_READ, source.put()))) return rc;
        if ((rc = RegCreateKeyExW(to, child, 0, classLength ? keyClass.data() : nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, target.put(), nullptr)))
            return rc;
        if ((rc = copyTree(source.get(), target.get()))) return rc;
    }
    return ERROR_SUCCESS;
}

// The entries of one catalog, below the entries subkey.
class RegistryEntries : public elk::CatalogKeys {
public:
    explicit RegistryEntries(std::wstring path) : path_(std::move(path)) {}

    uint32_t remove(const std::u16string& name) override {
        elk::UniqueKey entries;
        if (DWORD rc = openEntries(entries)) return rc;
        return deleteTree(entries.get(), elk::wide(name.c_str()));
    }

    // The copy is whole before the old key goes; a copy that fails part way
    // is removed again, so the entry stays where it was.
    uint32_t rename(const std::u16string& fromName, const std::u16string& toName) override {
        const wchar_t* from = elk::wide(fromName.c_str());
        const wchar_t* to = elk::wide(toName.c_str());
        elk::UniqueKey entries, old, created;
        if (DWORD rc = openEntries(entries)) return rc;
        if (DWORD rc = RegOpenKeyExW(entries.get(), from, 0, KEY_READ, old.put())) return rc;
        std::vector<wchar_t> keyClass(kKeyNameRoom);
        DWORD classLength = static_cast<DWORD>(keyClass.size());
        DWORD rc = RegQueryInfoKeyW(old.get(), keyClass.data(), &classLength, nullptr, nullptr, nullptr, nullptr,
                                    nullptr, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_MORE_DATA) {
            keyClass.resize(classLength + 1);
            classLength = static_cast<DWORD>(keyClass.size());
            rc = RegQueryInfoKeyW(old.get(), keyClass.data(), &classLength, nullptr, nullptr, nullptr, nullptr,
                                  nullptr, nullptr, nullptr, nullptr, nullptr);
        }
        if (rc) return rc;
        DWORD disposition = 0;
        if ((rc = RegCreateKeyExW(entries.get(), to, 0, classLength ? keyClass.data() : nullptr,
                                  REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, created.put(), &disposition)))
            return rc;
        // Someone else's key under that name is never merged into.
        if (disposition != REG_CREATED_NEW_KEY) return ERROR_ALREADY_EXISTS;
        if ((rc = copyTree(old.get(), created.get()))) {
            created.reset();
            deleteTree(entries.get(), to);
            return rc;
        }
        old.reset();
        created.reset();
        return deleteTree(entries.get(), from);
    }

    bool exists(const std::u16string& name) override {
        elk::UniqueKey entries, key;
        if (openEntries(entries)) return true;  // cannot tell: taken, to be safe
        return RegOpenKeyExW(entries.get(), elk::wide(name.c_str()), 0, KEY_QUERY_VALUE, key.put()) !=
               ERROR_FILE_NOT_FOUND;
    }

private:
    DWORD openEntries(elk::UniqueKey& entries) const {
        return RegOpenKeyExW(HKEY_LOCAL_MACHINE, path_.c_str(), 0, KEY_ALL_ACCESS, entries.put());
    }

    std::wstring path_;
};

// Errors that say nothing exists at a path; any other failure to open it
// (access, sharing, a drive not ready) leaves the entry alone.
bool namesNothing(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_PATHNAME:
        case ERROR_INVALID_DRIVE:
            return true;
        default:
            return false;
    }
}

// The system folder of a catalog's kind is another one than this process's
// when the kinds differ: a 64-bit process finds 32-bit providers' "system32"
// in the 32-bit system folder, a 32-bit process under WOW64 finds the 64-bit
// ones with the file system's redirection off.
#ifdef _WIN64
std::wstring systemFolderFor(const std::wstring& path, bool bits64) {
    wchar_t system[MAX_PATH], wow64[MAX_PATH];
    if (bits64) return path;
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH || path.size() <= length || path[length] != L'\\' ||
        CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(), static_cast<int>(length), system,
                       static_cast<int>(length)) != CSTR_EQUAL)
        return path;
    const UINT wowLength = GetSystemWow64DirectoryW(wow64, MAX_PATH);
    if (wowLength == 0 || wowLength >= MAX_PATH) return path;
    return std::wstring(wow64, wowLength) + path.substr(length);
}

DWORD openPath(const std::wstring& path, bool bits64, elk::UniqueFile& file) {
    file.reset(CreateFileW(systemFolderFor(path, bits64).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return file ? ERROR_SUCCESS : GetLastError();
}
#else
DWORD openPath(const std::wstring& path, bool bits64, elk::UniqueFile& file) {
    using IsWow64 = BOOL(WINAPI*)(HANDLE, BOOL*);
    using Disable = BOOL(WINAPI*)(void**);
    using Revert = BOOL(WINAPI*)(void*);
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    auto isWow64 = elk::bindProc<IsWow64>(kernel, "IsWow64Process");
    auto disable = elk::bindProc<Disable>(kernel, "Wow64DisableWow64FsRedirection");
    auto revert = elk::bindProc<Revert>(kernel, "Wow64RevertWow64FsRedirection");
    BOOL wow64 = FALSE;
    void* previous = nullptr;
    const bool redirected = bits64 && isWow64 && disable && revert && isWow64(GetCurrentProcess(), &wow64) &&
                            wow64 && disable(&previous);
    file.reset(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const DWORD error = file ? ERROR_SUCCESS : GetLastError();
    if (redirected) revert(previous);
    return error;
}
#endif

elk::Judgement judgePath(const std::wstring& path, bool bits64) {
    wchar_t expanded[MAX_PATH];
    DWORD length = ExpandEnvironmentStringsW(path.c_str(), expanded, MAX_PATH);
    if (length == 0) return {elk::LibraryVerdict::Unjudged, GetLastError()};
    // A path cut to fit would name some other file.
    if (length > MAX_PATH) return {elk::LibraryVerdict::Unjudged, ERROR_FILENAME_EXCED_RANGE};
    elk::UniqueFile file;
    const DWORD error = openPath(expanded, bits64, file);
    if (!error) return {elk::LibraryVerdict::Present, ERROR_SUCCESS};
    if (namesNothing(error)) return {elk::LibraryVerdict::Missing, ERROR_SUCCESS};
    return {elk::LibraryVerdict::Unjudged, error};
}

// A name-space entry names its library in "LibraryPath".
elk::Judgement judgeNameSpaceEntry(const std::wstring& entries, const std::u16string& name, bool bits64) {
    elk::UniqueKey key;
    std::wstring path;
    DWORD rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, (entries + L"\\" + elk::wide(name.c_str())).c_str(), 0, KEY_READ,
                             key.put());
    if (!rc) rc = readString(key.get(), L"LibraryPath", true, path);
    if (rc) return {elk::LibraryVerdict::Unjudged, rc};
    return judgePath(path, bits64);
}

// A protocol entry's record starts with its library's path in ANSI text.
elk::Judgement judgeProtocolEntry(const std::wstring& entries, const std::u16string& name, bool bits64) {
    elk::UniqueKey key;
    DWORD rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, (entries + L"\\" + elk::wide(name.c_str())).c_str(), 0,
                             KEY_QUERY_VALUE, key.put());
    if (rc) return {elk::LibraryVerdict::Unjudged, rc};
    DWORD type;
    std::vector<BYTE> data;
    if ((rc = readValue(key.get(), L"PackedCatalogItem", type, data))) return {elk::LibraryVerdict::Unjudged, rc};
    if (type != REG_BINARY) return {elk::LibraryVerdict::Unjudged, ERROR_UNSUPPORTED_TYPE};
    size_t bytes = 0;
    while (bytes < data.size() && data[bytes]) ++bytes;
    std::wstring path;
    if (bytes) {
        int length = MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(data.data()),
                                         static_cast<int>(bytes), nullptr, 0);
        if (length <= 0) return {elk::LibraryVerdict::Unjudged, GetLastError()};
        path.resize(length);
        MultiByteToWideChar(CP_ACP, 0, reinterpret_cast<const char*>(data.data()), static_cast<int>(bytes),
                            path.data(), length);
    }
    return judgePath(path, bits64);
}

struct CatalogKind {
    const wchar_t* entries;
    const wchar_t* count;
    bool bits64;
};
const CatalogKind k32 = {L"Catalog_Entries", L"Num_Catalog_Entries", false};
const CatalogKind k64 = {L"Catalog_Entries64", L"Num_Catalog_Entries64", true};

// One catalog: its entries judged, removed and renumbered, then its count
// written if entries went. The status of the last step taken.
DWORD repairCatalog(const std::wstring& catalog, const CatalogKind& kind, const std::vector<std::u16string>& names,
                    elk::Judgement (*judge)(const std::wstring&, const std::u16string&, bool), DWORD status) {
    const std::wstring entries = catalog + L"\\" + kind.entries;
    RegistryEntries keys(entries);
    const elk::RepairOutcome outcome = elk::repairCatalog(
        names, [&](const std::u16string& name) { return judge(entries, name, kind.bits64); }, keys, status);
    if (outcome.remaining == outcome.listed) return outcome.status;
    elk::UniqueKey key;
    DWORD rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, catalog.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                               KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
    if (rc) return rc;
    const DWORD count = static_cast<DWORD>(outcome.remaining);
    return RegSetValueExW(key.get(), kind.count, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof(count));
}

DWORD repairPass(const CatalogKind& kind) {
    std::wstring protocol, nameSpace;
    if (DWORD rc = readCatalogName(L"Current_Protocol_Catalog", protocol)) {
        writeOut("Protocol Catalog key not present in the Registry.\n\n Please re-install Winsock 2.");
        return rc;
    }
    if (DWORD rc = readCatalogName(L"Current_NameSpace_Catalog", nameSpace)) {
        writeOut("Namespace Catalog key not present in the Registry.\n\n Please re-install Winsock 2.");
        return rc;
    }
    const std::wstring nameSpaceCatalog = kParameters + L"\\" + nameSpace;
    const std::wstring protocolCatalog = kParameters + L"\\" + protocol;
    std::vector<std::u16string> nameSpaceEntries, protocolEntries;
    listSubkeys(nameSpaceCatalog + L"\\" + kind.entries, nameSpaceEntries);
    DWORD status = listSubkeys(protocolCatalog + L"\\" + kind.entries, protocolEntries);
    status = repairCatalog(nameSpaceCatalog, kind, nameSpaceEntries, judgeNameSpaceEntry, status);
    return repairCatalog(protocolCatalog, kind, protocolEntries, judgeProtocolEntry, status);
}

// The system's own catalog reset; its exit code says nothing reliable.
DWORD resetCatalog() {
    wchar_t command[] = L"netsh winsock reset";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    if (!CreateProcessW(nullptr, command, nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                        &process))
        return GetLastError();
    elk::UniqueHandle child(process.hProcess), thread(process.hThread);
    WaitForSingleObject(child.get(), INFINITE);
    return ERROR_SUCCESS;
}

}  // namespace

extern "C" {

DWORD WINAPI basFixNetworkStack(INT mode) {
    try {
        repairPass(k32);
        DWORD result = repairPass(k64);
        return mode == 1 ? resetCatalog() : result;
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}

}  // extern "C"
