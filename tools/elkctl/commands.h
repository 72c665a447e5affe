// elkctl's commands, one function per command; each returns the process exit
// code (0 done, 1 the library reported a failure, 2 wrong usage).
#pragma once

namespace elkctl {

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

}  // namespace elkctl
