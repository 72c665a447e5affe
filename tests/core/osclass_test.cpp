#include "base/core/osclass.h"

#include <gtest/gtest.h>

namespace {

TEST(ClassifyOs, Table) {
    struct Row {
        uint32_t platform, major, minor, build, expected;
    };
    const Row rows[] = {
        /* 0 */ {elk::kPlatformNT, 4, 0, 1381, elk::kOsNT4},
        /* 1 */ {elk::kPlatformNT, 5, 0, 2195, elk::kOsWin2000},
        /* 2 */ {elk::kPlatformNT, 5, 1, 2600, elk::kOsXP},
        /* 3 */ {elk::kPlatformNT, 5, 2, 3790, elk::kOsNT52},
        /* 4 */ {elk::kPlatformNT, 5, 7, 0, elk::kOsNT52},
        /* 5 */ {elk::kPlatformNT, 6, 0, 6000, elk::kOsNT6},
        /* 6 */ {elk::kPlatformNT, 10, 0, 19045, elk::kOsNT6},
        /* 7 */ {elk::kPlatformNT, 3, 51, 1057, 0},
        /* 8 */ {elk::kPlatform9x, 4, 0, 950, elk::kOs95},
        /* 9 */ {elk::kPlatform9x, 4, 0, 0x04000456, elk::kOs95},
        /* 10 */ {elk::kPlatform9x, 4, 0, 1111, elk::kOs95OSR2},
        /* 11 */ {elk::kPlatform9x, 4, 10, 1998, elk::kOs98},
        /* 12 */ {elk::kPlatform9x, 4, 89, 0, elk::kOs98},
        /* 13 */ {elk::kPlatform9x, 4, 90, 3000, elk::kOsMe},
        /* 14 */ {0, 4, 0, 0, 0},
        /* 15 */ {3, 5, 1, 0, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        EXPECT_EQ(elk::classifyOs(r.platform, r.major, r.minor, r.build), r.expected) << "row " << i;
    }
}

}  // namespace
