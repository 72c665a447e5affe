// Time and size texts through the DLL, in the languages of the shipped
// modules and the runtime locale the library sets for them.
#include <gtest/gtest.h>

#include <string>

#include "convert/text_fixture.h"

namespace {

using Guarded = elktest::GuardedText;
using elktest::LibraryTest;
using texttest::localTime;

const wchar_t* const kWeekdays[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                    L"Thursday", L"Friday", L"Saturday"};
const wchar_t* const kMonths[] = {L"January", L"February", L"March",     L"April",   L"May",      L"June",
                                  L"July",    L"August",   L"September", L"October", L"November", L"December"};

std::wstring timeText(__time64_t time, DWORD full = 0) {
    wchar_t out[128];
    basTime2String(out, ARRAYSIZE(out), time, full);
    return out;
}

tm broken(__time64_t time) { return *_localtime64(&time); }

class TimeText : public LibraryTest {};

TEST_F(TimeText, NoTimeIsTheModulesText) {
    startIn(1033);
    EXPECT_EQ(timeText(0), L"Never");
    EXPECT_EQ(timeText(0, 1), L"Never");
}

TEST_F(TimeText, WithoutALanguageModuleOnlyTheFormattedPartRemains) {
    Guarded out(32);
    basTime2String(out.data(), out.size(), 0, 0);
    EXPECT_EQ(out.text(), L"");
    EXPECT_TRUE(out.intact());
}

TEST_F(TimeText, RelativeForms) {
    startIn(1033);
    const __time64_t now = _time64(nullptr);
    const tm today = broken(now);
    // 00:00:01 and 12:00 of today and of nearby days, by the calendar.
    const __time64_t early = localTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday, 0, 0, 1);
    const __time64_t yesterday = localTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday - 1, 12);
    const __time64_t threeDaysAgo = localTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday - 3, 12);
    const __time64_t inTwoDays = localTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday + 2, 12);

    EXPECT_EQ(timeText(early), L"Today, 12:00:01 AM");
    const __time64_t late = localTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday, 23, 59, 59);
    EXPECT_EQ(timeText(late), L"Today, 11:59:59 PM") << "later today";
    EXPECT_EQ(timeText(yesterday), L"Yesterday, 12:00:00 PM");
    EXPECT_EQ(timeText(threeDaysAgo), std::wstring(kWeekdays[broken(threeDaysAgo).tm_wday]) + L", 12:00:00 PM");
    EXPECT_EQ(timeText(inTwoDays), std::wstring(kWeekdays[broken(inTwoDays).tm_wday]) + L", 12:00:00 PM");

    // A week back to the second is no longer a weekday.
    const tm almost = broken(now - 604799), week = broken(now - 604800);
    EXPECT_EQ(timeText(now - 604799).substr(0, wcslen(kWeekdays[almost.tm_wday]) + 2),
              std::wstring(kWeekdays[almost.tm_wday]) + L", ");
    if (week.tm_year == today.tm_year) {
        EXPECT_EQ(timeText(now - 604800), std::wstring(kMonths[week.tm_mon]) + L", " + std::to_wstring(week.tm_mday) +
                                              L" (" + kWeekdays[week.tm_wday] + L")");
    }

    // Far off in either direction: the long form.
    EXPECT_EQ(timeText(localTime(2009, 2, 13, 23, 31, 30)), L"Friday, February 13, 2009 11:31:30 PM");
    const __time64_t nextYear = localTime(today.tm_year + 1901, 6, 1, 8);
    EXPECT_EQ(timeText(nextYear), std::wstring(kWeekdays[broken(nextYear).tm_wday]) + L", June 1, " +
                                      std::to_wstring(today.tm_year + 1901) + L" 8:00:00 AM");
}

TEST_F(TimeText, FullFormEvenForNow) {
    startIn(1033);
    const __time64_t early = localTime(2012, 3, 4, 5, 6, 7);
    EXPECT_EQ(timeText(early, 1), L"Sunday, March 4, 2012 5:06:07 AM");
    const __time64_t now = _time64(nullptr);
    const std::wstring text = timeText(now, 1);
    EXPECT_EQ(text.find(L"Today"), std::wstring::npos) << text;
    EXPECT_NE(text.find(std::to_wstring(broken(now).tm_year + 1900)), std::wstring::npos) << text;
}

TEST_F(TimeText, CutToTheBuffer) {
    startIn(1033);
    const tm today = broken(_time64(nullptr));
    const __time64_t early = localTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday, 0, 0, 1);
    struct Row {
        DWORD size;
        __time64_t time;
        const wchar_t* text;
    };
    const Row rows[] = {
        /* 0 exact */ {6, 0, L"Never"},
        /* 1 one too small */ {5, 0, L"Neve"},
        /* 2 */ {1, 0, L""},
        /* 3 the time of day takes what the word leaves */ {11, early, L"Today, 12:"},
        /* 4 */ {19, early, L"Today, 12:00:01 AM"},
        /* 5 */ {18, early, L"Today, 12:00:01 A"},
        /* 6 the word itself cut */ {4, early, L"Tod"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Guarded out(rows[i].size);
        basTime2String(out.data(), out.size(), rows[i].time, 0);
        EXPECT_EQ(out.text(), rows[i].text) << "row " << i;
        EXPECT_TRUE(out.intact()) << "row " << i;
    }
    Guarded none(0);
    basTime2String(none.data(), 0, early, 0);
    EXPECT_TRUE(none.untouched());
}

class StringToTime : public LibraryTest {};

TEST_F(StringToTime, UsPatterns) {
    startIn(1033);  // M/d/yyyy and h:mm:ss tt
    struct Row {
        const wchar_t* text;
        DWORD status;
        __time64_t time;
    };
    const Row rows[] = {
        /* 0 */ {L"12/25/2009 3:04:05", 0, localTime(2009, 12, 25, 3, 4, 5)},
        /* 1 */ {L"12/25/2009 3:04:05 PM", 0, localTime(2009, 12, 25, 15, 4, 5)},
        /* 2 */ {L"12/25/2009 15:04:05", 0, localTime(2009, 12, 25, 15, 4, 5)},
        /* 3 */ {L"1/2/2010", 0, localTime(2010, 1, 2)},
        /* 4 a two-digit year is this century's */ {L"12/25/09", 0, localTime(2009, 12, 25)},
        /* 5 no date: no point in time */ {L"", 0, -1},
        /* 6 */ {L"12/25/1969", 0, -1},
        /* 7 */ {L"13/25/2009", ELK_E_TIME_TEXT, 12345},
        /* 8 */ {L"2/30/2009", ELK_E_TIME_TEXT, 12345},
        /* 9 */ {L"25.12.2009", ELK_E_TIME_TEXT, 12345},
        /* 10 */ {L"12/25/2009 3:04:05 XM", ELK_E_TIME_TEXT, 12345},
        // Blanks where the pattern still wants "/yyyy" are a failure, not a
        // success with no point in time.
        /* 11 */ {L"12/25 ", ELK_E_TIME_TEXT, 12345},
        /* 12 */ {L"12/25/2009 ", 0, localTime(2009, 12, 25)},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        __time64_t time = 12345;
        EXPECT_EQ(basString2Time(rows[i].text, &time), rows[i].status) << "row " << i;
        EXPECT_EQ(time, rows[i].time) << "row " << i;
    }
    EXPECT_EQ(basString2Time(L"1/2/2010", nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

class SizeText : public LibraryTest {};

TEST_F(SizeText, UnitBoundaries) {
    startIn(1033);
    struct Row {
        __int64 bytes;
        const wchar_t* text;
    };
    const Row rows[] = {
        /* 0 */ {-5, L"-5.0 B"},
        /* 1 */ {0, L"0.0 B"},
        /* 2 */ {1024, L"1024.0 B"},
        /* 3 */ {1025, L"1.0 KB"},
        /* 4 */ {1536, L"1.5 KB"},
        /* 5 */ {1048576, L"1024.0 KB"},
        /* 6 */ {1048577, L"1.0 MB"},
        /* 7 */ {1LL << 40, L"1024.0 GB"},
        /* 8 */ {1LL << 50, L"1024.0 TB"},
        /* 9 */ {1LL << 60, L"1048576.0 TB"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        wchar_t out[32];
        EXPECT_EQ(basFormatNumber(rows[i].bytes, out, ARRAYSIZE(out)), static_cast<int>(wcslen(rows[i].text)))
            << "row " << i;
        EXPECT_STREQ(out, rows[i].text) << "row " << i;
    }
}

TEST_F(SizeText, CutToTheBuffer) {
    startIn(1033);
    struct Row {
        DWORD size;
        int result;
        const wchar_t* text;
    };
    const Row rows[] = {
        /* 0 */ {32, 6, L"1.5 KB"},
        /* 1 exact */ {7, 6, L"1.5 KB"},
        /* 2 one too small */ {6, -1, L"1.5 K"},
        /* 3 */ {1, -1, L""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Guarded out(rows[i].size);
        EXPECT_EQ(basFormatNumber(1536, out.data(), out.size()), rows[i].result) << "row " << i;
        EXPECT_EQ(out.text(), rows[i].text) << "row " << i;
        EXPECT_TRUE(out.intact()) << "row " << i;
    }
    Guarded none(0);
    EXPECT_EQ(basFormatNumber(1536, none.data(), 0), -1);
    EXPECT_TRUE(none.untouched());
}

// Run with the user's locale German (LC_ALL=de_DE.UTF-8) as its own process:
// the size units are fixed by the first module that gives them.
class GermanTimeText : public LibraryTest {};

TEST_F(GermanTimeText, TextsAndRuntimeLocale) {
    startIn(1031, L"lang\\1031");
    EXPECT_EQ(timeText(0), L"Nie");
    EXPECT_EQ(timeText(localTime(2009, 2, 13, 23, 31, 30)), L"Freitag, 13. Februar 2009 23:31:30");
    const tm today = broken(_time64(nullptr));
    EXPECT_EQ(timeText(localTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday, 0, 0, 1)), L"Heute, 00:00:01");
    EXPECT_EQ(timeText(localTime(today.tm_year + 1900, today.tm_mon + 1, today.tm_mday - 1, 13, 5)),
              L"Gestern, 13:05:00");

    wchar_t out[32];
    EXPECT_EQ(basFormatNumber(1536, out, ARRAYSIZE(out)), 6);
    EXPECT_STREQ(out, L"1,5 KB");
    basFormatNumber(-5, out, ARRAYSIZE(out));
    EXPECT_STREQ(out, L"-5,0 Byte");
}

TEST_F(GermanTimeText, DayMonthYearAnd24HourPatterns) {
    startIn(1031, L"lang\\1031");  // d.M.yyyy and HH:mm:ss
    struct Row {
        const wchar_t* text;
        DWORD status;
        __time64_t time;
    };
    const Row rows[] = {
        /* 0 */ {L"25.12.2009 15:04:05", 0, localTime(2009, 12, 25, 15, 4, 5)},
        /* 1 */ {L"25.12.2009", 0, localTime(2009, 12, 25)},
        /* 2 */ {L"1.2.2010 0:30", 0, localTime(2010, 2, 1, 0, 30)},
        /* 3 */ {L"25.12.09, 23:59:59", 0, localTime(2009, 12, 25, 23, 59, 59)},
        /* 4 */ {L"12/25/2009", ELK_E_TIME_TEXT, 12345},
        /* 5 */ {L"25.13.2009", ELK_E_TIME_TEXT, 12345},
        /* 6 */ {L"25.12.2009 24:00:00", ELK_E_TIME_TEXT, 12345},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        __time64_t time = 12345;
        EXPECT_EQ(basString2Time(rows[i].text, &time), rows[i].status) << "row " << i;
        EXPECT_EQ(time, rows[i].time) << "row " << i;
    }
}

}  // namespace
