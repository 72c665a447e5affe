// parseDatabaseVersion never fails; the numbers it reads, written as
// "%x-%x", read back as the same pair.
#include <cstdlib>
#include <string>

#include "convert/core/version.h"
#include "fuzz/fuzz_text.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

std::u16string hex(uint32_t v) {
    static const char16_t kDigits[] = u"0123456789abcdef";
    std::u16string s;
    do {
        s.insert(s.begin(), kDigits[v & 15]);
        v >>= 4;
    } while (v);
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = elkfuzz::wideText(data, size);
    const elk::VersionPair pair = elk::parseDatabaseVersion(text.c_str());
    const std::u16string written = hex(pair.high) + u"-" + hex(pair.low);
    const elk::VersionPair again = elk::parseDatabaseVersion(written.c_str());
    check(again.high == pair.high && again.low == pair.low);
    return 0;
}
