// Name rules of the file and process services: which temporary entries are
// the suite's unpacking leftovers, and how a command line's program part is
// quoted before it is started.
#pragma once
#include <string>
#include <string_view>

namespace elk {

// "unp", any number of decimal digits, then nothing or ".tmp" (case ignored):
// "unp", "UNP7", "unp123.tmp"; not "unp12a.tmp" or "unpack.tmp".
bool isUnpackLeftover(std::u16string_view name);

// The command with its program part between double quotes, so that a path
// with blanks names one program. A command that starts with a quote stands
// as it is. Otherwise the first ".exe" or ".scr" (case ignored) that ends the
// text or is followed by a blank or tab closes the program part; without one
// the whole command is the program.
std::u16string quoteProgram(std::u16string_view command);

}  // namespace elk
