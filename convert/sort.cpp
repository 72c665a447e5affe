// basQuickSort / basQuickSortParam: the exported face of the stable quick
// sort in convert/core/quicksort.h over the library's growable arrays.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "convert/core/quicksort.h"
#include "include/elkBase.h"

namespace {

// The value a comparison sees: the element's first bytes, up to a pointer's
// width (the whole element of a pointer or DWORD array). Whole elements move.
ULONG_PTR valueOf(const std::byte* element, size_t size) {
    ULONG_PTR value = 0;
    std::memcpy(&value, element, std::min(size, sizeof value));
    return value;
}

template <class Call>
DWORD sortRange(CMyArray* array, INT first, INT end, Call&& call) {
    long long n = static_cast<long long>(end) - first;
    if (n < 2) return 0;
    // A range outside the array would move memory that is not the array's.
    if (!array || first < 0 || static_cast<unsigned long long>(end) > array->GetSize())
        return ERROR_INVALID_PARAMETER;
    // The element size is private to the array; two neighbouring slots tell it.
    size_t size = static_cast<size_t>(array->GetAt(1) - array->GetAt(0));
    elk::sort::quickSort(array->GetAt(static_cast<UINT>(first)), size, static_cast<size_t>(n),
                         [&](const std::byte* pivot, const std::byte* element) {
                             return call(valueOf(pivot, size), valueOf(element, size));
                         });
    return 0;
}

}  // namespace

DWORD WINAPI basQuickSort(CMyArray* array, INT first, INT end, ELK_SORT_COMPARE compare) {
    if (!compare && static_cast<long long>(end) - first >= 2) return ERROR_INVALID_PARAMETER;
    return sortRange(array, first, end, [compare](ULONG_PTR a, ULONG_PTR b) { return compare(a, b); });
}

DWORD WINAPI basQuickSortParam(CMyArray* array, INT first, INT end, ELK_SORT_COMPARE_PARAM compare,
                               ULONG_PTR param) {
    if (!compare && static_cast<long long>(end) - first >= 2) return ERROR_INVALID_PARAMETER;
    return sortRange(array, first, end,
                     [compare, param](ULONG_PTR a, ULONG_PTR b) { return compare(a, b, param); });
}
