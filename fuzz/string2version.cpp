// parseVersion against a plain reading of the rule: four dot-separated runs
// of decimal digits, each at most 65535, then the end or a '.'. What it
// accepts formats back into a text it reads as the same pair.
#include <cstdlib>

#include "convert/core/version.h"
#include "fuzz/fuzz_text.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool reference(const std::u16string& text, elk::VersionPair& pair) {
    uint32_t parts[4];
    size_t pos = 0;
    for (int i = 0; i < 4; ++i) {
        size_t end = text.find(u'.', pos);
        std::u16string part = text.substr(pos, end == std::u16string::npos ? std::u16string::npos : end - pos);
        if (part.empty() || part.find_first_not_of(u"0123456789") != std::u16string::npos) return false;
        size_t first = part.find_first_not_of(u'0');
        std::u16string digits = first == std::u16string::npos ? u"0" : part.substr(first);
        if (digits.size() > 5) return false;
        uint32_t value = 0;
        for (char16_t c : digits) value = value * 10 + (c - u'0');
        if (value > 0xFFFF) return false;
        parts[i] = value;
        if (end == std::u16string::npos) {
            if (i < 3) return false;
            pos = text.size();
        } else {
            pos = end + 1;
        }
    }
    pair = {parts[0] << 16 | parts[1], parts[2] << 16 | parts[3]};
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = elkfuzz::wideText(data, size);
    elk::VersionPair pair, expected;
    const bool ok = elk::parseVersion(text.c_str(), pair);
    check(ok == reference(text, expected));
    if (!ok) return 0;
    check(pair.high == expected.high && pair.low == expected.low);

    char16_t formatted[32];
    check(elk::formatVersion(formatted, 32, pair, u"none") > 0);
    elk::VersionPair again;
    if (pair.high || pair.low) check(elk::parseVersion(formatted, again) && again.high == pair.high && again.low == pair.low);
    return 0;
}
