// Small character tests shared by the conversion parsers.
#pragma once

namespace elk::textscan {

// The C runtime's blanks in the ASCII range: what its scanners skip.
constexpr bool isSpace(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

constexpr int decimalDigit(char16_t c) { return c >= u'0' && c <= u'9' ? c - u'0' : -1; }

constexpr int hexDigit(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

}  // namespace elk::textscan
