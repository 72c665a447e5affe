#include "lang/core/printf_args.h"

#include <gtest/gtest.h>

namespace {

using elk::PrintfArg;

TEST(PrintfArgs, AcceptsWhatTheRuntimeConsumes) {
    struct Row {
        const char16_t* format;
        std::vector<PrintfArg> args;
    };
    const Row rows[] = {
        /* 0 */ {u"no arguments, 100%% sure", {}},
        /* 1 */ {u"Error 0x%08X", {PrintfArg::Int}},
        /* 2 */ {u"%-5.3d|%#x|%+i|% u|%o|%c|%C", {PrintfArg::Int, PrintfArg::Int, PrintfArg::Int, PrintfArg::Int, PrintfArg::Int, PrintfArg::Int, PrintfArg::Int}},
        /* 3 */ {u"%s %S %ls %hs %ws %lS %hS", {PrintfArg::WideStr, PrintfArg::NarrowStr, PrintfArg::WideStr, PrintfArg::NarrowStr, PrintfArg::WideStr, PrintfArg::WideStr, PrintfArg::NarrowStr}},
        /* 4 */ {u"%I64d %lld %I64u %I32u", {PrintfArg::Int64, PrintfArg::Int64, PrintfArg::Int64, PrintfArg::Int}},
        /* 5 */ {u"%.2f %e %g %p", {PrintfArg::Double, PrintfArg::Double, PrintfArg::Double, PrintfArg::Pointer}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        std::vector<PrintfArg> args;
        ASSERT_TRUE(elk::parsePrintfArgs(rows[i].format, args)) << "row " << i;
        EXPECT_EQ(args, rows[i].args) << "row " << i;
    }
}

TEST(PrintfArgs, RefusesWhatCouldReadOrWriteWildly) {
    for (const char16_t* format : {u"%n", u"%*d", u"%.*s", u"%", u"abc %", u"%08", u"%k", u"%I64s", u"%lp", u"%Z"}) {
        std::vector<PrintfArg> args;
        EXPECT_FALSE(elk::parsePrintfArgs(format, args)) << std::string(format, format + std::char_traits<char16_t>::length(format));
    }
}

TEST(PrintfArgs, MatchComparesTheWholeList) {
    EXPECT_TRUE(elk::printfArgsMatch(u"Fehler %08X", {PrintfArg::Int}));
    EXPECT_FALSE(elk::printfArgsMatch(u"%s%s%s", {PrintfArg::Int}));
    EXPECT_FALSE(elk::printfArgsMatch(u"no insert", {PrintfArg::Int}));
    EXPECT_FALSE(elk::printfArgsMatch(u"%u %u", {PrintfArg::Int}));
    EXPECT_TRUE(elk::printfArgsMatch(u"%s (%u)", {PrintfArg::WideStr, PrintfArg::Int}));
}

}  // namespace
