#include "convert/core/labels.h"

#include "convert/core/textscan.h"

namespace elk {

namespace {

void appendNumber(std::u16string& out, uint64_t value, unsigned base, size_t width) {
    char16_t digits[24];
    size_t n = 0;
    do {
        unsigned d = static_cast<unsigned>(value % base);
        digits[n++] = static_cast<char16_t>(d < 10 ? u'0' + d : u'a' + d - 10);
        value /= base;
    } while (value);
    for (size_t i = n; i < width; ++i) out += u'0';
    while (n) out += digits[--n];
}

void appendTwo(std::u16string& out, unsigned a, std::u16string_view sep, unsigned b) {
    appendNumber(out, a, 10, 2);
    out += sep;
    appendNumber(out, b, 10, 2);
}

constexpr char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

// Hexadecimal digits at `pos` (moved past them); saturates at `max`.
uint64_t readHex(std::u16string_view text, size_t& pos, uint64_t max) {
    uint64_t value = 0;
    for (int d; pos < text.size() && (d = textscan::hexDigit(text[pos])) >= 0; ++pos)
        value = value > (max - d) / 16 ? max : value * 16 + d;
    return value;
}

}  // namespace

bool equalsNoCase(std::u16string_view a, std::u16string_view b) {
    return a.size() == b.size() && startsWithNoCase(a, b);
}

bool startsWithNoCase(std::u16string_view text, std::u16string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i)
        if (asciiLower(text[i]) != asciiLower(prefix[i])) return false;
    return true;
}

std::u16string databaseDate(CalendarDate date, int order, std::u16string_view separator, uint32_t flags) {
    const std::u16string_view sep = separator.size() == 1 ? separator : u"/";
    const unsigned d = static_cast<unsigned>(date.day), m = static_cast<unsigned>(date.month);
    const unsigned y = static_cast<unsigned>(flags & kLabelTwoDigitYear ? date.year % 100 : date.year);
    const size_t yearWidth = flags & kLabelTwoDigitYear ? 2 : 4;
    std::u16string out;
    if (flags & kLabelNoYear) {
        if (order == kDayMonthYear)
            appendTwo(out, d, sep, m);
        else
            appendTwo(out, m, sep, d);
    } else if (order == kDayMonthYear) {
        appendTwo(out, d, sep, m);
        out += sep;
        appendNumber(out, y, 10, yearWidth);
    } else if (order == kYearMonthDay) {
        appendNumber(out, y, 10, yearWidth);
        out += sep;
        appendTwo(out, m, sep, d);
    } else {
        appendTwo(out, m, sep, d);
        out += sep;
        appendNumber(out, y, 10, yearWidth);
    }
    return out;
}

std::u16string databaseLabel(uint32_t first, uint32_t second, std::u16string_view date, uint32_t flags) {
    if (!(flags & kLabelVersionOnly) && (flags & kLabelDateOnly)) return std::u16string(date);
    std::u16string out;
    appendNumber(out, first, 16, 6);
    out += u'-';
    appendNumber(out, second, 16, 1);
    if (!(flags & kLabelVersionOnly) && !date.empty()) {
        out += u", ";
        out += date;
    }
    return out;
}

DescriptionWords descriptionWords(uint8_t flags) {
    DescriptionWords words{0, 0};
    const bool kind = flags & 0x03, unwanted = flags & 0x18;
    if (kind && unwanted)
        words.first = 6226;
    else if (kind)
        words.first = 6224;
    else if (unwanted)
        words.first = 6227;
    if (flags & 0x20)
        words.second = 6230;
    else if (flags & 0x04)
        words.second = 6228;
    return words;
}

bool appendDescriptionWord(std::u16string& text, std::u16string_view word, size_t capacity) {
    if (capacity <= text.size() + word.size() + 2) return false;
    text += word;
    text += u' ';
    return true;
}

std::u16string taskStatusText(uint32_t status, uint32_t failure) {
    switch (status) {
    case kTaskDone:
        return u"Done";
    case kTaskCanceled:
        return u"Canceled";
    case kTaskProcessing:
        return u"Processing";
    case kTaskFailed: {
        std::u16string out = u"Failed(0x";
        std::u16string hex;
        appendNumber(hex, failure, 16, 8);
        for (char16_t& c : hex)
            if (c >= u'a') c -= u'a' - u'A';
        return out + hex + u")";
    }
    default:
        return u"Waiting";
    }
}

TaskNameRule taskNameRule(std::u16string_view name) {
    if (name.empty() || name[0] != u'*') return {true, false, 0};
    if (startsWithNoCase(name, u"*WHS")) return {false, true, 0};
    struct Builtin {
        std::u16string_view name;
        unsigned id;
    };
    static constexpr Builtin kBuiltins[] = {{u"*SSaver", 200}, {u"*Quick", 202}, {u"*Simple", 201}, {u"*Splash", 209}};
    for (const Builtin& b : kBuiltins)
        if (equalsNoCase(name, b.name)) return {false, false, b.id};
    return {false, false, 11};
}

ObjectName parseObjectName(std::u16string_view name) {
    ObjectName object;
    if (startsWithNoCase(name, u"*MBR")) {
        // Without its disk digit the name cannot be told; it is shown as given.
        if (name.size() > 4 && textscan::decimalDigit(name[4]) >= 0) {
            object.kind = ObjectKind::BootRecord;
            object.disk = static_cast<uint32_t>(name[4] - u'0');
        }
    } else if (startsWithNoCase(name, u"*BOOT")) {
        object.kind = ObjectKind::BootSector;
        object.rest = name.substr(5);
    } else if (startsWithNoCase(name, u"*PROCESS") && name.size() > 8) {
        object.kind = ObjectKind::Process;
        size_t pos = 9;
        object.processId = static_cast<uint32_t>(readHex(name, pos, 0xFFFFFFFFu));
        if (pos < name.size() && name[pos] == u'\\') {
            size_t start = ++pos;
            size_t end = name.find(u'\\', start);
            if (end == std::u16string_view::npos) end = name.size();
            object.processName = name.substr(start, end - start).substr(0, kProcessNameMax);
            pos = end;
            if (pos < name.size()) {
                ++pos;
                object.first = readHex(name, pos, UINT64_MAX);
                if (pos < name.size() && name[pos] == u'\\') {
                    ++pos;
                    object.second = readHex(name, pos, UINT64_MAX);
                }
            }
        }
    }
    return object;
}

}  // namespace elk
