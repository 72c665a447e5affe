// elkctl's commands, one function per command; each returns the process exit
// code (0 done, 1 the library reported a failure, 2 wrong usage).
#pragma once

namespace elkctl {

int info(int argc, wchar_t** argv);
int error(int argc, wchar_t** argv);

}  // namespace elkctl
