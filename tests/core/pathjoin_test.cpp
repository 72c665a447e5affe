#include "base/core/pathjoin.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct JoinCase {
    const char16_t* folder;
    const char16_t* name;
    uint32_t size;
    std::u16string expected;
    uint32_t result;
};

TEST(JoinPath, Cases) {
    const JoinCase cases[] = {
        /* 0 */ {u"C:\\A", u"b.txt", 520, u"C:\\A\\b.txt", 5},
        /* 1 */ {u"C:\\A\\", u"b.txt", 520, u"C:\\A\\b.txt", 5},
        /* 2 */ {u"", u"b.txt", 520, u"b.txt", 0},
        /* 3 */ {nullptr, u"b.txt", 520, u"b.txt", 0},
        /* 4 */ {u"C:\\A", nullptr, 520, u"C:\\A\\", 5},
        /* 5 folder of size-1 characters */ {u"C:\\AB", u"x", 6, u"C:\\AB", 6},
        /* 6 folder longer than the buffer */ {u"C:\\ABCDEFG", u"x", 6, u"C:\\AB", 6},
        /* 7 name cut to fill exactly */ {u"C:\\A", u"b.txt", 8, u"C:\\A\\b.", 5},
        /* 8 only the separator fits */ {u"C:\\A", u"b.txt", 6, u"C:\\A\\", 5},
        /* 9 sub-folders and a leading backslash stay */ {u"C:\\A", u"\\setup\\setup.ini", 520, u"C:\\A\\\\setup\\setup.ini", 5},
        /* 10 size 1 */ {u"C:\\A", u"b", 1, u"", 1},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const JoinCase& c = cases[i];
        std::u16string buffer(c.size + 4, u'#');
        uint32_t result = elk::joinPath(c.folder, c.name, buffer.data(), c.size);
        EXPECT_EQ(result, c.result) << "row " << i;
        EXPECT_EQ(std::u16string(buffer.c_str()), c.expected) << "row " << i;
        EXPECT_EQ(buffer.substr(c.size), u"####") << "row " << i << " wrote past the buffer";
    }
}

TEST(JoinPath, SizeZeroWritesNothing) {
    char16_t canary = u'#';
    EXPECT_EQ(elk::joinPath(u"C:\\A", u"b", &canary, 0), 0u);
    EXPECT_EQ(canary, u'#');
    EXPECT_EQ(elk::joinPath(u"C:\\A", u"b", nullptr, 10), 0u);
}

}  // namespace
