// Versions, virus-database versions and system-version records as text.
#include <windows.h>

#include <cstddef>
#include <cstring>

#include "base/wide.h"
#include "convert/core/osversion.h"
#include "convert/core/version.h"
#include "convert/ostexts.h"
#include "include/elkBase.h"

// The portable record is read and written as the system's own.
static_assert(sizeof(OSVERSIONINFOEXW) == elk::kOsRecordLongSize);
static_assert(sizeof(OSVERSIONINFOW) == elk::kOsRecordShortSize);
static_assert(offsetof(OSVERSIONINFOEXW, szCSDVersion) == offsetof(elk::OsVersionRecord, servicePack));
static_assert(offsetof(OSVERSIONINFOEXW, wServicePackMajor) == offsetof(elk::OsVersionRecord, servicePackMajor));
static_assert(offsetof(OSVERSIONINFOEXW, wProductType) == offsetof(elk::OsVersionRecord, productType));

extern "C" {

BOOLEAN WINAPI basString2Version(const wchar_t* text, DWORD* high, DWORD* low) {
    elk::VersionPair pair;
    bool ok = elk::parseVersion(elk::u16(text), pair);
    if (high) *high = pair.high;
    if (low) *low = pair.low;
    return ok && high && low;
}

int WINAPI basVersion2String(wchar_t* out, DWORD size, DWORD high, DWORD low) {
    wchar_t missing[260] = {};
    if (high == 0 && low == 0) elk::unknownVersionText(missing, ARRAYSIZE(missing));
    return elk::formatVersion(elk::u16(out), size, {high, low}, elk::u16(missing));
}

BOOLEAN WINAPI basVPSString2Version(const wchar_t* text, DWORD* first, DWORD* second) {
    elk::VersionPair pair = elk::parseDatabaseVersion(elk::u16(text));
    if (first) *first = pair.high;
    if (second) *second = pair.low;
    return TRUE;
}

DWORD WINAPI basHex2DWORD(const wchar_t* text) { return elk::parseHex32(elk::u16(text)); }

int WINAPI basOSVersion2String(const OSVERSIONINFOW* record, wchar_t* out, DWORD size) {
    if (!record) {
        if (out && size) out[0] = L'\0';
        return -1;
    }
    // The long fields are read only from a record that says it has them; an
    // odd size still writes the long form, with zeros for what it lacks.
    elk::OsVersionRecord r{};
    std::memcpy(&r, record,
                record->dwOSVersionInfoSize >= elk::kOsRecordLongSize ? elk::kOsRecordLongSize : elk::kOsRecordShortSize);
    return elk::osVersionToText(r, elk::u16(out), size);
}

void WINAPI basString2OSVersion(const wchar_t* text, OSVERSIONINFOEXW* record) {
    if (!record) return;
    elk::OsVersionRecord r;
    std::memcpy(&r, record, sizeof(r));
    elk::osVersionFromText(elk::u16(text), r);
    std::memcpy(record, &r, sizeof(r));
}

}
