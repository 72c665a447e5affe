// Lists of paths with mapped network drives written as network names, so that
// a path means the same in another session or on another machine.
#include <windows.h>
#include <winnetwk.h>

#include <cwchar>
#include <string>
#include <string_view>

#include "base/suite/ozrCmnOS.h"
#include "include/elkBase.h"

namespace {

// The path on a mapped drive with the drive's network name in place of its
// letter; false for every other path (local, a share already, unmapped).
bool networkForm(const std::wstring& path, std::wstring& out) {
    wchar_t root[DEP_ROOT_MAX];
    DWORD info[DEP_DRIVE_INFO_COUNT] = {};
    if (dep_fsExtractDriveRoot(path.c_str(), root, info, DEP_DRIVE_INFO_COUNT) != 0) return false;
    if (info[0] != DRIVE_REMOTE || (info[1] & DEP_ROOT_SHARE)) return false;
    // Positions reported by the OS layer are checked before they index anything.
    if (info[2] + 2 > wcsnlen(root, DEP_ROOT_MAX)) return false;
    const wchar_t drive[3] = {root[info[2]], root[info[2] + 1], L'\0'};
    wchar_t remote[MAX_PATH];
    DWORD size = MAX_PATH;
    if (WNetGetConnectionW(drive, remote, &size) != NO_ERROR) return false;
    out = remote;
    // The rest begins after the root's backslash, which the network name
    // lacks: "Z:" stays the share itself, "Z:\dir" gets it back.
    const size_t rest = info[3] <= path.size() ? info[3] : path.size();
    const bool separated = rest > 0 && (path[rest - 1] == L'\\' || path[rest - 1] == L'/');
    if ((separated || rest < path.size()) && (out.empty() || out.back() != L'\\')) out += L'\\';
    out.append(path, rest);
    return true;
}

}  // namespace

extern "C" DWORD WINAPI basExpandUserAreas(const wchar_t* list, wchar_t** result, DWORD flags) {
    if (flags & 1) {
        if (!result) return ERROR_BAD_ARGUMENTS;
        if (*result) HeapFree(GetProcessHeap(), 0, *result);
        *result = nullptr;
        return 0;
    }
    if (result) *result = nullptr;
    // Without a place for the answer there is nothing to do it for.
    if (!list || !result) return ERROR_BAD_ARGUMENTS;

    const std::wstring_view text(list);
    std::wstring expanded;
    bool rewritten = false;
    for (size_t at = 0; at < text.size();) {
        size_t end = text.size(), pathBegin = at, pathEnd = text.size();
        const bool quoted = text[at] == L'"';
        if (quoted) {
            pathBegin = at + 1;
            size_t close = text.find(L'"', pathBegin);
            if (close != std::wstring_view::npos) {
                pathEnd = close;
                end = close + 1;
                if (end < text.size() && text[end] == L';') ++end;
            }
        }
        std::wstring network;
        if (networkForm(std::wstring(text.substr(pathBegin, pathEnd - pathBegin)), network)) {
            rewritten = true;
            if (quoted) expanded += L'"';
            expanded += network;
            expanded.append(text.substr(pathEnd, end - pathEnd));
        } else {
            expanded.append(text.substr(at, end - at));
        }
        at = end;
    }
    if (!rewritten && (flags & 2)) return 0;
    auto* copy = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (expanded.size() + 1) * sizeof(wchar_t)));
    if (!copy) return ERROR_NOT_ENOUGH_MEMORY;
    wmemcpy(copy, expanded.c_str(), expanded.size() + 1);
    *result = copy;
    return 0;
}
