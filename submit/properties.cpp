// basSubmitPropertyArrayToString / basStringToSubmitPropertyArray: the
// exported face of submit/core/property_record.h over SubmitProperty.
#include <cstddef>

#include "include/elkBase.h"
#include "submit/core/property_record.h"

// SubmitProperty crosses module boundaries: natural alignment puts the value
// pointer right after the tag and its padding (offset 12 on 32-bit Windows,
// 16 on 64-bit).
static_assert(offsetof(SubmitProperty, value) == (sizeof(void*) == 4 ? 12 : 16));
static_assert(sizeof(SubmitProperty) == (sizeof(void*) == 4 ? 16 : 24));

DWORD WINAPI basSubmitPropertyArrayToString(const SubmitProperty* records, INT count, BYTE** buffer, DWORD* size) {
    if (buffer) *buffer = nullptr;
    if (size) *size = 0;
    if (!buffer || !size) return ERROR_INVALID_PARAMETER;
    uint8_t* flat;
    uint32_t bytes;
    uint32_t rc = elk::submit::flatten(records, count, flat, bytes);
    if (rc) return rc;
    *buffer = flat;
    *size = bytes;
    return 0;
}

DWORD WINAPI basStringToSubmitPropertyArray(const BYTE* buffer, DWORD size, SubmitProperty** records, INT* count) {
    if (records) *records = nullptr;
    if (count) *count = 0;
    if (!records || !count) return ERROR_INVALID_PARAMETER;
    int32_t n;
    uint32_t rc = elk::submit::rebuild(buffer, size, *records, n);
    *count = n;
    return rc;
}
