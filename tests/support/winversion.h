// Runs a program, or the running test, as a given Windows version of Wine.
//
// Wine answers the version queries of a program from its registry, also per
// program: HKCU\Software\Wine\AppDefaults\<file name>, value "Version"
// ("winxp", "win2k", "win7", "win10", ... ; "winxp64" for 64-bit XP). The
// program is copied beside itself under a name of its own for each version,
// so that the setting touches no other program and no other run.
#pragma once
#include <windows.h>

#include <string>

#include "support/process.h"

namespace elktest {

// The copy of `program` (a full path) that Wine runs as `version`, made and
// registered on first use; empty when it cannot be made.
std::wstring programAsWindows(const wchar_t* version, const std::wstring& program);

// Runs `program` as `version`, as runProgram does.
ProcessOutcome runAsWindows(const wchar_t* version, const std::wstring& program, const std::wstring& arguments,
                            const std::string& input = "", DWORD timeoutMs = 60000);

// Runs the current test once more in a child of this test program that Wine
// runs as `version`. In the parent it waits for the child, adds a failure
// (with the child's output) unless the child's test passed, and returns
// false; in the child it returns true and the test body goes on there:
//
//     if (!elktest::inWindowsVersion(L"winxp")) return;
//     ... the body, run as Windows XP ...
bool inWindowsVersion(const wchar_t* version);

// The version this process was started as by inWindowsVersion, or null.
const wchar_t* childWindowsVersion();

}  // namespace elktest
