// Shared by the text tests, which start the library with its thread and
// runtime locales, as the suite's programs start it (support/library.h).
#pragma once
#include <gtest/gtest.h>

#include <ctime>

#include "include/elkBase.h"
#include "support/guarded.h"
#include "support/library.h"

namespace texttest {

// A local time as the runtime converts it.
inline __time64_t localTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0) {
    tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return _mktime64(&t);
}

}  // namespace texttest
