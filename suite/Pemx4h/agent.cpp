// Sessions are numbers in a small process-wide table; the formatter serves
// only while one is open, as the agent's texts come with a session.
#include "base/handles.h"
#include "base/suite/Pemx4h.h"
#include "base/wide.h"
#include "suite/Pemx4h/texts.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr size_t kMaxSessions = 64;
constexpr size_t kMaxHost = 255;

elk::CriticalSection g_lock;
DWORD g_sessions[kMaxSessions];  // 0: free
DWORD g_next = 1;

class Exclusive : public elk::Lock {
public:
    Exclusive() : elk::Lock(g_lock) {}
};

// A DNS name or an IPv4/IPv6 address in text.
bool validHost(const char* host) {
    size_t n = strnlen(host, kMaxHost + 1);
    if (n == 0 || n > kMaxHost) return false;
    return std::all_of(host, host + n, [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
               c == ':' || c == '_';
    });
}

bool anyOpen() {
    return std::any_of(std::begin(g_sessions), std::end(g_sessions), [](DWORD s) { return s != 0; });
}

}  // namespace

extern "C" {

DWORD WINAPI PemxStart(const char* host, DWORD reserved, DWORD* session) {
    if (session) *session = 0;
    if (!host || !session || reserved || !validHost(host)) return ERROR_INVALID_PARAMETER;
    Exclusive lock;
    DWORD* slot = std::find(std::begin(g_sessions), std::end(g_sessions), 0u);
    if (slot == std::end(g_sessions)) return ERROR_TOO_MANY_SESS;
    *slot = g_next;
    g_next = g_next == 0xFFFFFFFFu ? 1 : g_next + 1;
    *session = *slot;
    return ERROR_SUCCESS;
}

DWORD WINAPI PemxStop(DWORD session) {
    if (session == 0) return ERROR_INVALID_PARAMETER;
    Exclusive lock;
    DWORD* slot = std::find(std::begin(g_sessions), std::end(g_sessions), session);
    if (slot == std::end(g_sessions)) return ERROR_INVALID_PARAMETER;
    *slot = 0;
    return ERROR_SUCCESS;
}

DWORD WINAPI PemxFormatError(DWORD code, DWORD reserved, wchar_t* out) {
    if (!out) return ERROR_INVALID_PARAMETER;
    out[0] = L'\0';
    if (reserved) return ERROR_INVALID_PARAMETER;
    {
        Exclusive lock;
        if (!anyOpen()) return ERROR_NOT_READY;
    }
    std::u16string_view text = pemx::textOf(code);
    if (text.empty()) return ERROR_MR_MID_NOT_FOUND;
    size_t n = std::min<size_t>(text.size(), PEMX_TEXT_MAX - 1);
    std::copy_n(elk::wide(text.data()), n, out);
    out[n] = L'\0';
    return ERROR_SUCCESS;
}
}
