#include "lang/core/codepage.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(ConsoleCodePage, ByLanguage) {
    const std::pair<uint16_t, uint32_t> rows[] = {
        /* 0 */ {1026, 866},  /* 1 */ {1049, 866},  /* 2 */ {1071, 866},  /* 3 */ {1027, 850},
        /* 4 */ {1031, 850},  /* 5 */ {1033, 850},  /* 6 */ {3082, 850},  /* 7 */ {2070, 850},
        /* 8 */ {1086, 850},  /* 9 */ {1029, 852},  /* 10 */ {2074, 852}, /* 11 */ {1028, 950},
        /* 12 */ {1032, 869}, /* 13 */ {1041, 932}, /* 14 */ {1042, 949}, /* 15 */ {1054, 874},
        /* 16 */ {1055, 857}, /* 17 */ {1061, 775}, /* 18 */ {1063, 775}, /* 19 */ {2052, 936},
        // Not in the table: the console's own code page stays.
        /* 20 */ {1034, 0},   /* 21 */ {1025, 0},   /* 22 */ {2057, 0},   /* 23 */ {0, 0},
        /* 24 */ {1047, 0},   /* 25 */ {0xFFFF, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::consoleCodePageFor(rows[i].first), rows[i].second) << "row " << i;
}

TEST(ReadingDirection, RightToLeftLanguages) {
    for (uint16_t id : {1025, 1037, 1056, 1065}) EXPECT_TRUE(elk::isRightToLeftLanguage(id)) << id;
    for (uint16_t id : {0, 1033, 1031, 1054, 2049, 1026}) EXPECT_FALSE(elk::isRightToLeftLanguage(id)) << id;
}

TEST(CharsetLocale, OnlyUsEnglishFollowsTheUser) {
    EXPECT_EQ(elk::charsetLocaleFor(1033), 0x400u);
    for (uint16_t id : {1049, 2057, 1031, 3081}) EXPECT_EQ(elk::charsetLocaleFor(id), id);
}

TEST(CodePageText, Parse) {
    const std::pair<const char16_t*, uint32_t> rows[] = {
        /* 0 */ {u"1252", 1252}, /* 1 */ {u"932", 932},   /* 2 */ {u"65001", 65001}, /* 3 */ {u"0", 0},
        /* 4 */ {u"", 0},        /* 5 */ {u"x1", 0},      /* 6 */ {u"874 ", 874},    /* 7 */ {u"65536", 0},
        /* 8 */ {u"99999999999999999999", 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::parseCodePage(rows[i].first), rows[i].second) << "row " << i;
}

}  // namespace
