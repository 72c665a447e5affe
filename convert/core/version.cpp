#include "convert/core/version.h"

#include "convert/core/textscan.h"

namespace elk {

using textscan::decimalDigit;
using textscan::hexDigit;
using textscan::isSpace;

bool parseVersion(const char16_t* text, VersionPair& out) {
    out = {};
    if (!text) return false;
    const char16_t* p = text;
    for (int part = 0; part < 4; ++part) {
        if (*p == u'.') return false;
        uint32_t value = 0;
        bool digits = false;
        for (; *p && *p != u'.'; ++p) {
            int d = decimalDigit(*p);
            if (d < 0) return false;
            // Checked per digit: a long run of digits must not wrap into range.
            value = value * 10 + static_cast<uint32_t>(d);
            if (value > 0xFFFF) return false;
            digits = true;
        }
        if (!digits) return false;
        if (*p == u'.') ++p;
        switch (part) {
        case 0: out.high = value << 16; break;
        case 1: out.high |= value; break;
        case 2: out.low = value << 16; break;
        default: out.low |= value; break;
        }
    }
    return true;
}

int copyText(char16_t* out, size_t n, const char16_t* src) {
    if (!out || n == 0) return -1;
    size_t i = 0;
    for (; src && src[i]; ++i) {
        if (i + 1 >= n) {
            out[i] = u'\0';
            return -1;
        }
        out[i] = src[i];
    }
    out[i] = u'\0';
    return static_cast<int>(i);
}

namespace {

void appendDecimal(char16_t*& p, uint32_t value) {
    char16_t digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value);
    while (n) *p++ = digits[--n];
}

// One "%x" of the runtime's scanner; true when a number was read.
bool scanHex(const char16_t*& p, uint32_t& value) {
    const char16_t* q = p;
    while (isSpace(*q)) ++q;
    bool negative = false;
    if (*q == u'+' || *q == u'-') negative = *q++ == u'-';
    if (q[0] == u'0' && (q[1] == u'x' || q[1] == u'X') && hexDigit(q[2]) >= 0) q += 2;
    if (hexDigit(*q) < 0) return false;
    uint32_t v = 0;
    for (int d; (d = hexDigit(*q)) >= 0; ++q) v = v << 4 | static_cast<uint32_t>(d);
    value = negative ? 0u - v : v;
    p = q;
    return true;
}

}  // namespace

int formatVersion(char16_t* out, size_t n, VersionPair version, const char16_t* missing) {
    if (version.high == 0 && version.low == 0) return copyText(out, n, missing);
    char16_t text[32];
    char16_t* p = text;
    const uint32_t parts[] = {version.high >> 16, version.high & 0xFFFF, version.low >> 16, version.low & 0xFFFF};
    for (int i = 0; i < 4; ++i) {
        if (i) *p++ = u'.';
        appendDecimal(p, parts[i]);
    }
    *p = u'\0';
    return copyText(out, n, text);
}

VersionPair parseDatabaseVersion(const char16_t* text) {
    VersionPair result;
    if (!text) return result;
    const char16_t* p = text;
    if (!scanHex(p, result.high) || *p != u'-') return result;
    ++p;
    scanHex(p, result.low);
    return result;
}

uint32_t parseHex32(const char16_t* text) {
    if (!text) return 0;
    const char16_t* p = text;
    while (isSpace(*p)) ++p;
    bool negative = false;
    if (*p == u'+' || *p == u'-') negative = *p++ == u'-';
    if (p[0] == u'0' && (p[1] == u'x' || p[1] == u'X') && hexDigit(p[2]) >= 0) p += 2;
    uint64_t value = 0;
    bool overflow = false;
    for (int d; (d = hexDigit(*p)) >= 0; ++p) {
        value = value << 4 | static_cast<uint32_t>(d);
        if (value > 0xFFFFFFFFu) {
            overflow = true;
            value &= 0xFFFFFFFFu;
        }
    }
    if (overflow) return 0xFFFFFFFFu;
    uint32_t v = static_cast<uint32_t>(value);
    return negative ? 0u - v : v;
}

}  // namespace elk
