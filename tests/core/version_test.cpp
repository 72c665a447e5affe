#include "convert/core/version.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using elk::VersionPair;

TEST(ParseVersion, Cases) {
    struct Row {
        const char16_t* text;
        bool ok;
        uint32_t high, low;  // what the outputs hold afterwards
    };
    const Row rows[] = {
        /* 0 */ {u"1.2.3.4", true, 0x00010002, 0x00030004},
        /* 1 */ {u"0.0.0.0", true, 0, 0},
        /* 2 */ {u"65535.65535.65535.65535", true, 0xFFFFFFFF, 0xFFFFFFFF},
        /* 3 */ {u"00012.0.0.7", true, 0x000C0000, 7},
        /* 4 a '.' after the fourth part ends the text */ {u"1.2.3.4.9", true, 0x00010002, 0x00030004},
        /* 5 */ {u"1.2.3.4.", true, 0x00010002, 0x00030004},
        /* 6 */ {u"65536.0.0.0", false, 0, 0},
        /* 7 digits that would wrap a 32-bit value back into range */ {u"4294967296.0.0.0", false, 0, 0},
        /* 8 */ {u"1.4294967297.0.0", false, 0x00010000, 0},
        /* 9 */ {u".1.2.3", false, 0, 0},
        /* 10 */ {u"1.2.3.", false, 0x00010002, 0x00030000},
        /* 11 */ {u"1.2.3", false, 0x00010002, 0x00030000},
        /* 12 */ {u"1..2.3", false, 0x00010000, 0},
        /* 13 */ {u"1.2.3.4x", false, 0x00010002, 0x00030000},
        /* 14 */ {u"+1.2.3.4", false, 0, 0},
        /* 15 */ {u" 1.2.3.4", false, 0, 0},
        /* 16 */ {u"1.2.-3.4", false, 0x00010002, 0},
        /* 17 */ {u"", false, 0, 0},
        /* 18 */ {nullptr, false, 0, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        VersionPair v{0xDEAD, 0xBEEF};
        EXPECT_EQ(elk::parseVersion(rows[i].text, v), rows[i].ok) << "row " << i;
        EXPECT_EQ(v.high, rows[i].high) << "row " << i;
        EXPECT_EQ(v.low, rows[i].low) << "row " << i;
    }
}

TEST(FormatVersion, WritesWithinTheBufferAndReportsACut) {
    struct Row {
        VersionPair version;
        size_t size;
        int result;
        std::u16string text;
    };
    const Row rows[] = {
        /* 0 */ {{0x00010002, 0x00030004}, 64, 7, u"1.2.3.4"},
        /* 1 exact fit */ {{0x00010002, 0x00030004}, 8, 7, u"1.2.3.4"},
        /* 2 one too small: cut, never left unterminated */ {{0x00010002, 0x00030004}, 7, -1, u"1.2.3."},
        /* 3 */ {{0x00010002, 0x00030004}, 1, -1, u""},
        /* 4 */ {{0xFFFFFFFF, 0xFFFFFFFF}, 24, 23, u"65535.65535.65535.65535"},
        /* 5 no version: the missing text */ {{0, 0}, 64, 7, u"Unknown"},
        /* 6 */ {{0, 0}, 4, -1, u"Unk"},
        /* 7 only the low value */ {{0, 1}, 64, 7, u"0.0.0.1"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        std::u16string out(rows[i].size + 4, u'#');
        EXPECT_EQ(elk::formatVersion(out.data(), rows[i].size, rows[i].version, u"Unknown"), rows[i].result) << "row " << i;
        EXPECT_EQ(std::u16string(out.c_str()), rows[i].text) << "row " << i;
        EXPECT_EQ(out.substr(rows[i].size), u"####") << "row " << i;
    }
    char16_t canary = u'#';
    EXPECT_EQ(elk::formatVersion(&canary, 0, {1, 1}, u"x"), -1);
    EXPECT_EQ(canary, u'#');
}

TEST(DatabaseVersion, ReadsTwoHexNumbersLikeTheRuntimeScanner) {
    struct Row {
        const char16_t* text;
        uint32_t first, second;
    };
    const Row rows[] = {
        /* 0 */ {u"1a2b-3c4d", 0x1A2B, 0x3C4D},
        /* 1 */ {u"", 0, 0},
        /* 2 */ {nullptr, 0, 0},
        /* 3 */ {u"0x10-0XfF", 0x10, 0xFF},
        /* 4 blanks before a number are skipped, not before the hyphen */ {u"  ff- 1", 0xFF, 1},
        /* 5 */ {u"ff -1", 0xFF, 0},
        /* 6 */ {u"10-", 0x10, 0},
        /* 7 */ {u"10-zz", 0x10, 0},
        /* 8 */ {u"zz-10", 0, 0},
        /* 9 signs as the scanner takes them */ {u"-1--2", 0xFFFFFFFF, 0xFFFFFFFE},
        /* 10 more than eight digits keep the low 32 bits */ {u"123456789-1", 0x23456789, 1},
        /* 11 "0x" without a digit is the number 0 */ {u"0x-5", 0, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        VersionPair v = elk::parseDatabaseVersion(rows[i].text);
        EXPECT_EQ(v.high, rows[i].first) << "row " << i;
        EXPECT_EQ(v.low, rows[i].second) << "row " << i;
    }
}

TEST(Hex32, FollowsTheRuntimesUnsignedConversion) {
    struct Row {
        const char16_t* text;
        uint32_t value;
    };
    const Row rows[] = {
        /* 0 */ {u"ff", 0xFF},
        /* 1 */ {u"0xFF", 0xFF},
        /* 2 */ {u" \t+1A", 0x1A},
        /* 3 */ {u"12g4", 0x12},
        /* 4 */ {u"FFFFFFFF", 0xFFFFFFFF},
        /* 5 */ {u"000000000000000000001", 1},
        /* 6 overflow saturates */ {u"100000000", 0xFFFFFFFF},
        /* 7 */ {u"-100000000", 0xFFFFFFFF},
        /* 8 a sign negates */ {u"-1", 0xFFFFFFFF},
        /* 9 */ {u"-0x10", 0xFFFFFFF0},
        /* 10 */ {u"xyz", 0},
        /* 11 */ {u"0x", 0},
        /* 12 */ {u"0xg", 0},
        /* 13 */ {u"", 0},
        /* 14 */ {nullptr, 0},
        /* 15 */ {u"- 1", 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(elk::parseHex32(rows[i].text), rows[i].value) << "row " << i;
}

}  // namespace
