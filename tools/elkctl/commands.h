// elkctl's commands, one function per command; each returns the process exit
// code (0 done, 1 the library reported a failure, kMisused wrong usage).
#pragma once
#include <string>

namespace elkctl {

// A command that returns this was misused: the caller prints the command's
// usage line to standard error.
constexpr int kMisused = 2;

// Prints "elkctl: REASON" to standard error and returns kMisused, for a
// misuse that needs more than the usage line to be understood.
int misused(const std::wstring& reason);

int info(int argc, wchar_t** argv);
int error(int argc, wchar_t** argv);
int timeText(int argc, wchar_t** argv);
int parseTimeText(int argc, wchar_t** argv);
int sizeText(int argc, wchar_t** argv);
int label(int argc, wchar_t** argv);
int url(int argc, wchar_t** argv);
int version(int argc, wchar_t** argv);
int osString(int argc, wchar_t** argv);
int base64(int argc, wchar_t** argv);
int encode(int argc, wchar_t** argv);
int decode(int argc, wchar_t** argv);
int alert(int argc, wchar_t** argv);
int mail(int argc, wchar_t** argv);
int reg(int argc, wchar_t** argv);
int password(int argc, wchar_t** argv);
int product(int argc, wchar_t** argv);
int codepage(int argc, wchar_t** argv);
int bts(int argc, wchar_t** argv);
int winsockRepair(int argc, wchar_t** argv);
int sound(int argc, wchar_t** argv);
int notify(int argc, wchar_t** argv);
int schedule(int argc, wchar_t** argv);
int spool(int argc, wchar_t** argv);
int submit(int argc, wchar_t** argv);
int exec(int argc, wchar_t** argv);
int cleanTemp(int argc, wchar_t** argv);
int dump(int argc, wchar_t** argv);
int otherAv(int argc, wchar_t** argv);
int openToEveryone(int argc, wchar_t** argv);
int whsFirewall(int argc, wchar_t** argv);
int mirror(int argc, wchar_t** argv);
int sysinfo(int argc, wchar_t** argv);
int fileVersion(int argc, wchar_t** argv);

// The operating-system class of the running library ("NT 5.1 (0x004)"), for info and sysinfo.
std::wstring osClassText();

}  // namespace elkctl
