// Starting a program from a command line, and waiting for it.
#include <windows.h>

#include <cwchar>
#include <string>

#include "base/handles.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "system/core/file_names.h"

namespace {

// Room for the longest command with its program part quoted.
constexpr size_t kLongestCommand = MAX_PATH - 3;

}  // namespace

extern "C" DWORD WINAPI basExecuteAndWait(const wchar_t* command, BOOLEAN wait) {
    if (!command || wcsnlen(command, kLongestCommand + 1) > kLongestCommand) return ERROR_INVALID_PARAMETER;
    // CreateProcessW may write into the command line: it needs a copy of its own.
    std::u16string line = elk::quoteProgram(elk::u16(command));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(nullptr, elk::wide(line.data()), nullptr, nullptr, FALSE,
                        CREATE_DEFAULT_ERROR_MODE | CREATE_NEW_PROCESS_GROUP, nullptr, nullptr, &startup, &process))
        return GetLastError();
    elk::UniqueHandle processHandle(process.hProcess), thread(process.hThread);
    if (wait) WaitForSingleObject(processHandle.get(), INFINITE);
    return 0;
}
