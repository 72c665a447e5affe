#include "convert/core/timetext.h"

namespace elk {

namespace {

constexpr int64_t kWeek = 7 * 86400;

constexpr bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

constexpr bool isBlank(char16_t c) { return c == u' ' || c == u'\t'; }

constexpr char16_t asciiLower(char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; }

// Larger than any field may be, small enough that no sum overflows.
constexpr int kNumberCap = 1000000000;

struct Number {
    int value = 0;
    int digits = 0;
};

class Cursor {
public:
    explicit Cursor(std::u16string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size() || text_[pos_] == u'\0'; }
    char16_t current() const { return atEnd() ? u'\0' : text_[pos_]; }
    void advance(size_t n = 1) { pos_ += n; }
    void skipBlanks() {
        while (!atEnd() && isBlank(text_[pos_])) ++pos_;
    }
    // No digit reads as 0 and consumes nothing.
    Number number() {
        Number n;
        while (!atEnd() && text_[pos_] >= u'0' && text_[pos_] <= u'9') {
            n.value = n.value >= kNumberCap / 10 ? kNumberCap : n.value * 10 + (text_[pos_] - u'0');
            ++n.digits;
            ++pos_;
        }
        return n;
    }
    // Case-insensitive (ASCII) match of `word` at the cursor; consumed when it matches.
    bool take(std::u16string_view word) {
        if (word.empty() || text_.size() - pos_ < word.size()) return false;
        for (size_t i = 0; i < word.size(); ++i) {
            char16_t c = text_[pos_ + i];
            if (c == u'\0' || asciiLower(c) != asciiLower(word[i])) return false;
        }
        pos_ += word.size();
        return true;
    }

private:
    std::u16string_view text_;
    size_t pos_ = 0;
};

// Pattern letters repeat for wider fields ("MM", "yyyy"): one field each.
size_t skipRepeats(std::u16string_view pattern, size_t i) {
    char16_t letter = pattern[i];
    while (i < pattern.size() && pattern[i] == letter) ++i;
    return i;
}

bool literal(char16_t p, Cursor& text) {
    // A blank of the pattern stands for any one separator the user typed.
    if (p != u' ' && text.current() != p) return false;
    text.advance();
    return true;
}

bool yearField(Number n, int twoDigitYearMax, int& year) {
    if (n.digits == 1 || n.digits == 2) {
        // "09" in a "yy" pattern means 2009 (with the usual 2029 or later
        // limit), not 1909, which no point in time since 1970 can hold.
        int full = twoDigitYearMax - twoDigitYearMax % 100 + n.value;
        if (full > twoDigitYearMax) full -= 100;
        year = full - 1900;
        return true;
    }
    if (n.value > 1900) {
        year = n.value - 1900;
        return true;
    }
    if (n.value <= 100) {
        year = n.value;
        return true;
    }
    return false;
}

bool inRange(int value, int low, int high) { return value >= low && value <= high; }

bool readDate(std::u16string_view pattern, const TimePatterns& patterns, Cursor& text, TimeFields& f) {
    size_t i = 0;
    while (i < pattern.size() && !text.atEnd()) {
        // Blanks that run to the end still leave a field or separator of the
        // pattern unmatched: "12/25 " is no date, unlike "12/25".
        if (isBlank(text.current())) text.skipBlanks();
        char16_t p = pattern[i];
        if (p == u'M') {
            Number n = text.number();
            if (!inRange(n.value, 1, 12)) return false;
            f.month = n.value - 1;
            i = skipRepeats(pattern, i);
        } else if (p == u'd') {
            Number n = text.number();
            if (!inRange(n.value, 1, 31)) return false;
            f.day = n.value;
            i = skipRepeats(pattern, i);
        } else if (p == u'y') {
            if (!yearField(text.number(), patterns.twoDigitYearMax, f.year)) return false;
            i = skipRepeats(pattern, i);
        } else {
            if (!literal(p, text)) return false;
            ++i;
        }
    }
    return true;
}

enum class Marker { None, Am, Pm };

bool readMarker(const TimePatterns& patterns, Cursor& text, Marker& marker) {
    if (text.take(patterns.am)) {
        marker = Marker::Am;
    } else if (text.take(patterns.pm)) {
        marker = Marker::Pm;
    } else if (!patterns.am.empty() && text.take(patterns.am.substr(0, 1))) {
        marker = Marker::Am;  // "A" for "AM", as a single 't' shows it
    } else if (!patterns.pm.empty() && text.take(patterns.pm.substr(0, 1))) {
        marker = Marker::Pm;
    } else {
        return false;
    }
    return true;
}

bool readTime(std::u16string_view pattern, const TimePatterns& patterns, Cursor& text, TimeFields& f) {
    Marker marker = Marker::None;
    size_t i = 0;
    while (i < pattern.size() && !text.atEnd()) {
        char16_t p = pattern[i];
        if (p == u'h' || p == u'H') {
            // 'H' is the 24-hour field; 'h' takes 0..23 as well, so a
            // 12-hour pattern also reads a 24-hour time without marker.
            Number n = text.number();
            if (!inRange(n.value, 0, 23)) return false;
            f.hour = n.value;
            i = skipRepeats(pattern, i);
        } else if (p == u'm' || p == u's') {
            Number n = text.number();
            if (!inRange(n.value, 0, 59)) return false;
            (p == u'm' ? f.minute : f.second) = n.value;
            i = skipRepeats(pattern, i);
        } else if (p == u't') {
            if (!readMarker(patterns, text, marker)) return false;
            i = skipRepeats(pattern, i);
        } else {
            if (!literal(p, text)) return false;
            ++i;
        }
    }
    if (marker != Marker::None) {
        if (f.hour > 12) return false;
        f.hour = f.hour % 12 + (marker == Marker::Pm ? 12 : 0);
    }
    return true;
}

}  // namespace

CalendarDate previousDay(CalendarDate date) {
    if (date.day > 1) return {date.year, date.month, date.day - 1};
    if (date.month > 1) return {date.year, date.month - 1, daysInMonth(date.year, date.month - 1)};
    return {date.year - 1, 12, 31};
}

TimeForm chooseTimeForm(CalendarDate time, CalendarDate now, int64_t secondsBeforeNow) {
    if (time == now) return TimeForm::Today;
    // By the calendar, not now - 86400 s: on the day after a clock change
    // that would land two days back or on today.
    if (time == previousDay(now)) return TimeForm::Yesterday;
    if (secondsBeforeNow > -kWeek && secondsBeforeNow < kWeek) return TimeForm::WeekdayTime;
    if (time.year == now.year) return TimeForm::MonthDay;
    return TimeForm::Full;
}

ScaledSize scaleByteCount(int64_t bytes) {
    ScaledSize size{static_cast<double>(bytes), 0};
    while (size.value > 1024.0 && size.unit < kSizeUnitCount - 1) {
        size.value *= 0.0009765625;
        ++size.unit;
    }
    return size;
}

bool readTimeText(std::u16string_view text, const TimePatterns& patterns, TimeFields& fields) {
    fields = TimeFields{};
    Cursor cursor(text);
    if (!patterns.date.empty() && !readDate(patterns.date, patterns, cursor, fields)) return false;
    cursor.skipBlanks();
    if (cursor.current() == u',') {
        cursor.advance();
        cursor.skipBlanks();
    }
    if (!cursor.atEnd() && !patterns.time.empty() && !readTime(patterns.time, patterns, cursor, fields)) return false;
    // A day the month does not have would roll over into the next month.
    if (fields.day > daysInMonth(fields.year + 1900, fields.month + 1)) return false;
    return true;
}

}  // namespace elk
