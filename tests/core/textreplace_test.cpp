#include "convert/core/textreplace.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ReplaceCase {
    std::u16string text;
    size_t capacity;
    std::u16string find, replacement;
    std::u16string expected;
};

TEST(ChangeSubStr, Cases) {
    const ReplaceCase cases[] = {
        /* 0 each search restarts at the start: grows one '-' at a time */
        {u"a-b-c", 20, u"-", u"--", u"a" + std::u16string(15, u'-') + u"b-c"},
        /* 1 */ {u"%1 of %2", 20, u"%1", u"10", u"10 of %2"},
        /* 2 just fits: 10 units and the terminator */ {u"%1 of %2", 11, u"%1", u"1000", u"1000 of %2"},
        /* 3 does not fit */ {u"%1 of %2", 10, u"%1", u"1000", u"%1 of %2"},
        /* 4 stops at the first occurrence that does not fit */ {u"x%x%x", 9, u"%", u"abc", u"xabcx%x"},
        /* 5 replacement containing the text fills the buffer */ {u"xay", 8, u"a", u"ba", u"xbbbbay"},
        /* 6 shrinking */ {u"aXXbXX", 10, u"XX", u"", u"ab"},
        /* 7 same length, rescanned from the start */ {u"abab", 10, u"ab", u"ba", u"bbaa"},
        /* 8 replacement equal to the text would never end */ {u"abc", 10, u"b", u"b", u"abc"},
        /* 9 empty text to find would never end */ {u"abc", 10, u"", u"x", u"abc"},
        /* 10 not found */ {u"abc", 10, u"d", u"x", u"abc"},
        /* 11 occurrence at the very end */ {u"abc", 10, u"c", u"CC", u"abCC"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const ReplaceCase& c = cases[i];
        std::u16string buffer = c.text;
        buffer.resize(c.capacity, u'\0');
        buffer += u"####";
        elk::changeSubStr(buffer.data(), c.capacity, c.find, c.replacement);
        EXPECT_EQ(std::u16string(buffer.c_str()), c.expected) << "row " << i;
        EXPECT_EQ(buffer.substr(c.capacity), u"####") << "row " << i << " wrote past the capacity";
    }
}

// A text without a terminator inside the capacity is not searched at all.
TEST(ChangeSubStr, UnterminatedTextIsLeftAlone) {
    std::u16string buffer = u"abcd####";
    elk::changeSubStr(buffer.data(), 4, u"d", u"x");
    elk::changeSubStr(buffer.data(), 4, u"#", u"x");
    EXPECT_EQ(buffer, u"abcd####");
}

}  // namespace
