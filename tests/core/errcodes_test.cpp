#include "lang/core/errcodes.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using elk::ErrorTextSource;

TEST(ErrorTextPlan, Families) {
    struct Row {
        uint32_t code;
        ErrorTextSource source;
        uint32_t id;
    };
    const Row rows[] = {
        /* 0 */ {0x7FFF0003, ErrorTextSource::StringTable, 30003},
        /* 1 */ {0x7FFF0FFF, ErrorTextSource::StringTable, 34095},
        /* 2 */ {0x7FFF1001, ErrorTextSource::StringTable, 30101},
        /* 3 */ {0x7FFF2000, ErrorTextSource::StringTable, 30200},
        /* 4 */ {0x7FFF3002, ErrorTextSource::StringTable, 30302},
        /* 5 */ {0x7FFF5FFF, ErrorTextSource::StringTable, 30400 + 0x1FFF},
        /* 6 */ {0x7FFF6000, ErrorTextSource::System, 29999},
        /* 7 */ {42000, ErrorTextSource::StringTable, 31000},
        /* 8 */ {42999, ErrorTextSource::StringTable, 31999},
        /* 9 */ {41999, ErrorTextSource::System, 29999},
        /* 10 */ {43000, ErrorTextSource::System, 29999},
        /* 11 */ {0x80046100, ErrorTextSource::Agent, 29999},
        /* 12 */ {0x80046400, ErrorTextSource::Agent, 29999},
        /* 13 */ {0x80046401, ErrorTextSource::System, 29999},
        /* 14 */ {0x80070005, ErrorTextSource::Agent, 29999},
        /* 15 */ {0x80070002, ErrorTextSource::System, 29999},
        /* 16 */ {2, ErrorTextSource::System, 29999},
        /* 17 */ {0x7FFEFFFF, ErrorTextSource::System, 29999},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        elk::ErrorTextPlan plan = elk::planErrorText(rows[i].code);
        EXPECT_EQ(plan.source, rows[i].source) << "row " << i;
        EXPECT_EQ(plan.stringId, rows[i].id) << "row " << i;
    }
}

TEST(HresultToStatus, Table) {
    const std::pair<uint32_t, uint32_t> rows[] = {
        {0, 0}, {0x80030002, 2}, {0x80030005, 5}, {0x80030008, 8}, {0x8007000E, 8}, {0x80030020, 32},
        {0x80030021, 32}, {0x80030050, 80}, {42003, 42003}, {0x00040EC6, 259}, {0x80070002, 42000}, {1, 42000},
    };
    for (auto [in, out] : rows) EXPECT_EQ(elk::hresultToStatus(in), out) << std::hex << in;
}

TEST(ErrorType, Table) {
    const std::pair<uint32_t, uint32_t> rows[] = {
        {0, 3}, {2, 0}, {5, 0}, {32, 0}, {1921, 0}, {42003, 2}, {42016, 3}, {42019, 4}, {42051, 0}, {42053, 0},
        {42054, 0}, {42057, 0}, {42103, 0}, {42119, 1}, {42120, 0}, {42146, 0}, {42147, 1}, {42100, 2},
        {42101, 2}, {42102, 2}, {42020, 1}, {42050, 1}, {3, 1}, {0xFFFFFFFF, 1},
    };
    for (auto [in, out] : rows) EXPECT_EQ(static_cast<uint32_t>(elk::errorType(in)), out) << in;
}

TEST(TrimSystemMessage, CutsLineEndAndOneFullStop) {
    const std::pair<std::u16string, std::u16string> rows[] = {
        {u"File not found.\r\n", u"File not found"},
        {u"Two.. ", u"Two.. "},
        {u"Ends..", u"Ends."},
        {u"a\nb\rc", u"a"},
        {u"", u""},
        {u".", u""},
    };
    for (auto [in, out] : rows) {
        std::u16string text = in;
        elk::trimSystemMessage(text.data());
        EXPECT_EQ(std::u16string(text.c_str()), out);
    }
}

}  // namespace
