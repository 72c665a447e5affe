// Text replacement in place, the 128-bit digest, the growing buffer and the
// release of a pointer array. Blocks come from the process heap so that they
// can pass between the suite's modules.
#include <cstring>
#include <string>

#include "base/suite/ozrCmnIS.h"
#include "base/wide.h"
#include "convert/core/textreplace.h"
#include "include/elkBase.h"

void WINAPI basChangeSubStr(wchar_t* text, DWORD capacity, const wchar_t* find, const wchar_t* replacement) {
    if (!text || !find || !replacement) return;
    // Own copies: the texts may point into the buffer being changed.
    try {
        std::u16string what(elk::u16(find)), with(elk::u16(replacement));
        elk::changeSubStr(elk::u16(text), capacity, what, with);
    } catch (...) {
        // No memory for the copies: the text stays as it was.
    }
}

DWORD WINAPI basGenerateHash128(const void* data, DWORD length, BYTE* digest) {
    if (!digest) return ERROR_INVALID_PARAMETER;
    std::memset(digest, 0, 16);
    if (!data && length) return ERROR_INVALID_PARAMETER;
    MD5_CTX context;
    if (DWORD rc = MD5Init(&context)) return rc;
    DWORD rc = MD5Update(&context, data, length);
    // MD5Final also releases the context, so it runs after a failed update too.
    BYTE result[16];
    DWORD done = MD5Final(result, &context);
    if (rc) return rc;
    if (done) return done;
    std::memcpy(digest, result, sizeof result);
    return 0;
}

DWORD WINAPI basAdjustBuffer(void** block, DWORD* size, DWORD needed) {
    if (!block || !size) return ERROR_INVALID_PARAMETER;
    HANDLE heap = GetProcessHeap();
    if (needed == 0) {
        if (*block) HeapFree(heap, 0, *block);
        *block = nullptr;
        *size = 0;
        return 0;
    }
    if (*block && *size >= needed) return 0;
    // The contents are not kept: callers refill the buffer after growing it.
    if (*block) HeapFree(heap, 0, *block);
    *size = needed;
    *block = HeapAlloc(heap, 0, needed);
    return *block ? 0 : ERROR_NOT_ENOUGH_MEMORY;
}

void WINAPI basFreeMemArray(CMyPtrArray* array) {
    if (!array) return;
    HANDLE heap = GetProcessHeap();
    for (UINT i = 0; i < array->GetSize(); ++i)
        if (void* p = array->GetAt(i)) HeapFree(heap, 0, p);
    array->RemoveAll();
}
