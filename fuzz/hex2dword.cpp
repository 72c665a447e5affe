// parseHex32 against the C library's strtoull, folded to the 32-bit rules:
// a magnitude beyond 32 bits saturates, a sign negates.
#include <cerrno>
#include <cstdlib>
#include <string>

#include "convert/core/version.h"
#include "fuzz/fuzz_text.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

bool isHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

uint32_t reference(const std::string& s) {
    size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    if (i >= s.size() || !isHexDigit(s[i])) return 0;
    errno = 0;
    unsigned long long magnitude = std::strtoull(s.c_str() + i, nullptr, 16);
    if (errno == ERANGE || magnitude > 0xFFFFFFFFull) return 0xFFFFFFFFu;
    uint32_t v = static_cast<uint32_t>(magnitude);
    return negative ? 0u - v : v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::u16string text = elkfuzz::wideText(data, size);
    const uint32_t value = elk::parseHex32(text.c_str());
    // The reference reads 8-bit text: compare on the ASCII prefix, which is
    // all a hexadecimal number can be made of.
    std::string ascii;
    for (char16_t c : text) {
        if (c >= 0x80) break;
        ascii += static_cast<char>(c);
    }
    if (ascii.size() == text.size()) check(value == reference(ascii));
    return 0;
}
