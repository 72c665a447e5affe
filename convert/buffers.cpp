// The growing buffer and the release of a pointer array. Blocks come from the
// process heap so that they can pass between the suite's modules.
#include "include/elkBase.h"

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
