#include "lang/core/texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using elk::PrintfArg;

TEST(TextTable, BuiltinTextsTakeExactlyTheirArguments) {
    for (const elk::TextEntry& e : elk::textTable()) {
        std::vector<PrintfArg> used;
        ASSERT_NE(e.builtin, nullptr) << e.id;
        EXPECT_TRUE(elk::parsePrintfArgs(e.builtin, used)) << e.id;
        EXPECT_EQ(used, std::vector<PrintfArg>(e.arguments().begin(), e.arguments().end())) << e.id;
        EXPECT_LT(std::char_traits<char16_t>::length(e.builtin), e.room) << e.id;
        EXPECT_EQ(elk::findText(e.id), &e) << e.id;
    }
}

TEST(TextTable, StatusIdsShareOneEntry) {
    struct Row {
        uint32_t id;
        bool status;  // false: no entry at all
    };
    const Row rows[] = {
        /* 0 listed */ {ELK_TEXT_STATUS_7FFF0 + 3, true},
        /* 1 not listed */ {ELK_TEXT_STATUS_7FFF0 + 4, true},
        /* 2 last of 0x7FFF4000 + k */ {ELK_TEXT_STATUS_7FFF4 + 0x1FFF, true},
        /* 3 */ {ELK_TEXT_STATUS_7FFF4 + 0x2000, false},
        /* 4 */ {ELK_TEXT_STATUS_UNKNOWN - 1, false},
        /* 5 */ {12345, false},
        /* 6 */ {0, false},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const elk::TextEntry* e = elk::findText(rows[i].id);
        ASSERT_EQ(e != nullptr, rows[i].status) << "row " << i;
        if (!e) continue;
        EXPECT_EQ(std::u16string(e->builtin), elk::kFallbackErrorFormat) << "row " << i;
        EXPECT_EQ(std::vector<PrintfArg>(e->arguments().begin(), e->arguments().end()),
                  std::vector<PrintfArg>{PrintfArg::Int})
            << "row " << i;
    }
}

TEST(TextFitsEntry, ConversionsMustBeAPrefixOfTheArguments) {
    const elk::TextEntry& process = *elk::findText(ELK_TEXT_PROCESS_MEMORY);  // %u %s %I64X %I64X
    const elk::TextEntry& status = *elk::findText(ELK_TEXT_STATUS_UNKNOWN);   // one 32-bit code
    const elk::TextEntry& unit = *elk::findText(ELK_TEXT_UNIT_FIRST);        // copied, no arguments
    struct Row {
        const elk::TextEntry* entry;
        const char16_t* text;
        bool fits;
    };
    const Row rows[] = {
        /* 0 */ {&process, u"%u (%s), 0x%I64X, 0x%I64X", true},
        /* 1 fewer inserts than passed */ {&process, u"Process %u (%s)", true},
        /* 2 */ {&process, u"Process memory", true},
        /* 3 one more than passed */ {&process, u"%u %s %I64X %I64X %d", false},
        /* 4 a later argument in the first place */ {&process, u"%s", false},
        /* 5 a 32-bit insert for a 64-bit argument */ {&process, u"%u %s %X", false},
        /* 6 */ {&status, u"Unknown error", true},
        /* 7 */ {&status, u"Error %u", true},
        /* 8 */ {&status, u"%u and %u", false},
        /* 9 */ {&status, u"%s", false},
        /* 10 */ {&status, u"%n", false},
        /* 11 */ {&status, u"%*d", false},
        /* 12 a literal percent sign */ {&status, u"100%% (0x%08X)", true},
        /* 13 */ {&unit, u"KB", true},
        /* 14 */ {&unit, u"%d", false},
        /* 15 */ {&unit, u"50%", false},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::textFitsEntry(rows[i].text, *rows[i].entry), rows[i].fits) << "row " << i;
}

}  // namespace
