// Times and byte counts as the short texts shown to users, and texts typed in
// the user's short-date and time patterns read back into calendar fields.
#pragma once
#include <cstdint>
#include <string_view>

namespace elk {

// ---- Point in time to text -------------------------------------------------

struct CalendarDate {
    int year;   // full year
    int month;  // 1..12
    int day;    // 1..31
    friend bool operator==(const CalendarDate&, const CalendarDate&) = default;
};

// The calendar day before `date`.
CalendarDate previousDay(CalendarDate date);

enum class TimeForm {
    Today,        // "today" word and time of day
    Yesterday,    // "yesterday" word and time of day
    WeekdayTime,  // weekday name and time of day
    MonthDay,     // month name, day, weekday name
    Full,         // long date and time
};

// Which form shows a time whose local date is `time`, given the local date
// `now` and the distance now - time in seconds. Times within a week either
// side of now show their weekday; further ones show their date.
TimeForm chooseTimeForm(CalendarDate time, CalendarDate now, int64_t secondsBeforeNow);

// ---- Byte count to size ----------------------------------------------------

inline constexpr int kSizeUnitCount = 5;  // B, KB, MB, GB, TB

struct ScaledSize {
    double value;
    int unit;  // 0..4
};

// Divides by 1024 while the value exceeds 1024, up to terabytes; values of at
// most 1024 (zero and negative ones too) stay in bytes.
ScaledSize scaleByteCount(int64_t bytes);

// ---- Text to calendar fields -----------------------------------------------

struct TimePatterns {
    std::u16string_view date;  // short-date pattern, e.g. "M/d/yyyy"
    std::u16string_view time;  // time pattern, e.g. "h:mm:ss tt" or "HH:mm:ss"
    std::u16string_view am;    // morning and afternoon markers of 't'
    std::u16string_view pm;
    int twoDigitYearMax;  // a two-digit year lands in the century ending here
};

// The fields of a calendar record; what the text does not reach stays 0.
struct TimeFields {
    int year = 0;   // years since 1900
    int month = 0;  // 0..11
    int day = 0;    // 1..31, 0 when the text has no day
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Reads `text` (up to its end or a NUL) against the patterns. False when it
// does not fit them; `fields` then holds nothing of use.
bool readTimeText(std::u16string_view text, const TimePatterns& patterns, TimeFields& fields);

}  // namespace elk
