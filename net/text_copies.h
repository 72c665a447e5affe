// Copies of wide texts in the forms the network family hands on: the suite
// OS layer's 8-bit and UTF-8 copies, and copies on the process heap.
#pragma once
#include <windows.h>

#include <cstring>
#include <cwchar>

#include "base/handles.h"
#include "base/suite/ozrCmnOS.h"

namespace elk {

// The 8-bit copy in the suite's code page. Null for a null text, and when the
// copy cannot be had.
inline UniqueSuiteText narrowCopy(const wchar_t* text) { return UniqueSuiteText(dep_strUnicodeToNewNormal(text, -1)); }

// The UTF-8 copy; null as above.
inline UniqueSuiteText utf8Copy(const wchar_t* text) { return UniqueSuiteText(dep_strCurrToNewUtf8(text, -1)); }

// A copy on the process heap, for calls that take non-constant text or keep
// it; null when the heap has no room.
inline UniqueHeap<wchar_t> heapCopy(const wchar_t* text) {
    size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    UniqueHeap<wchar_t> copy(static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, bytes)));
    if (copy) std::memcpy(copy.get(), text, bytes);
    return copy;
}

}  // namespace elk
