// Runs a program of the build as a child process and collects what it wrote.
#pragma once
#include <windows.h>

#include <string>

namespace elktest {

struct ProcessOutcome {
    DWORD exitCode = 0xFFFFFFFF;  // stays so when the program could not start or did not end
    std::string out, err;
};

// Runs `program` (a full path) with `arguments` in the test's environment,
// `input` on its standard input, and waits for it at most `timeoutMs`. Both
// outputs are drained while it runs, so it never waits on a full pipe.
ProcessOutcome runProgram(const std::wstring& program, const std::wstring& arguments, const std::string& input = "",
                          DWORD timeoutMs = 30000);

// elkctl.exe of the build, beside the test program.
ProcessOutcome runElkctl(const std::wstring& arguments, const std::string& input = "");

}  // namespace elktest
