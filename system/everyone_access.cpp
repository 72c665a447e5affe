// Opens a file or folder to all users: Everyone gets full generic access in
// its access list, and in a folder the files created there inherit it.
#include <windows.h>

#include <utility>

#include "base/handles.h"
#include "include/elkBase.h"

namespace {

constexpr DWORD kFullGeneric = GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL;
constexpr DWORD kEntryHeader = sizeof(ACCESS_ALLOWED_ACE) - sizeof(DWORD);  // header and mask

using Block = elk::UniqueLocal<HLOCAL>;

// Entries whose SID follows the header and the mask; object entries carry
// their types in between and are never Everyone's entries of ours.
bool sidAfterMask(BYTE type) {
    switch (type) {
    case ACCESS_ALLOWED_ACE_TYPE:
    case ACCESS_DENIED_ACE_TYPE:
    case SYSTEM_AUDIT_ACE_TYPE:
    case SYSTEM_ALARM_ACE_TYPE:
    case ACCESS_ALLOWED_CALLBACK_ACE_TYPE:
    case ACCESS_DENIED_CALLBACK_ACE_TYPE:
    case SYSTEM_AUDIT_CALLBACK_ACE_TYPE:
    case SYSTEM_ALARM_CALLBACK_ACE_TYPE:
        return true;
    default:
        return false;
    }
}

bool isEntryOf(const ACE_HEADER* entry, PSID sid) {
    return sidAfterMask(entry->AceType) && entry->AceSize >= kEntryHeader + GetLengthSid(sid) &&
           EqualSid(reinterpret_cast<BYTE*>(const_cast<ACE_HEADER*>(entry)) + kEntryHeader, sid);
}

bool entryCount(PACL acl, DWORD& count, DWORD* bytesInUse = nullptr) {
    ACL_SIZE_INFORMATION info;
    if (!GetAclInformation(acl, &info, sizeof(info), AclSizeInformation)) return false;
    count = info.AceCount;
    if (bytesInUse) *bytesInUse = info.AclBytesInUse;
    return true;
}

bool removeEntriesOf(PACL acl, PSID sid) {
    DWORD count;
    if (!entryCount(acl, count)) return false;
    while (count-- > 0) {
        void* entry;
        if (!GetAce(acl, count, &entry)) return false;
        if (isEntryOf(static_cast<ACE_HEADER*>(entry), sid) && !DeleteAce(acl, count)) return false;
    }
    return true;
}

// Appends the entries of `from` whose inherited flag is `inherited`, from the
// last to the first (all of them, in order, when `inherited` is null).
bool copyEntries(PACL from, PACL to, const bool* inherited, bool reversed) {
    DWORD count;
    if (!entryCount(from, count)) return false;
    for (DWORD n = 0; n < count; ++n) {
        void* entry;
        if (!GetAce(from, reversed ? count - 1 - n : n, &entry)) return false;
        const auto* header = static_cast<ACE_HEADER*>(entry);
        if (inherited && ((header->AceFlags & INHERITED_ACE) != 0) != *inherited) continue;
        if (!AddAce(to, ACL_REVISION, MAXDWORD, entry, header->AceSize)) return false;
    }
    return true;
}

bool appendEveryone(PACL acl, PSID everyone, BYTE flags) {
    if (!AddAccessAllowedAce(acl, ACL_REVISION, kFullGeneric, everyone)) return false;
    DWORD count;
    void* last;
    if (!entryCount(acl, count) || count == 0 || !GetAce(acl, count - 1, &last)) return false;
    static_cast<ACE_HEADER*>(last)->AceFlags = flags;
    return true;
}

// On NT 5.x Everyone's entries go first, ahead of any denial the list holds.
bool sortsEntries() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExW(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion == 5;
}

// Explicit entries, then inherited ones, each group reversed; false on failure.
bool sortNt5(Block& acl) {
    PACL first = static_cast<PACL>(acl.get());
    DWORD count, bytes;
    if (!entryCount(first, count, &bytes)) return false;
    Block sorted(LocalAlloc(LPTR, bytes));
    PACL second = static_cast<PACL>(sorted.get());
    const bool explicitOnes = false, inheritedOnes = true;
    if (!second || !InitializeAcl(second, bytes, ACL_REVISION) || !copyEntries(first, second, &explicitOnes, true) ||
        !copyEntries(first, second, &inheritedOnes, true))
        return false;
    acl = std::move(sorted);
    return true;
}

}  // namespace

extern "C" {

BOOL WINAPI basEnableWriteAccessToEveryone(const wchar_t* path) {
    if (!path) return FALSE;
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    elk::UniqueSid everyone;
    if (!AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, everyone.put())) return FALSE;

    // The size query fails by design; its error must not stand for a later
    // refusal, such as that of a null list.
    DWORD error = GetLastError(), needed = 0;
    GetFileSecurityW(path, DACL_SECURITY_INFORMATION, nullptr, 0, &needed);
    if (needed == 0) return FALSE;
    SetLastError(error);
    Block read(LocalAlloc(LPTR, needed));
    if (!read || !GetFileSecurityW(path, DACL_SECURITY_INFORMATION, read.get(), needed, &needed)) return FALSE;

    SECURITY_DESCRIPTOR written;
    if (!InitializeSecurityDescriptor(&written, SECURITY_DESCRIPTOR_REVISION)) return FALSE;
    BOOL present = FALSE, defaulted = FALSE;
    PACL dacl = nullptr;
    // A null list already lets everybody in; there is nothing to add to.
    if (!GetSecurityDescriptorDacl(read.get(), &present, &dacl, &defaulted) || !present || !dacl) return FALSE;

    // A second run replaces the first run's entries instead of adding to them.
    if (!removeEntriesOf(dacl, everyone.get())) return FALSE;
    DWORD kept, bytesInUse;
    if (!entryCount(dacl, kept, &bytesInUse)) return FALSE;

    DWORD attributes = GetFileAttributesW(path);
    bool folder = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    DWORD entryBytes = kEntryHeader + GetLengthSid(everyone.get());
    DWORD size = bytesInUse + (folder ? 2 * entryBytes : entryBytes);
    Block acl(LocalAlloc(LPTR, size));
    if (!acl || !InitializeAcl(static_cast<PACL>(acl.get()), size, ACL_REVISION)) return FALSE;
    PACL fresh = static_cast<PACL>(acl.get());
    if (!copyEntries(dacl, fresh, nullptr, false)) return FALSE;
    // The folder's files inherit full access; the folder itself and its
    // subfolders get it from the second entry.
    if (folder && !appendEveryone(fresh, everyone.get(), OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE)) return FALSE;
    if (!appendEveryone(fresh, everyone.get(), CONTAINER_INHERIT_ACE)) return FALSE;
    if (sortsEntries() && !sortNt5(acl)) return FALSE;

    if (!SetSecurityDescriptorDacl(&written, TRUE, static_cast<PACL>(acl.get()), FALSE)) return FALSE;
    return SetFileSecurityW(path, DACL_SECURITY_INFORMATION, &written) ? TRUE : FALSE;
}

}
