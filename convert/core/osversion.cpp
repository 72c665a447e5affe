#include "convert/core/osversion.h"

#include "convert/core/textscan.h"
#include "convert/core/version.h"
#include "lang/core/texts.h"

namespace elk {

namespace {

using textscan::decimalDigit;
using textscan::isSpace;

constexpr size_t kServicePackChars = sizeof(OsVersionRecord::servicePack) / sizeof(char16_t);

void appendSigned(char16_t*& p, int32_t value) {
    uint32_t magnitude = static_cast<uint32_t>(value);
    if (value < 0) {
        *p++ = u'-';
        magnitude = 0u - magnitude;
    }
    char16_t digits[10];
    int n = 0;
    do {
        digits[n++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    while (n) *p++ = digits[--n];
}

// One "%d" of the runtime's scanner; the value wraps to 32 bits as it does.
bool scanDecimal(const char16_t*& p, uint32_t& value) {
    const char16_t* q = p;
    while (isSpace(*q)) ++q;
    bool negative = false;
    if (*q == u'+' || *q == u'-') negative = *q++ == u'-';
    if (decimalDigit(*q) < 0) return false;
    uint32_t v = 0;
    for (int d; (d = decimalDigit(*q)) >= 0; ++q) v = v * 10 + static_cast<uint32_t>(d);
    value = negative ? 0u - v : v;
    p = q;
    return true;
}

size_t length(const char16_t* s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

}  // namespace

void servicePackText(const OsVersionRecord& record, ServicePackText& out) {
    size_t i = 0;
    for (; i < kServicePackChars && record.servicePack[i]; ++i) out[i] = record.servicePack[i];
    out[i] = u'\0';
}

int osVersionToText(const OsVersionRecord& r, char16_t* out, size_t n) {
    const bool isShort = r.size == kOsRecordShortSize;
    const uint32_t numbers[] = {
        r.size, r.major, r.minor, r.build, r.platform,
        isShort ? 0u : r.servicePackMajor, isShort ? 0u : r.servicePackMinor,
        isShort ? 0u : r.suiteMask, isShort ? 0u : r.productType,
    };
    // Nine numbers of at most 11 characters, their commas and the text.
    char16_t text[9 * 12 + kServicePackChars + 1];
    char16_t* p = text;
    for (uint32_t v : numbers) {
        appendSigned(p, static_cast<int32_t>(v));
        *p++ = u',';
    }
    for (size_t i = 0; i < kServicePackChars && r.servicePack[i]; ++i) *p++ = r.servicePack[i];
    *p = u'\0';
    return copyText(out, n, text);
}

void osVersionFromText(const char16_t* text, OsVersionRecord& r) {
    if (!text || !*text) {
        r = {};
        return;
    }
    uint32_t* const wide[] = {&r.size, &r.major, &r.minor, &r.build, &r.platform};
    const char16_t* p = text;
    for (int i = 0; i < 9; ++i) {
        if (i > 0) {
            if (*p != u',') break;
            ++p;
        }
        uint32_t v;
        if (!scanDecimal(p, v)) break;
        if (i < 5) *wide[i] = v;
        else if (i == 5) r.servicePackMajor = static_cast<uint16_t>(v);
        else if (i == 6) r.servicePackMinor = static_cast<uint16_t>(v);
        else if (i == 7) r.suiteMask = static_cast<uint16_t>(v);
        else r.productType = static_cast<uint8_t>(v);
    }
    const char16_t* lastComma = nullptr;
    for (const char16_t* q = text; *q; ++q)
        if (*q == u',') lastComma = q;
    size_t i = 0;
    if (lastComma)
        for (const char16_t* q = lastComma + 1; *q && i + 1 < kServicePackChars; ++q) r.servicePack[i++] = *q;
    r.servicePack[i] = u'\0';
}

const char16_t* builtinOsText(uint32_t id) {
    const bool osText = (id >= kOsTextNT4 && id <= kOsTextVista) || (id >= kOsTextWorkstation && id <= kOsText2003);
    const TextEntry* entry = osText ? findText(id) : nullptr;
    return entry ? entry->builtin : nullptr;
}

void composeOsName(const OsVersionRecord& r, OsNameTexts& texts, char16_t* out, size_t n) {
    if (!out || n == 0) return;
    out[0] = u'\0';
    if (r.major == 0 && r.minor == 0) {
        texts.copy(kOsTextUnknown, true, out, n);
        return;
    }
    const uint32_t platform = r.platform & 0xF;
    if (platform == kPlatformWin9x) {
        const uint32_t build = r.build & 0xFFFF;
        uint32_t id;
        if (r.minor == 0) id = build < 1111 ? kOsText95 : build == 1111 ? kOsText95Osr2 : kOsText95Osr25;
        else if (r.minor < 90) id = build < 2222 ? kOsText98 : kOsText98SE;
        else id = kOsTextMe;
        texts.copy(id, false, out, n);
        return;
    }
    if (platform != kPlatformNT) {
        texts.copy(r.size == 0 ? kOsTextUnknown : kOsTextOther, false, out, n);
        return;
    }

    const bool isLong = r.size >= kOsRecordLongSize;
    const bool is64 = (r.platform & kPlatform64BitFlag) != 0;
    // The long record says what it is; the short one relies on the caller's flag.
    const bool isServer = isLong ? r.productType != 1 : (r.platform & kPlatformServerFlag) != 0;
    ServicePackText servicePack;
    servicePackText(r, servicePack);

    bool appends64 = false;
    if (r.major < 5) {
        texts.formatNumbers(kOsTextNT4, out, n, static_cast<int32_t>(r.major), static_cast<int32_t>(r.minor),
                            servicePack);
    } else if (r.major == 5 && r.minor == 2 && is64 && !isServer) {
        copyText(out, n, u"Windows XP 64-bit");
        return;
    } else {
        uint32_t id = r.major > 5 ? kOsTextVista : r.minor == 0 ? kOsText2000 : r.minor == 1 ? kOsTextXP : kOsText2003;
        char16_t edition[260] = {};
        if (isLong) texts.copy(r.productType == 1 ? kOsTextWorkstation : kOsTextServer, false, edition, 260);
        else if (isServer) texts.copy(kOsTextServer, false, edition, 260);
        texts.formatEdition(id, out, n, edition, servicePack);
        appends64 = is64;
    }

    const size_t formatted = length(out);
    if (!servicePack[0]) {
        // The service-pack part stands last in parentheses: drop it and its blank.
        for (size_t i = 0; out[i]; ++i)
            if (out[i] == u'(') {
                out[i > 0 && out[i - 1] == u' ' ? i - 1 : i] = u'\0';
                break;
            }
    }
    if (appends64 && formatted + 8 < n) {
        size_t end = length(out);
        for (const char16_t* s = u" 64-bit"; *s; ++s) out[end++] = *s;
        out[end] = u'\0';
    }
}

}  // namespace elk
