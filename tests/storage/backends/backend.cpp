// A scriptable storage back-end for the tests. Each entry appends its name to
// the variable ELKTEST_BACKEND_CALLS and answers the number in
// ELKTEST_BACKEND_INIT or ELKTEST_BACKEND_FREE (0 when unset). Which entries
// are exported is up to the .def file of each variant.
#include <windows.h>

#include <cwchar>
#include <string>

extern "C" __declspec(dllimport) DWORD elkTestDepPass(DWORD value);

namespace {

const wchar_t kCalls[] = L"ELKTEST_BACKEND_CALLS";

DWORD scriptedResult(const wchar_t* variable) {
    wchar_t text[32];
    DWORD n = GetEnvironmentVariableW(variable, text, ARRAYSIZE(text));
    if (n == 0 || n >= ARRAYSIZE(text)) return 0;
    return wcstoul(text, nullptr, 0);
}

void record(const wchar_t* call) {
    wchar_t text[512] = L"";
    DWORD n = GetEnvironmentVariableW(kCalls, text, ARRAYSIZE(text));
    if (n >= ARRAYSIZE(text)) n = 0;
    std::wstring calls(text, n);
    calls += call;
    calls += L";";
    SetEnvironmentVariableW(kCalls, calls.c_str());
}

}  // namespace

extern "C" {

DWORD WINAPI dbsInitLibrary(void) {
    record(L"init");
    return elkTestDepPass(scriptedResult(L"ELKTEST_BACKEND_INIT"));
}

DWORD WINAPI dbsFreeLibrary(void) {
    record(L"free");
    return scriptedResult(L"ELKTEST_BACKEND_FREE");
}

}
