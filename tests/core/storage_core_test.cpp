// Settings storage, portable part: the suite's key path, terminated string
// reads, the back-end choice with its INI rewrite, and "ozrResp.dat" records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/core/backend.h"
#include "storage/core/regvalue.h"
#include "storage/core/password_file.h"

namespace {

using namespace elk::storage;

TEST(SuiteKeyPath, EditionOnlyInTheMachineKey) {
    struct Case {
        const char16_t* edition;
        bool machine;
        const char16_t* expected;
    } const cases[] = {
        /* 0 */ {u"", true, u"Software\\ORVEL Software\\Tarvo\\5.0"},
        /* 1 */ {u"", false, u"Software\\ORVEL Software\\Tarvo\\5.0"},
        /* 2 */ {u"Pro", true, u"Software\\ORVEL Software\\Tarvo\\Pro\\5.0"},
        /* 3 */ {u"Pro", false, u"Software\\ORVEL Software\\Tarvo\\5.0"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        char16_t out[kKeyPathSize];
        ASSERT_TRUE(suiteKeyPath(cases[i].edition, cases[i].machine, out, kKeyPathSize)) << "row " << i;
        EXPECT_EQ(std::u16string(out), cases[i].expected) << "row " << i;
    }
}

TEST(SuiteKeyPath, RefusesToCutThePath) {
    const std::u16string fixed = u"Software\\ORVEL Software\\Tarvo\\\\5.0";  // without the edition
    const size_t room = kKeyPathSize - 1 - fixed.size();                      // edition that just fits
    std::u16string out(kKeyPathSize + 4, u'#');
    EXPECT_TRUE(suiteKeyPath(std::u16string(room, u'E'), true, out.data(), kKeyPathSize));
    EXPECT_EQ(std::u16string(out.c_str()).size(), kKeyPathSize - 1);

    out.assign(kKeyPathSize + 4, u'#');
    EXPECT_FALSE(suiteKeyPath(std::u16string(room + 1, u'E'), true, out.data(), kKeyPathSize));
    EXPECT_EQ(out[0], u'\0');
    EXPECT_EQ(out.substr(1), std::u16string(kKeyPathSize + 3, u'#'));
    // The per-user key ignores the edition, however long.
    EXPECT_TRUE(suiteKeyPath(std::u16string(1000, u'E'), false, out.data(), kKeyPathSize));
}

TEST(TerminateReadString, NeverLeavesTheRoomUnterminated) {
    struct Case {
        std::u16string data;  // bytes the query put into the room
        size_t size;          // room in characters
        uint32_t result;
        std::u16string text;
    } const cases[] = {
        /* 0 terminated, room to spare */ {std::u16string(u"abc\0", 4), 8, 0, u"abc"},
        /* 1 terminated, exact fit */ {std::u16string(u"abc\0", 4), 4, 0, u"abc"},
        /* 2 unterminated, room for one */ {u"abc", 4, 0, u"abc"},
        /* 3 unterminated, fills the room */ {u"abc", 3, kMoreData, u""},
        /* 4 empty value */ {u"", 1, 0, u""},
        /* 5 stops at the first terminator */ {std::u16string(u"ab\0cd", 5), 5, 0, u"ab"},
        /* 6 size 1, one character read */ {u"x", 1, kMoreData, u""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        std::u16string room(c.size + 2, u'#');
        c.data.copy(room.data(), c.data.size());
        EXPECT_EQ(terminateReadString(room.data(), c.size, c.data.size() * 2), c.result) << "row " << i;
        EXPECT_EQ(std::u16string(room.c_str()), c.text) << "row " << i;
        EXPECT_EQ(room.substr(c.size), u"##") << "row " << i << " wrote past the room";
    }
    // An odd byte count keeps the whole characters only.
    char16_t room[4] = {u'a', u'b', u'c', u'#'};
    EXPECT_EQ(terminateReadString(room, 4, 5), 0u);
    EXPECT_EQ(std::u16string(room), u"ab");
    EXPECT_EQ(terminateReadString(room, 0, 0), kMoreData);
}

TEST(BackendChoice, KindsAndFiles) {
    struct Case {
        const char16_t* kind;
        const char16_t* file;
        bool fallback;
    } const cases[] = {
        /* 0 */ {u"XML", u"elkSXML.dll", true},
        /* 1 */ {u"xml", u"elkSXML.dll", true},
        /* 2 */ {u"ODBC", u"elkSODBC.dll", true},
        /* 3 */ {u"oDbC", u"elkSODBC.dll", true},
        /* 4 */ {u"SQLT", u"elkSSqlt.dll", false},
        /* 5 */ {u"sqlt", u"elkSSqlt.dll", false},
        /* 6 unknown means SQLite */ {u"Oracle", u"elkSSqlt.dll", true},
        /* 7 */ {u"", u"elkSSqlt.dll", true},
        /* 8 no prefix match */ {u"XMLX", u"elkSSqlt.dll", true},
        /* 9 ASCII folding only */ {u"\u0130DBC", u"elkSSqlt.dll", true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(std::u16string(backendFile(backendOf(cases[i].kind))), cases[i].file) << "row " << i;
        EXPECT_EQ(fallsBackToSqlite(cases[i].kind), cases[i].fallback) << "row " << i;
    }
}

TEST(BackendChoice, IniIsRewrittenOnlyWhenTheSqliteStoreStoodIn) {
    struct Case {
        const char16_t* kind;
        bool firstLoaded, fallbackLoaded;
        const char16_t* value;
    } const cases[] = {
        /* 0 configured back-end works */ {u"XML", true, false, nullptr},
        /* 1 unknown kind that loads keeps its value */ {u"Oracle", true, false, nullptr},
        /* 2 stand-in took over */ {u"ODBC", false, true, u"SQLT"},
        /* 3 unknown kind, stand-in on the second try */ {u"Oracle", false, true, u"SQLT"},
        /* 4 both failed */ {u"XML", false, false, nullptr},
        /* 5 already the SQLite store */ {u"sqlt", false, true, nullptr},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const char16_t* value = iniValueAfterLoad(c.kind, c.firstLoaded, c.fallbackLoaded);
        if (!c.value)
            EXPECT_EQ(value, nullptr) << "row " << i;
        else
            EXPECT_EQ(std::u16string(value ? value : u"(null)"), c.value) << "row " << i;
    }
}

TEST(RespRecord, DecodesEachFileLength) {
    std::vector<uint8_t> file = {0x05, 0x00, 0x00, 0x80};
    for (uint8_t i = 0; i < 16; ++i) file.push_back(static_cast<uint8_t>(0xA0 + i));
    Digest digest;
    for (uint8_t i = 0; i < 16; ++i) digest[i] = static_cast<uint8_t>(0xA0 + i);

    RespRecord created = decodeRespRecord(nullptr, 0, 0);
    EXPECT_EQ(created.flags, kDefaultProtectionFlags);
    EXPECT_TRUE(created.empty);
    EXPECT_FALSE(created.hasDigest);

    RespRecord flagsOnly = decodeRespRecord(file.data(), 4, 4);
    EXPECT_EQ(flagsOnly.flags, 0x80000005u);
    EXPECT_TRUE(flagsOnly.empty);
    EXPECT_FALSE(flagsOnly.hasDigest);

    RespRecord whole = decodeRespRecord(file.data(), 20, 20);
    EXPECT_EQ(whole.flags, 0x80000005u);
    EXPECT_FALSE(whole.empty);
    EXPECT_TRUE(whole.hasDigest);
    EXPECT_EQ(whole.digest, digest);

    // A digest cut short (by the file or by the read) counts as none.
    for (size_t read : {size_t{12}, size_t{19}}) {
        RespRecord cut = decodeRespRecord(file.data(), read, 20);
        EXPECT_FALSE(cut.empty) << read;
        EXPECT_FALSE(cut.hasDigest) << read;
        EXPECT_EQ(cut.digest, Digest{}) << read;
    }
    // The head never counts for more than the file holds.
    EXPECT_FALSE(decodeRespRecord(file.data(), 20, 12).hasDigest);

    const auto encoded = encodeRespRecord(0x80000005u, digest);
    EXPECT_EQ(std::vector<uint8_t>(encoded.begin(), encoded.end()), file);
}

TEST(CodeStringPassword, SwapsTheLowBitPairs) {
    std::u16string text = u"ADz\u00e4\uffff\u0001\u000c";
    codeStringPassword(text.data());
    EXPECT_EQ(text, u"DAz\u00e1\uffff\u0004\u0003");
    codeStringPassword(text.data());
    EXPECT_EQ(text, u"ADz\u00e4\uffff\u0001\u000c");
    codeStringPassword(nullptr);

    // Every code unit maps to a non-zero one and back.
    for (unsigned c = 1; c <= 0xFFFF; ++c) {
        char16_t unit[2] = {static_cast<char16_t>(c), 0};
        codeStringPassword(unit);
        ASSERT_NE(unit[0], 0) << c;
        codeStringPassword(unit);
        ASSERT_EQ(unit[0], c) << c;
    }
}

}  // namespace
