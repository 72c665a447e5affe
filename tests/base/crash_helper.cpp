// A program for the crash-report tests: starts the library on the
// installation its environment names, then runs the steps of its command line
// in order and prints what each one saw, one line each:
//
//   crash_helper START STEP...
//   START  true | false (basInitLibrary), or a flag word for basInitLibraryExt
//   report   basGenerateExceptionReport for an exception raised and caught on
//            a new thread: "report TID CODE"
//   filter   the process's top-level filter for such an exception: "filter TID RESULT"
//   state    "state MODE top|sentinel": the error mode, and whether the top-level
//            filter is still the one this program set before the start
//   free     basFreeLibrary: "free CODE"
//   fault    a new thread writes through a null pointer: "thread TID"; the
//            program does not come back from it (exit code 3 if it does)
//
// Every debugger-output text of the process is printed as "debug TEXT", and
// "sentinel" when the exception reached this program's own top-level filter.
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

#include "include/elkBase.h"

namespace {

constexpr DWORD kCaught = 0xE0C0FFEEu;
constexpr DWORD kDebugText = 0x40010006u;  // DBG_PRINTEXCEPTION_C

// The step run with the pointers of a caught exception.
LONG (*g_caughtStep)(EXCEPTION_POINTERS*);
LONG g_caughtResult;
// Null, but the compiler may not assume so and drop the store through it.
volatile int* volatile g_nowhere;

void line(const char* format, unsigned long a, unsigned long b = 0) {
    std::printf(format, a, b);
    std::fflush(stdout);
}

LONG CALLBACK watch(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers->ExceptionRecord;
    if (record->ExceptionCode == kDebugText && record->NumberParameters >= 2) {
        std::printf("debug %s", reinterpret_cast<const char*>(record->ExceptionInformation[1]));
        std::fflush(stdout);
    } else if (record->ExceptionCode == kCaught && g_caughtStep) {
        g_caughtResult = g_caughtStep(pointers);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}

LONG WINAPI sentinel(EXCEPTION_POINTERS*) {
    std::printf("sentinel\n");
    std::fflush(stdout);
    // No fault box for a crash that was meant to happen (Wine 8 starts its
    // debugger all the same; the tests switch off its dialog).
    SetErrorMode(SEM_NOGPFAULTERRORBOX);
    return EXCEPTION_CONTINUE_SEARCH;
}

LPTOP_LEVEL_EXCEPTION_FILTER currentFilter() {
    LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(nullptr);
    SetUnhandledExceptionFilter(current);
    return current;
}

UINT currentErrorMode() {
    UINT mode = SetErrorMode(0);
    SetErrorMode(mode);
    return mode;
}

DWORD WINAPI raiseCaught(void*) {
    RaiseException(kCaught, 0, 0, nullptr);
    return 0;
}

// Runs `step` on a new thread with a caught exception's pointers; its id.
DWORD onCaughtException(LONG (*step)(EXCEPTION_POINTERS*)) {
    g_caughtStep = step;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, raiseCaught, nullptr, 0, &id);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    g_caughtStep = nullptr;
    return id;
}

DWORD WINAPI fault(void*) {
    line("thread %lu\n", GetCurrentThreadId());
    *g_nowhere = 1;
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    _setmode(_fileno(stdout), _O_BINARY);
    AddVectoredExceptionHandler(1, watch);
    SetUnhandledExceptionFilter(sentinel);
    SetErrorMode(SEM_NOALIGNMENTFAULTEXCEPT);
    const std::wstring start = argv[1];
    DWORD rc = start == L"true"    ? basInitLibrary(TRUE)
               : start == L"false" ? basInitLibrary(FALSE)
                                   : basInitLibraryExt(std::wcstoul(argv[1], nullptr, 0));
    line("start %lu\n", rc);
    for (int i = 2; i < argc; ++i) {
        const std::wstring step = argv[i];
        if (step == L"report") {
            DWORD id = onCaughtException(
                [](EXCEPTION_POINTERS* p) { return static_cast<LONG>(basGenerateExceptionReport(p)); });
            line("report %lu %lu\n", id, static_cast<unsigned long>(g_caughtResult));
        } else if (step == L"filter") {
            DWORD id = onCaughtException([](EXCEPTION_POINTERS* p) { return currentFilter()(p); });
            line("filter %lu %lu\n", id, static_cast<unsigned long>(g_caughtResult));
        } else if (step == L"state") {
            std::printf("state 0x%X %s\n", currentErrorMode(), currentFilter() == sentinel ? "sentinel" : "top");
            std::fflush(stdout);
        } else if (step == L"free") {
            line("free %lu\n", basFreeLibrary());
        } else if (step == L"fault") {
            // No time limit: the dump is written while this thread waits,
            // and the test bounds the whole run.
            HANDLE thread = CreateThread(nullptr, 0, fault, nullptr, 0, nullptr);
            WaitForSingleObject(thread, INFINITE);
            return 3;
        } else {
            return 2;
        }
    }
    return 0;
}
