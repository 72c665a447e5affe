// Strings of the language module and texts for status codes.
#include "base/handles.h"
#include "base/bind.h"
#include "base/paths.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "lang/core/errcodes.h"
#include "lang/texts.h"

namespace {

// The management agent's entries, bound at run time. Its formatter writes at
// most kAgentTextMax characters, terminator included.
using AgentStart = DWORD(WINAPI*)(const char* host, DWORD reserved, DWORD* session);
using AgentFormat = DWORD(WINAPI*)(DWORD code, DWORD reserved, wchar_t* out);
using AgentStop = DWORD(WINAPI*)(DWORD session);
constexpr size_t kAgentTextMax = 512;

void agentText(DWORD code, wchar_t* out, DWORD size) {
    wchar_t path[520];
    if (!elk::composePath(fsGetTarvoProgramPath(), L"Pemx4h.dll", path, ARRAYSIZE(path))) return;
    elk::UniqueModule agent(LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!agent) return;
    auto start = elk::bindProc<AgentStart>(agent.get(), "PemxStart");
    auto stop = elk::bindProc<AgentStop>(agent.get(), "PemxStop");
    auto format = elk::bindProc<AgentFormat>(agent.get(), "PemxFormatError");
    DWORD session = 0;
    if (!start || !stop || !format || start("localhost", 0, &session) != 0) return;
    wchar_t text[kAgentTextMax + 1] = {};
    format(code, 0, text);
    text[kAgentTextMax] = L'\0';
    elk::cutAtLineEnd(elk::u16(text));
    elk::copyBounded(out, size, text);
    stop(session);
}

bool systemText(DWORD code, wchar_t* out, DWORD size, DWORD language) {
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, language, out,
                             size, nullptr);
    if (n == 0 || n >= size) {
        out[0] = L'\0';
        return false;
    }
    elk::trimSystemMessage(elk::u16(out));
    return true;
}

}  // namespace

extern "C" {

int WINAPI basGetString(UINT id, wchar_t* out, DWORD size) {
    return static_cast<int>(elk::loadText(nullptr, id, out, size));
}

void WINAPI basGetErrorStringEx(DWORD code, wchar_t* out, DWORD size, HMODULE strings, DWORD language) {
    if (!out || size == 0) return;
    out[0] = L'\0';
    elk::ErrorTextPlan plan = elk::planErrorText(code);
    if (plan.source == elk::ErrorTextSource::Agent) {
        agentText(code, out, size);
        if (out[0]) return;
    } else if (plan.source == elk::ErrorTextSource::System) {
        if (systemText(code, out, size, language)) return;
    }
    elk::formatText(strings, plan.stringId, out, size, code);
}

void WINAPI basGetErrorString(DWORD code, wchar_t* out, DWORD size) { basGetErrorStringEx(code, out, size, nullptr, 0); }

DWORD WINAPI basHRESULT2DWORD(DWORD result) { return elk::hresultToStatus(result); }
DWORD WINAPI basGetErrorType(DWORD code) { return static_cast<DWORD>(elk::errorType(code)); }

}
