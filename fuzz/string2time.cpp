// basString2Time's pattern reader. The first byte picks the locale's patterns
// (US, German, ISO) or, for the rest, takes them from the input: date
// pattern, time pattern and text separated by line feeds. Whatever it
// accepts lies in the calendar's ranges, and for the shipped patterns the
// fields written back in the pattern read as the same fields.
#include <cstdlib>
#include <string>

#include "convert/core/timetext.h"
#include "fuzz/fuzz_text.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

const elk::TimePatterns kShipped[] = {
    {u"M/d/yyyy", u"h:mm:ss tt", u"AM", u"PM", 2029},
    {u"d.M.yyyy", u"HH:mm:ss", u"", u"", 2049},
    {u"yyyy-MM-dd", u"HH:mm", u"", u"", 2029},
};

bool isLeapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int daysInMonth(int year, int month0) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month0 == 1 && isLeapYear(year) ? 29 : kDays[month0];
}

// The fields in the pattern's own shape, numbers without padding.
std::u16string writeBack(const elk::TimePatterns& p, const elk::TimeFields& f) {
    std::u16string out;
    auto walk = [&](std::u16string_view pattern, bool time) {
        for (size_t i = 0; i < pattern.size();) {
            const char16_t c = pattern[i];
            int value = -1;
            if (!time && c == u'M') value = f.month + 1;
            if (!time && c == u'd') value = f.day;
            if (!time && c == u'y') value = f.year + 1900;
            if (time && (c == u'h' || c == u'H')) value = f.hour;
            if (time && c == u'm') value = f.minute;
            if (time && c == u's') value = f.second;
            if (time && c == u't') {
                while (i < pattern.size() && pattern[i] == c) ++i;
                continue;  // a 24-hour number needs no marker
            }
            if (value < 0) {
                out += c;
                ++i;
                continue;
            }
            for (char ch : std::to_string(value)) out += static_cast<char16_t>(ch);
            while (i < pattern.size() && pattern[i] == c) ++i;
        }
    };
    walk(p.date, false);
    out += u' ';
    walk(p.time, true);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const std::u16string input = elkfuzz::wideText(data + 1, size - 1);
    const unsigned pick = data[0] % 4;
    elk::TimePatterns patterns;
    std::u16string date, time, text;
    if (pick < 3) {
        patterns = kShipped[pick];
        text = input;
    } else {
        const size_t a = input.find(u'\n');
        const size_t b = a == std::u16string::npos ? a : input.find(u'\n', a + 1);
        date = input.substr(0, a);
        time = a == std::u16string::npos ? u"" : input.substr(a + 1, b == std::u16string::npos ? b : b - a - 1);
        text = b == std::u16string::npos ? u"" : input.substr(b + 1);
        patterns = {date, time, u"AM", u"PM", 1999 + data[0]};
    }

    elk::TimeFields f;
    if (!elk::readTimeText(text, patterns, f)) return 0;
    check(f.month >= 0 && f.month <= 11);
    check(f.day >= 0 && f.day <= daysInMonth(f.year + 1900, f.month));
    check(f.hour >= 0 && f.hour <= 23);
    check(f.minute >= 0 && f.minute <= 59 && f.second >= 0 && f.second <= 59);
    check(f.year >= -100);

    if (pick < 3 && f.day >= 1 && f.year + 1900 > 1900 && f.year + 1900 <= 9999) {
        elk::TimeFields again;
        check(elk::readTimeText(writeBack(patterns, f), patterns, again));
        check(again.year == f.year && again.month == f.month && again.day == f.day && again.hour == f.hour &&
              again.minute == f.minute && again.second == f.second);
    }
    return 0;
}
