// Crash reports: minidumps of the process into the suite's log folder, from
// the top-level exception filter and on a caller's request.
#include <windows.h>
#include <dbghelp.h>

#include "base/bind.h"
#include "base/crash_report.h"
#include "base/handles.h"
#include "base/suite/ozrCmnBS.h"
#include "base/wide.h"
#include "include/elkBase.h"

namespace elk {

namespace {

using WriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                  PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

constexpr wchar_t kDumpExtension[] = L".mdmp";
constexpr UINT kInstalledErrorMode = SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;
// After a crash the system's own fault box may show again.
constexpr UINT kCrashedErrorMode = SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;

// Everything below is guarded by g_dumpLock: the installation, the removal
// and every dump. The dump library's functions are not safe to call from two
// threads at once, and a thread that crashes while another writes the dump
// must wait for that dump rather than let the system end the process half-way.
CriticalSection g_dumpLock;

// Kept for the life of the process once loaded; null entry when missing.
HMODULE g_dumpLibrary;
WriteDumpFn g_writeDump;

// The dump's path without its extension; empty with g_basePathError saying why.
wchar_t g_basePath[MAX_PATH];
DWORD g_basePathError = ERROR_CALL_NOT_IMPLEMENTED;
// The empty temporary file whose name the dump borrows: it keeps any other
// process from drawing the same name while this one may still write a dump.
wchar_t g_reservation[MAX_PATH];
bool g_basePathUsed;  // a dump was written under the current base path

UINT g_savedErrorMode;
LPTOP_LEVEL_EXCEPTION_FILTER g_savedFilter;
bool g_filterActive;
bool g_crashDumpWritten;  // by the filter; never cleared

void loadDumpLibrary() {
    if (g_dumpLibrary) return;
    g_dumpLibrary = LoadLibraryW(L"dbghelp.dll");
    if (!g_dumpLibrary) return;
    g_writeDump = bindProc<WriteDumpFn>(g_dumpLibrary, "MiniDumpWriteDump");
    // A dump needs no symbols: some versions of the library would otherwise
    // read the debug information of every module first, in the crashing
    // process and for many seconds.
    auto getOptions = bindProc<DWORD(WINAPI*)()>(g_dumpLibrary, "SymGetOptions");
    auto setOptions = bindProc<DWORD(WINAPI*)(DWORD)>(g_dumpLibrary, "SymSetOptions");
    if (getOptions && setOptions) setOptions(getOptions() | SYMOPT_DEFERRED_LOADS);
}

void releaseReservation() {
    if (g_reservation[0] && !g_basePathUsed) ::DeleteFileW(g_reservation);
    g_reservation[0] = L'\0';
}

// A fresh temporary file's name, placed in the log folder.
void takeBasePath() {
    releaseReservation();
    g_basePath[0] = L'\0';
    g_basePathUsed = false;
    CStr temporary;
    if (DWORD rc = temporary.GetTempFile(nullptr)) {
        g_basePathError = rc;
        return;
    }
    const wchar_t* full = temporary.GetString();
    if (temporary.GetLength() < ARRAYSIZE(g_reservation)) copyBounded(g_reservation, ARRAYSIZE(g_reservation), full);
    const wchar_t* name = wcsrchr(full, L'\\');
    name = name ? name + 1 : full;
    CStr path(fsGetTarvoLogPath());
    if (DWORD rc = path.AddFilePart(name, nullptr)) {
        g_basePathError = rc;
        return;
    }
    // The dump's whole name must fit the system's path limit: a cut one
    // would name another file.
    if (path.GetLength() + ARRAYSIZE(kDumpExtension) > ARRAYSIZE(g_basePath)) {
        g_basePathError = ERROR_FILENAME_EXCED_RANGE;
        return;
    }
    copyBounded(g_basePath, ARRAYSIZE(g_basePath), path.GetString());
    g_basePathError = 0;
}

bool filterWanted() {
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExW(&version) || version.dwPlatformId != VER_PLATFORM_WIN32_NT) return false;
    return version.dwMajorVersion >= 6 || (version.dwMajorVersion == 5 && version.dwMinorVersion >= 1);
}

DWORD writeDump(EXCEPTION_POINTERS* exception) {
    Lock lock(g_dumpLock);
    if (!g_writeDump) return ERROR_CALL_NOT_IMPLEMENTED;
    if (!g_basePath[0]) return g_basePathError;
    wchar_t name[MAX_PATH];
    copyBounded(name, ARRAYSIZE(name), g_basePath);
    const size_t length = wcslen(name);
    copyBounded(name + length, ARRAYSIZE(name) - length, kDumpExtension);  // takeBasePath left room for it
    UniqueFile file(CreateFileW(name, GENERIC_ALL, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                nullptr));
    if (!file) return GetLastError();
    g_basePathUsed = true;
    MINIDUMP_EXCEPTION_INFORMATION information = {GetCurrentThreadId(), exception, FALSE};
    MINIDUMP_EXCEPTION_INFORMATION* with = exception ? &information : nullptr;
    const HANDLE process = GetCurrentProcess();
    const DWORD id = GetCurrentProcessId();
    if (g_writeDump(process, id, file.get(), MiniDumpWithIndirectlyReferencedMemory, with, nullptr, nullptr))
        return 0;
    // The smaller dump starts over on an empty file, not behind what the
    // failed attempt left.
    SetFilePointer(file.get(), 0, nullptr, FILE_BEGIN);
    SetEndOfFile(file.get());
    if (g_writeDump(process, id, file.get(), MiniDumpNormal, with, nullptr, nullptr)) return 0;
    return GetLastError();
}

LONG WINAPI crashFilter(EXCEPTION_POINTERS* exception) {
    OutputDebugStringA("topLevelExceptionFilter\n");
    {
        // Held over the dump: a second crashing thread waits for the first
        // one's dump and then finds it written.
        Lock lock(g_dumpLock);
        if (!g_crashDumpWritten) {
            g_crashDumpWritten = true;
            OutputDebugStringA("generateExceptionReport\n");
            OutputDebugStringA("Writing minidump...\n");
            writeDump(exception);
        }
    }
    if (GetSystemMetrics(SM_SHUTTINGDOWN)) TerminateProcess(GetCurrentProcess(), 0xFFFFFFFE);
    // The mode saved at installation stays the one the shut-down restores:
    // the caller's, not the library's own.
    SetErrorMode(kCrashedErrorMode);
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

bool installCrashReports() {
    Lock lock(g_dumpLock);
    loadDumpLibrary();
    takeBasePath();
    if (g_filterActive) return true;
    if (!filterWanted()) return false;
    g_savedErrorMode = SetErrorMode(kInstalledErrorMode);
    g_savedFilter = SetUnhandledExceptionFilter(crashFilter);
    g_filterActive = true;
    return true;
}

void removeCrashReports() {
    Lock lock(g_dumpLock);
    releaseReservation();
    if (!g_filterActive) return;
    g_filterActive = false;
    SetErrorMode(g_savedErrorMode);
    // A filter set after ours stays: it belongs to someone who still wants it.
    LPTOP_LEVEL_EXCEPTION_FILTER current = SetUnhandledExceptionFilter(g_savedFilter);
    if (current != crashFilter) SetUnhandledExceptionFilter(current);
}

}  // namespace elk

extern "C" DWORD WINAPI basGenerateExceptionReport(EXCEPTION_POINTERS* exception) {
    OutputDebugStringA("generateExceptionReport\n");
    OutputDebugStringA("Writing minidump...\n");
    return elk::writeDump(exception);
}
