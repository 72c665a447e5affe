#include "system/core/file_names.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {

TEST(UnpackLeftover, NamesThatQualify) {
    const std::pair<const char16_t*, bool> rows[] = {
        /* 0 */ {u"unp", true},         /* 1 */ {u"UNP7", true},          /* 2 */ {u"unp123.tmp", true},
        /* 3 */ {u"Unp0042.TMP", true}, /* 4 */ {u"unp.tmp", true},
        /* 5 */ {u"unp12a.tmp", false}, /* 6 */ {u"unpack.tmp", false},   /* 7 */ {u"unp1.tmp2", false},
        /* 8 */ {u"unp1.tm", false},    /* 9 */ {u"un", false},           /* 10 */ {u"", false},
        /* 11 */ {u"xunp1", false},     /* 12 */ {u"unp1.tmp.tmp", false}, /* 13 */ {u"unp 1", false},
        // Only ASCII folds: a dotless or dotted capital I is no 'p' or 't'.
        /* 14 */ {u"unp1.\u0130mp", false},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::isUnpackLeftover(rows[i].first), rows[i].second) << "row " << i;
}

TEST(QuoteProgram, ProgramPartBetweenQuotes) {
    const std::pair<const char16_t*, const char16_t*> rows[] = {
        /* 0 */ {u"C:\\Program Files\\x\\run.exe -a b", u"\"C:\\Program Files\\x\\run.exe\" -a b"},
        /* 1 */ {u"C:\\a b\\run.EXE", u"\"C:\\a b\\run.EXE\""},
        /* 2 */ {u"C:\\a b\\saver.Scr /s", u"\"C:\\a b\\saver.Scr\" /s"},
        /* 3 */ {u"C:\\a\\run.exe\targ", u"\"C:\\a\\run.exe\"\targ"},
        // The first extension that ends a word wins; one followed by a letter does not count.
        /* 4 */ {u"C:\\a.exes\\b.exe c.exe", u"\"C:\\a.exes\\b.exe\" c.exe"},
        /* 5 */ {u"C:\\dir\\tool.exes", u"\"C:\\dir\\tool.exes\""},
        /* 6 */ {u"C:\\dir\\tool.exes arg", u"\"C:\\dir\\tool.exes arg\""},
        /* 7 */ {u"notepad file.txt", u"\"notepad file.txt\""},
        /* 8 */ {u"\"C:\\a b\\run.exe\" x", u"\"C:\\a b\\run.exe\" x"},
        /* 9 */ {u"\"", u"\""},
        /* 10 */ {u"", u"\"\""},
        /* 11 */ {u".exe", u"\".exe\""},
        /* 12 */ {u"run.ex", u"\"run.ex\""},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::quoteProgram(rows[i].first), std::u16string(rows[i].second)) << "row " << i;
}

}  // namespace
