#include "submit/sample_facts.h"

#include <shlobj.h>

#include <cwchar>

#include "base/suite/ozrCmnBS.h"
#include "base/suite/ozrCmnOS.h"
#include "include/elkBase.h"
#include "submit/core/sampling.h"
#include "submit/core/spool_format.h"

namespace elk::submit {

namespace {

constexpr DWORD kPathSize = 520;

// A file below the program folder; empty when the path does not fit.
std::wstring programFile(const wchar_t* name) {
    wchar_t path[kPathSize];
    const wchar_t* program = fsGetTarvoProgramPath();
    if (!program || basCreatePath(program, name, path, kPathSize) == 0 || path[kPathSize - 1] != L'\0') return {};
    return path;
}

bool startsWith(const wchar_t* name, const wchar_t* folder) {
    std::size_t n = std::wcslen(folder);
    return n > 0 && std::wcsncmp(name, folder, n) == 0;
}

// The name begins with the folder or its short form.
bool inFolder(const wchar_t* name, const wchar_t* folder) {
    if (folder[0] == L'\0') return false;
    if (startsWith(name, folder)) return true;
    wchar_t shortForm[MAX_PATH];
    DWORD n = GetShortPathNameW(folder, shortForm, MAX_PATH);
    return n > 0 && n < MAX_PATH && startsWith(name, shortForm);
}

bool specialFolder(int id, wchar_t (&out)[MAX_PATH]) {
    out[0] = L'\0';
    return SHGetSpecialFolderPathW(nullptr, out, id, FALSE) && out[0] != L'\0';
}

}  // namespace

unsigned filterValue(std::uint32_t kind) {
    FilterKey key = filterKeyOf(kind);
    std::wstring servers = programFile(L"setup\\servers.def");
    if (servers.empty()) return key.defaultValue;
    return GetPrivateProfileIntW(L"Servers", key.name, static_cast<INT>(key.defaultValue), servers.c_str());
}

bool takesPart(std::uint32_t kind) {
    unsigned n = filterValue(kind);
    if (n <= 1) return n == 1;
    std::wstring setup = programFile(L"setup\\setup.ini");
    wchar_t id[38] = {};
    DWORD read = setup.empty() ? 0 : GetPrivateProfileStringW(L"Common", L"GUID", L"", id, 38, setup.c_str());
    return selects(n, read == 36 ? firstFieldOf(std::wstring_view(id, read)) : std::nullopt);
}

std::string ansi(const wchar_t* text) {
    char bytes[260] = {};
    basU2A(text, bytes, sizeof bytes);
    return bytes;
}

std::string installationId() {
    std::wstring setup = programFile(L"setup\\setup.ini");
    if (setup.empty()) return {};
    wchar_t id[64] = {};
    GetPrivateProfileStringW(L"Common", L"GUID", L"", id, 64, setup.c_str());
    return ansi(id);
}

std::uint32_t programVersion() {
    DWORD setupVersion = 0;
    basGetDWORDValue(HKEY_LOCAL_MACHINE, L"SetupVersion", &setupVersion);
    // The value's bytes, read as the wide text they hold; one unit more
    // than the room stays zero, so the text always ends.
    wchar_t text[131] = {};
    unsigned major = 0, minor = 0;
    if (basGetBinaryValue(HKEY_LOCAL_MACHINE, L"Version", reinterpret_cast<BYTE*>(text), 260) == 0 &&
        std::swscanf(text, L"%u.%u", &major, &minor) != 2)
        major = minor = 0;
    return setupVersion | ((major * 256 + minor) << 16);
}

std::uint32_t systemBuild() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    if (!GetVersionExW(&version)) return 0;
    std::uint32_t build = version.dwBuildNumber;
    if (build == 0) return 0;
    return dep_osIsWin64() ? build | 0x80000000u : build;
}

std::uint32_t withLocation(const wchar_t* name, std::uint32_t flags) {
    wchar_t folder[MAX_PATH];
    if (!(flags & kInWindowsFolder)) {
        UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
        if (n > 0 && n < MAX_PATH && inFolder(name, folder)) flags |= kInWindowsFolder;
    }
    if (!(flags & (kInWindowsFolder | kInProgramFiles)) && specialFolder(CSIDL_PROGRAM_FILES, folder) &&
        inFolder(name, folder))
        flags |= kInProgramFiles;
    if (!(flags & (kInWindowsFolder | kInProgramFiles | kInProfile)) && specialFolder(CSIDL_PROFILE, folder) &&
        inFolder(name, folder))
        flags |= kInProfile;
    return flags;
}

}  // namespace elk::submit
