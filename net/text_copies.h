// Copies of wide texts in the forms the network family hands on: the suite
// OS layer's 8-bit and UTF-8 copies, and copies on the process heap.
#pragma once
#include <windows.h>

#include <cstring>
#include <cwchar>
#include <string>

#include "base/handles.h"
#include "base/suite/ozrCmnOS.h"
#include "include/elkBase.h"

namespace elk {

// The 8-bit copy in the suite's code page. Null for a null text, and when the
// copy cannot be had.
inline UniqueSuiteText narrowCopy(const wchar_t* text) { return UniqueSuiteText(dep_strUnicodeToNewNormal(text, -1)); }

// The UTF-8 copy; null as above.
inline UniqueSuiteText utf8Copy(const wchar_t* text) { return UniqueSuiteText(dep_strCurrToNewUtf8(text, -1)); }

// The text in the system's ANSI code page as basU2A converts it, in at most
// `capacity` bytes with the terminator (cut beyond). May throw bad_alloc.
inline std::string ansiCopy(const wchar_t* text, size_t capacity) {
    std::string copy(capacity, '\0');
    basU2A(text, copy.data(), static_cast<DWORD>(capacity));
    copy.resize(std::strlen(copy.c_str()));
    return copy;
}

// The whole text in the system's ANSI code page: two bytes per UTF-16 unit
// are as many as a code page of the system takes.
inline std::string ansiCopy(const wchar_t* text) { return ansiCopy(text, std::wcslen(text) * 2 + 1); }

// A copy on the process heap, for calls that take non-constant text or keep
// it; null when the heap has no room.
inline UniqueHeap<wchar_t> heapCopy(const wchar_t* text) {
    size_t bytes = (std::wcslen(text) + 1) * sizeof(wchar_t);
    UniqueHeap<wchar_t> copy(static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, bytes)));
    if (copy) std::memcpy(copy.get(), text, bytes);
    return copy;
}

}  // namespace elk
