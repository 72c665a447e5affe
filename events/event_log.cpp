// The event-log entry points: the suite's modules hand their events here, and
// this library logs none of them. The fixed answers are what callers rely on.
#include <windows.h>

#include <cstring>

#include "base/handles.h"
#include "include/elkBase.h"

namespace {

// Written by basSetLogCategory only; nothing reads it yet.
volatile WORD g_logCategory = 4;

// The 8-bit text as wide text on the process heap; null for null text or
// when memory is short, which the caller treats as no text.
wchar_t* wideCopy(const char* text) {
    if (!text) return nullptr;
    size_t n = std::strlen(text);
    if (n >= 0x7FFFFFFE) return nullptr;
    auto* wide = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, (n + 1) * sizeof(wchar_t)));
    if (!wide) return nullptr;
    int capacity = static_cast<int>(n + 1);
    MultiByteToWideChar(CP_ACP, MB_PRECOMPOSED, text, capacity, wide, capacity);
    wide[n] = L'\0';
    return wide;
}

}  // namespace

extern "C" {

BOOLEAN WINAPI basIsEventToLog(DWORD, DWORD, DWORD) { return FALSE; }

DWORD WINAPI basLogEvent(DWORD, const wchar_t*, const wchar_t*, DWORD, DWORD, DWORD) { return ERROR_NOT_SUPPORTED; }

DWORD WINAPI basLogEventA(DWORD a, const char* b, const char* c, DWORD d, DWORD e, DWORD f) {
    elk::UniqueHeap<wchar_t> wideB(wideCopy(b)), wideC(wideCopy(c));
    return basLogEvent(a, wideB.get(), wideC.get(), d, e, f);
}

DWORD WINAPI basStoreLogEventDirect(DWORD, DWORD, DWORD, DWORD) { return ERROR_NOT_SUPPORTED; }

void WINAPI basSetLogCategory(WORD category) { g_logCategory = category; }

}
