#include "support/process.h"

#include <thread>

#include "base/handles.h"
#include "support/install_tree.h"

namespace elktest {

namespace {

void drain(HANDLE pipe, std::string& into) {
    char buffer[4096];
    DWORD read;
    while (ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr) && read) into.append(buffer, read);
}

}  // namespace

ProcessOutcome runProgram(const std::wstring& program, const std::wstring& arguments, const std::string& input,
                          DWORD timeoutMs) {
    ProcessOutcome run;
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    elk::UniqueHandle outRead, outWrite, errRead, errWrite, inRead, inWrite;
    if (!CreatePipe(outRead.put(), outWrite.put(), &inherit, 0) ||
        !CreatePipe(errRead.put(), errWrite.put(), &inherit, 0) ||
        !CreatePipe(inRead.put(), inWrite.put(), &inherit, 0))
        return run;
    for (HANDLE own : {outRead.get(), errRead.get(), inWrite.get()}) SetHandleInformation(own, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = inRead.get();
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    std::wstring command = L"\"" + program + L"\" " + arguments;
    PROCESS_INFORMATION process;
    BOOL started =
        CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    // The child holds its own copies; ours would keep the pipes open forever.
    outWrite.reset();
    errWrite.reset();
    inRead.reset();
    if (!started) return run;
    elk::UniqueHandle child(process.hProcess), thread(process.hThread);
    std::thread outReader(drain, outRead.get(), std::ref(run.out));
    std::thread errReader(drain, errRead.get(), std::ref(run.err));
    DWORD written;
    WriteFile(inWrite.get(), input.data(), static_cast<DWORD>(input.size()), &written, nullptr);
    inWrite.reset();
    if (WaitForSingleObject(child.get(), timeoutMs) != WAIT_OBJECT_0) TerminateProcess(child.get(), 0xFFFFFFFF);
    outReader.join();
    errReader.join();
    GetExitCodeProcess(child.get(), &run.exitCode);
    return run;
}

ProcessOutcome runElkctl(const std::wstring& arguments, const std::string& input) {
    return runProgram(binFolder() + L"\\elkctl.exe", arguments, input);
}

}  // namespace elktest
