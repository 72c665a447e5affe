// Console output that keeps non-ASCII text readable in a console and in a
// pipe, and the way status codes and failures are shown.
#pragma once
#include <string>

namespace elkctl {

// Writes UTF-16 text to standard output: as wide text to a console, as UTF-8
// otherwise.
void print(const std::wstring& text);
// The same to standard error.
void printError(const std::wstring& text);
// The text of a status code from the library, in its language.
std::wstring statusText(unsigned long code);

// "0x0000002A".
std::wstring hex32(unsigned long value);

// A status code as a person reads it: Windows and 42xxx codes in decimal
// (with their hex form), the suite's families in hex; then its text.
std::wstring codeText(unsigned long code);

// Prints "elkctl: WHAT: 0xCODE text" to standard error and returns 1.
int reportFailure(const std::wstring& what, unsigned long code);

}  // namespace elkctl
