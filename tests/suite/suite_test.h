// Small helpers shared by the tests of the suite's stand-ins.
#pragma once
#include <windows.h>

#include <string>

#include "support/files.h"
#include "support/guarded.h"

namespace suitetest {

using elktest::exists;
using elktest::readAll;
using elktest::TempFolder;
using elktest::writeFile;

inline std::string hex(const BYTE* bytes, size_t n) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

}  // namespace suitetest
