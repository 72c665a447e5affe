#include "convert/core/timetext.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using elk::CalendarDate;
using elk::TimeFields;
using elk::TimeForm;

// The patterns Windows ships for US English and German.
const elk::TimePatterns kUs{u"M/d/yyyy", u"h:mm:ss tt", u"AM", u"PM", 2029};
const elk::TimePatterns kGerman{u"d.M.yyyy", u"HH:mm:ss", u"", u"", 2029};
const elk::TimePatterns kIso{u"yyyy-MM-dd", u"HH:mm", u"", u"", 2049};

TEST(ReadTimeText, Cases) {
    struct Row {
        const elk::TimePatterns* patterns;
        const char16_t* text;
        bool ok;
        TimeFields f;  // year since 1900, month 0..11, day, hour, minute, second
    };
    const Row rows[] = {
        /* 0 */ {&kUs, u"12/25/2009 3:04:05", true, {109, 11, 25, 3, 4, 5}},
        /* 1 */ {&kUs, u"12/25/2009 3:04:05 PM", true, {109, 11, 25, 15, 4, 5}},
        /* 2 */ {&kUs, u"12/25/2009 12:00:00 am", true, {109, 11, 25, 0, 0, 0}},
        /* 3 */ {&kUs, u"12/25/2009 12:30:00 PM", true, {109, 11, 25, 12, 30, 0}},
        /* 4 one-letter marker */ {&kUs, u"12/25/2009 3:04:05 P", true, {109, 11, 25, 15, 4, 5}},
        /* 5 a 24-hour time without marker */ {&kUs, u"12/25/2009 15:04:05", true, {109, 11, 25, 15, 4, 5}},
        /* 6 */ {&kUs, u"12/25/2009 15:04:05 PM", false, {}},
        /* 7 */ {&kUs, u"12/25/2009 3:04:05 XM", false, {}},
        /* 8 */ {&kUs, u"13/25/2009", false, {}},
        /* 9 */ {&kUs, u"0/25/2009", false, {}},
        /* 10 */ {&kUs, u"12/32/2009", false, {}},
        /* 11 a day the month lacks */ {&kUs, u"2/29/2009", false, {}},
        /* 12 */ {&kUs, u"2/29/2008", true, {108, 1, 29, 0, 0, 0}},
        /* 13 two-digit years in the window ending 2029 */ {&kUs, u"12/25/09", true, {109, 11, 25, 0, 0, 0}},
        /* 14 */ {&kUs, u"12/25/30", true, {30, 11, 25, 0, 0, 0}},
        /* 15 */ {&kUs, u"12/25/0100", true, {100, 11, 25, 0, 0, 0}},
        /* 16 */ {&kUs, u"12/25/150", false, {}},
        /* 17 */ {&kUs, u"12/25/1900", false, {}},
        /* 18 fields the text does not reach stay 0 */ {&kUs, u"12/25", true, {0, 11, 25, 0, 0, 0}},
        /* 19 */ {&kUs, u"", true, {}},
        /* 20 blanks before fields */ {&kUs, u"  12 / 25 / 2009  ", true, {109, 11, 25, 0, 0, 0}},
        /* 21 */ {&kUs, u"12/25/2009, 3:04", true, {109, 11, 25, 3, 4, 0}},
        /* 22 */ {&kUs, u"12-25-2009", false, {}},
        /* 23 */ {&kUs, u"12/25/2009 24:00:00", false, {}},
        /* 24 */ {&kUs, u"12/25/2009 3:60", false, {}},
        /* 25 digits beyond any int */ {&kUs, u"99999999999999999999/1/2009", false, {}},
        /* 26 what follows the time is not read */ {&kUs, u"1/2/2009 3:04:05 PM and more", true, {109, 0, 2, 15, 4, 5}},
        /* 27 */ {&kUs, u"12/25/2009x", false, {}},
        /* 28 German order; 'H' is the 24-hour field */
        {&kGerman, u"25.12.2009 15:04:05", true, {109, 11, 25, 15, 4, 5}},
        /* 29 */ {&kGerman, u"25.12.2009", true, {109, 11, 25, 0, 0, 0}},
        /* 30 */ {&kGerman, u"3.1.09 0:00:01", true, {109, 0, 3, 0, 0, 1}},
        /* 31 */ {&kGerman, u"12/25/2009", false, {}},
        /* 32 */ {&kGerman, u"31.4.2009", false, {}},
        /* 33 */ {&kGerman, u"25.12.2009 3:04:05 PM", true, {109, 11, 25, 3, 4, 5}},
        /* 34 */ {&kIso, u"2009-12-25 23:59", true, {109, 11, 25, 23, 59, 0}},
        /* 35 window ending 2049 */ {&kIso, u"49-01-01", true, {149, 0, 1, 0, 0, 0}},
        /* 36 */ {&kIso, u"50-01-01", true, {50, 0, 1, 0, 0, 0}},
        // Blanks that end the text before the pattern does leave a separator
        // or a field unmatched: that is a failure, not a short date.
        /* 37 */ {&kUs, u"12/25 ", false, {}},
        /* 38 */ {&kUs, u"12/ ", false, {}},
        /* 39 */ {&kUs, u"12 \t", false, {}},
        /* 40 */ {&kGerman, u"25.12 ", false, {}},
        /* 41 blanks after a whole date are fine */ {&kUs, u"12/25/2009 ", true, {109, 11, 25, 0, 0, 0}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        TimeFields f;
        const bool ok = elk::readTimeText(rows[i].text, *rows[i].patterns, f);
        EXPECT_EQ(ok, rows[i].ok) << "row " << i;
        if (!ok || !rows[i].ok) continue;
        const TimeFields& e = rows[i].f;
        EXPECT_EQ(f.year, e.year) << "row " << i;
        EXPECT_EQ(f.month, e.month) << "row " << i;
        EXPECT_EQ(f.day, e.day) << "row " << i;
        EXPECT_EQ(f.hour, e.hour) << "row " << i;
        EXPECT_EQ(f.minute, e.minute) << "row " << i;
        EXPECT_EQ(f.second, e.second) << "row " << i;
    }
}

TEST(ReadTimeText, EmptyPatternsReadNothing) {
    const elk::TimePatterns none{u"", u"", u"", u"", 2029};
    TimeFields f;
    EXPECT_TRUE(elk::readTimeText(u"12/25/2009 3:04", none, f));
    EXPECT_EQ(f.year, 0);
    EXPECT_EQ(f.month, 0);
    // The text stops at a NUL even when the view runs on.
    EXPECT_TRUE(elk::readTimeText(std::u16string_view(u"1/2/2009\0junk", 13), kUs, f));
    EXPECT_EQ(f.day, 2);
}

TEST(PreviousDay, CrossesMonthsYearsAndLeapDays) {
    struct Row {
        CalendarDate day, before;
    };
    const Row rows[] = {
        /* 0 */ {{2009, 3, 10}, {2009, 3, 9}}, /* 1 */ {{2009, 3, 1}, {2009, 2, 28}},
        /* 2 */ {{2008, 3, 1}, {2008, 2, 29}}, /* 3 */ {{2000, 3, 1}, {2000, 2, 29}},
        /* 4 */ {{1900, 3, 1}, {1900, 2, 28}}, /* 5 */ {{2009, 1, 1}, {2008, 12, 31}},
        /* 6 */ {{2009, 5, 1}, {2009, 4, 30}},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::previousDay(rows[i].day), rows[i].before) << "row " << i;
}

TEST(ChooseTimeForm, RelativeDayBoundaries) {
    constexpr int64_t kDay = 86400, kWeek = 7 * kDay;
    struct Row {
        CalendarDate time, now;
        int64_t before;  // now - time in seconds
        TimeForm form;
    };
    const Row rows[] = {
        /* 0 */ {{2009, 3, 10}, {2009, 3, 10}, 5, TimeForm::Today},
        /* 1 an hour ahead, same day */ {{2009, 3, 10}, {2009, 3, 10}, -3600, TimeForm::Today},
        /* 2 */ {{2009, 3, 9}, {2009, 3, 10}, kDay, TimeForm::Yesterday},
        /* 3 a minute before midnight, yesterday */ {{2009, 3, 9}, {2009, 3, 10}, 60, TimeForm::Yesterday},
        /* 4 the day after a 23-hour day: 24 h back is two days back */
        {{2009, 3, 8}, {2009, 3, 9}, kDay + 1800, TimeForm::Yesterday},
        /* 5 */ {{2009, 3, 8}, {2009, 3, 10}, 2 * kDay, TimeForm::WeekdayTime},
        /* 6 two days ahead */ {{2009, 3, 12}, {2009, 3, 10}, -2 * kDay, TimeForm::WeekdayTime},
        /* 7 */ {{2009, 3, 3}, {2009, 3, 10}, kWeek - 1, TimeForm::WeekdayTime},
        /* 8 exactly a week */ {{2009, 3, 3}, {2009, 3, 10}, kWeek, TimeForm::MonthDay},
        /* 9 far ahead in the same year */ {{2009, 11, 1}, {2009, 3, 10}, -200 * kDay, TimeForm::MonthDay},
        /* 10 */ {{2009, 3, 17}, {2009, 3, 10}, -kWeek, TimeForm::MonthDay},
        /* 11 */ {{2008, 3, 10}, {2009, 3, 10}, 365 * kDay, TimeForm::Full},
        /* 12 a year ahead is not a weekday */ {{2010, 3, 10}, {2009, 3, 10}, -365 * kDay, TimeForm::Full},
        /* 13 */ {{2008, 12, 31}, {2009, 1, 1}, kDay, TimeForm::Yesterday},
        /* 14 */ {{2008, 12, 28}, {2009, 1, 1}, 4 * kDay, TimeForm::WeekdayTime},
        /* 15 */ {{2008, 12, 20}, {2009, 1, 1}, 12 * kDay, TimeForm::Full},
        /* 16 */ {{2009, 3, 10}, {2009, 3, 10}, INT64_MIN, TimeForm::Today},
        /* 17 */ {{1970, 1, 1}, {2009, 3, 10}, INT64_MAX, TimeForm::Full},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::chooseTimeForm(rows[i].time, rows[i].now, rows[i].before), rows[i].form) << "row " << i;
}

TEST(ScaleByteCount, UnitBoundaries) {
    struct Row {
        int64_t bytes;
        double value;
        int unit;
    };
    const Row rows[] = {
        /* 0 */ {-5, -5, 0},
        /* 1 */ {0, 0, 0},
        /* 2 */ {1024, 1024, 0},
        /* 3 */ {1025, 1025 / 1024.0, 1},
        /* 4 */ {1048576, 1024, 1},
        /* 5 */ {1048577, 1048577 / 1048576.0, 2},
        /* 6 */ {int64_t{1} << 40, 1024, 3},
        /* 7 */ {int64_t{1} << 50, 1024, 4},
        /* 8 terabytes are the largest unit */ {int64_t{1} << 60, 1048576, 4},
        /* 9 */ {INT64_MIN, static_cast<double>(INT64_MIN), 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const elk::ScaledSize s = elk::scaleByteCount(rows[i].bytes);
        EXPECT_DOUBLE_EQ(s.value, rows[i].value) << "row " << i;
        EXPECT_EQ(s.unit, rows[i].unit) << "row " << i;
    }
}

}  // namespace
