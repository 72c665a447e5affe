// elkctl dump: a minidump of elkctl itself, written the way the library
// writes one for an exception that a caller caught.
#include <windows.h>

#include <map>
#include <string>

#include "base/suite/ozrCmnBS.h"
#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

constexpr DWORD kDumpRequest = 0xE0454C4Bu;
DWORD g_reportResult = ERROR_CALL_NOT_IMPLEMENTED;

// The exception's pointers are valid only while it is being handled.
LONG CALLBACK writeReport(EXCEPTION_POINTERS* pointers) {
    if (pointers->ExceptionRecord->ExceptionCode != kDumpRequest) return EXCEPTION_CONTINUE_SEARCH;
    g_reportResult = basGenerateExceptionReport(pointers);
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The dumps in `folder` (ending in a backslash), each with its last write.
std::map<std::wstring, ULONGLONG> dumpsIn(const std::wstring& folder) {
    std::map<std::wstring, ULONGLONG> dumps;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((folder + L"*.mdmp").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return dumps;
    do
        dumps[found.cFileName] = (ULONGLONG(found.ftLastWriteTime.dwHighDateTime) << 32) |
                                 found.ftLastWriteTime.dwLowDateTime;
    while (FindNextFileW(find, &found));
    FindClose(find);
    return dumps;
}

}  // namespace

int dump(int argc, wchar_t**) {
    if (argc != 0) return kMisused;
    Started library(ELK_INIT_LIGHT);
    if (library.status() != 0) return reportFailure(L"library not started", library.status());
    std::wstring folder = fsGetTarvoLogPath();
    if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
    // The library keeps the dump's name to itself: it is the one file that
    // the report adds or rewrites.
    const std::map<std::wstring, ULONGLONG> before = dumpsIn(folder);
    PVOID handler = AddVectoredExceptionHandler(1, writeReport);
    RaiseException(kDumpRequest, 0, 0, nullptr);
    RemoveVectoredExceptionHandler(handler);
    if (g_reportResult != 0) return reportFailure(L"no dump written", g_reportResult);
    for (const auto& [name, written] : dumpsIn(folder)) {
        auto earlier = before.find(name);
        if (earlier != before.end() && earlier->second == written) continue;
        print(folder + name + L"\n");
        return 0;
    }
    return reportFailure(L"the dump is not in the log folder", ERROR_FILE_NOT_FOUND);
}

}  // namespace elkctl
