// Where the drive or share of a path ends (no operating-system calls).
#pragma once
#include <cstddef>
#include <string_view>

namespace ozrcmnos {

struct RootParts {
    bool found = false;
    bool share = false;       // "\\server\share" rather than a drive letter
    bool longPrefix = false;  // the path starts with "\\?\"
    size_t length = 0;        // characters of the path that form the root, without its separator
    size_t driveName = 0;     // where "X:" starts
    size_t rest = 0;          // where the rest of the path starts
};

// Drive paths ("C:\x", "C:x", "C:"), share paths ("\\server\share\x") and
// their long forms ("\\?\C:\x", "\\?\UNC\server\share\x"). Ordinary paths
// take '/' as a separator too; long forms take only '\'.
RootParts splitRoot(std::u16string_view path);

}  // namespace ozrcmnos
