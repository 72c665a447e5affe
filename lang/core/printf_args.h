// Reading the argument list of a wide printf format of the C runtime, so that
// a text taken from a language module is used only with the arguments it was
// written for.
#pragma once
#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

namespace elk {

enum class PrintfArg : uint8_t {
    Int,        // %d %i %u %o %x %X %c %C (32-bit)
    Int64,      // the same with I64 or ll
    Double,     // %e %E %f %g %G %a %A
    WideStr,    // %s %ls %ws %lS in a wide function
    NarrowStr,  // %S %hs %hS
    Pointer,    // %p
};

// Appends the arguments that `format` consumes, in order, to `args`. Returns
// false for a format the library never feeds: %n, a '*' width or precision,
// an unknown conversion, or a '%' at the end.
bool parsePrintfArgs(std::u16string_view format, std::vector<PrintfArg>& args);

// True when `format` consumes exactly `expected`.
bool printfArgsMatch(std::u16string_view format, std::initializer_list<PrintfArg> expected);

}  // namespace elk
