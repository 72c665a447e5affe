// The settings password: flags and a password digest in "ozrResp.dat" in the
// data folder, held open between the first open and the last close.
#include <windows.h>

#include <cwchar>

#include "base/handles.h"
#include "base/paths.h"
#include "base/suite/ozrCmnBS.h"
#include "base/suite/ozrCmnIS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "storage/core/password_file.h"

namespace {

using elk::storage::Digest;
using elk::storage::RespRecord;

struct PasswordState {
    // Callers are meant to use the file from one thread, but a lock costs
    // nothing here and keeps the count and the handle consistent if they do not.
    elk::CriticalSection lock;
    DWORD openCount = 0;
    elk::UniqueFile file;
    RespRecord record;
};
PasswordState g_password;

// The digest under which a password is stored: its characters with the terminator.
bool digestOf(const wchar_t* password, Digest& digest) {
    size_t length = wcslen(password);
    if (length >= MAXDWORD / sizeof(wchar_t)) return false;
    return mdaGenerate(password, static_cast<DWORD>((length + 1) * sizeof(wchar_t)), digest.data()) == 0;
}

DWORD rewind(HANDLE file) {
    return SetFilePointer(file, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER ? GetLastError() : 0;
}

// Writes all of `data` at `offset` and rewinds; 29 for a short write.
DWORD writeAt(HANDLE file, LONG offset, const void* data, DWORD size) {
    if (SetFilePointer(file, offset, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER) return GetLastError();
    DWORD written = 0;
    DWORD rc = WriteFile(file, data, size, &written, nullptr) ? 0 : GetLastError();
    if (rc == 0 && written != size) rc = ERROR_WRITE_FAULT;
    DWORD rewound = rewind(file);
    return rc ? rc : rewound;
}

DWORD fileSize(HANDLE file, ULONGLONG& size) {
    LARGE_INTEGER value;
    if (!GetFileSizeEx(file, &value)) return GetLastError();
    size = static_cast<ULONGLONG>(value.QuadPart);
    return 0;
}

DWORD openFile() {
    wchar_t path[MAX_PATH];
    if (!elk::composePath(fsGetTarvoDataPath(), L"ozrResp.dat", path, ARRAYSIZE(path)))
        return ERROR_FILENAME_EXCED_RANGE;
    elk::UniqueFile file(CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr));
    // A user who may not write the file can still be asked for its password.
    if (!file && GetLastError() == ERROR_ACCESS_DENIED)
        file.reset(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    if (!file) return GetLastError();

    ULONGLONG size = 0;
    if (DWORD rc = fileSize(file.get(), size)) return rc;
    BYTE head[elk::storage::kRespRecordBytes] = {};
    DWORD read = 0;
    if (size != 0 && !ReadFile(file.get(), head, sizeof(head), &read, nullptr)) read = 0;
    if (DWORD rc = rewind(file.get())) return rc;
    g_password.record = elk::storage::decodeRespRecord(head, read, size);
    g_password.file = std::move(file);
    return 0;
}

DWORD requireOpen() { return g_password.file ? 0 : ERROR_INVALID_HANDLE; }

}  // namespace

extern "C" {

DWORD WINAPI basResPwdOpen(void) {
    elk::Lock guard(g_password.lock);
    if (g_password.openCount != 0) {
        ++g_password.openCount;
        return 0;
    }
    g_password.record = RespRecord();
    if (DWORD rc = openFile()) return rc;
    g_password.openCount = 1;
    return 0;
}

DWORD WINAPI basResPwdClose(void) {
    elk::Lock guard(g_password.lock);
    // An unmatched close must not wrap the count.
    if (g_password.openCount == 0 || --g_password.openCount != 0) return 0;
    g_password.record = RespRecord();
    g_password.file.reset();
    return 0;
}

BOOL WINAPI basResPwdCheck(const wchar_t* password) {
    if (!password) return FALSE;
    Digest digest;
    // A digest that could not be made matches nothing, not even a blank one.
    if (!digestOf(password, digest)) return FALSE;
    elk::Lock guard(g_password.lock);
    return g_password.record.hasDigest && digest == g_password.record.digest;
}

DWORD WINAPI basResPwdSet(const wchar_t* password) {
    if (!password) return ERROR_INVALID_PARAMETER;
    Digest digest;
    if (!digestOf(password, digest)) return ERROR_INVALID_PARAMETER;
    elk::Lock guard(g_password.lock);
    if (DWORD rc = requireOpen()) return rc;
    // The flags go down with the digest: a new file holds none yet, and the
    // zeros in front of a lone digest would read back as "nothing protected".
    const auto bytes = elk::storage::encodeRespRecord(g_password.record.flags, digest);
    if (DWORD rc = writeAt(g_password.file.get(), 0, bytes.data(), static_cast<DWORD>(bytes.size()))) return rc;
    g_password.record.digest = digest;
    g_password.record.hasDigest = true;
    g_password.record.empty = false;
    return 0;
}

DWORD WINAPI basResPwdDeletePassword(void) {
    elk::Lock guard(g_password.lock);
    if (DWORD rc = requireOpen()) return rc;
    HANDLE file = g_password.file.get();
    ULONGLONG size = 0;
    if (DWORD rc = fileSize(file, size)) return rc;
    // A file without a digest stays as it is: cutting a new, 0-byte file at 4
    // would write zero flags in place of the defaults.
    if (size > elk::storage::kFlagsBytes) {
        if (SetFilePointer(file, static_cast<LONG>(elk::storage::kFlagsBytes), nullptr, FILE_BEGIN) ==
            INVALID_SET_FILE_POINTER)
            return GetLastError();
        DWORD rc = SetEndOfFile(file) ? 0 : GetLastError();
        rewind(file);
        if (rc) return rc;
    }
    g_password.record.digest = Digest{};
    g_password.record.hasDigest = false;
    g_password.record.empty = true;
    return 0;
}

DWORD WINAPI basResPwdFlagsSet(DWORD flags) {
    elk::Lock guard(g_password.lock);
    if (DWORD rc = requireOpen()) return rc;
    const auto bytes = elk::storage::encodeRespRecord(flags, Digest{});
    if (DWORD rc = writeAt(g_password.file.get(), 0, bytes.data(), static_cast<DWORD>(elk::storage::kFlagsBytes)))
        return rc;
    g_password.record.flags = flags;
    return 0;
}

DWORD WINAPI basResPwdFlagsGet(void) {
    elk::Lock guard(g_password.lock);
    return g_password.record.flags;
}

BOOL WINAPI basResPwdIsEmpty(void) {
    elk::Lock guard(g_password.lock);
    return g_password.record.empty;
}

}
