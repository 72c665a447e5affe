// elkctl's usage path and the way it reads numbers, run as a program.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/process.h"

namespace {

using Outcome = elktest::ProcessOutcome;

Outcome elkctl(const std::wstring& arguments, const std::string& input = "") {
    return elktest::runElkctl(arguments, input);
}

// What a misused command prints after its reason, if it gives one.
const std::string kUsage[] = {
    /* 0 */ "usage: elkctl info\n",
    /* 1 */ "usage: elkctl error CODE\n",
    /* 2 */ "usage: elkctl time NOW|SECONDS [--full]\n",
    /* 3 */ "usage: elkctl size BYTES\n",
    /* 4 */ "usage: elkctl label VPS1 VPS2 NOW|SECONDS [--flags N]\n",
    /* 5 */ "usage: elkctl version parse TEXT\n"
            "              version format HIGH LOW\n",
    /* 6 */ "usage: elkctl mail --server HOST[:PORT] --from A --to B[;C] [--to D]... [--subject S]\n"
            "                   [--text T | --text-file F] [--attach FILE]... [--user U --password P]\n",
    /* 7 */ "usage: elkctl codepage [FACE [CHARSET]]\n",
    /* 8 */ "usage: elkctl password set|check PASSWORD|-\n"
            "              password delete\n"
            "              password flags [VALUE]\n",
    /* 9 */ "usage: elkctl alert --sender S --message M [--attach FILE]... RECIPIENT...\n",
    /* 10 */ "usage: elkctl reg get|set|delete NAME [VALUE] [--user] [--dword|--binary]\n",
    /* 11 */ "usage: elkctl parse-time TEXT\n",
    /* 12 */ "usage: elkctl url NAME\n",
    /* 13 */ "usage: elkctl os-string\n",
    /* 14 */ "usage: elkctl base64 encode|decode TEXT\n",
    /* 15 */ "usage: elkctl encode TEXT\n",
    /* 16 */ "usage: elkctl decode TEXT\n",
    /* 17 */ "usage: elkctl spool list [FOLDER]\n"
             "              spool show FILE [--extract DIR]\n",
    /* 18 */ "usage: elkctl submit FILE [--type T] [--kind K] [--flags F] [--prop TAG=TEXT]...\n"
             "                     [--file-prop TAG=PATH]...\n",
};

TEST(ElkctlUsage, MisuseShowsTheCommandsOwnUsage) {
    const struct {
        const wchar_t* arguments;
        int usage;           // row of kUsage
        std::string reason;  // the line before the usage, if any
    } cases[] = {
        /* 0 */ {L"info extra", 0, ""},
        /* 1 */ {L"error", 1, ""},
        /* 2 */ {L"error 12x", 1, "elkctl: not a status code: 12x\n"},
        /* 3 */ {L"time", 2, ""},
        /* 4 */ {L"time NOW --short", 2, ""},
        /* 5 */ {L"time 1e9", 2, "elkctl: not NOW or seconds: 1e9\n"},
        /* 6 */ {L"size", 3, ""},
        /* 7 */ {L"size 1.5", 3, "elkctl: not a byte count: 1.5\n"},
        /* 8 */ {L"label 1 2", 4, ""},
        /* 9 */ {L"label 1 2 NOW --flags", 4, ""},
        /* 10 */ {L"label 1 2 NOW --flag 8", 4, ""},
        /* 11 */ {L"label 1 2 NOW --flags -1", 4, "elkctl: not a 32-bit number: -1\n"},
        /* 12 */ {L"label 1 2 SOON", 4, "elkctl: not NOW or seconds: SOON\n"},
        /* 13 */ {L"version", 5, ""},
        /* 14 */ {L"version frob 1", 5, ""},
        /* 15 */ {L"version format 1", 5, ""},
        /* 16 */ {L"version format 1 x", 5, "elkctl: not a 32-bit number: x\n"},
        /* 17 */ {L"mail --server h:0 --from a --to b", 6, "elkctl: not a port (1 to 65535): 0\n"},
        /* 18 */ {L"mail --from a --to b", 6, "elkctl: --server must name the mail server\n"},
        /* 19 */ {L"mail --server", 6, "elkctl: --server needs a value\n"},
        /* 20 */ {L"codepage a b c", 7, ""},
        /* 21 */ {L"codepage Arial 256", 7, "elkctl: not a character set (0 to 255): 256\n"},
        /* 22 */ {L"password", 8, ""},
        /* 23 */ {L"alert SMTP:a@example.org", 9, "elkctl: --sender must name the sender\n"},
        /* 24 */ {L"alert --sender S --message M --bcc x", 9, "elkctl: unknown option --bcc\n"},
        /* 25 */ {L"reg get", 10, ""},
        /* 26 */ {L"reg get a b", 10, ""},
        /* 27 */ {L"parse-time", 11, ""},
        /* 28 */ {L"url", 12, ""},
        /* 29 */ {L"os-string x", 13, ""},
        /* 30 */ {L"base64 encode", 14, ""},
        /* 31 */ {L"base64 frob x", 14, ""},
        /* 32 */ {L"encode", 15, ""},
        /* 33 */ {L"decode a b", 16, ""},
        /* 34 */ {L"spool", 17, ""},
        /* 35 */ {L"spool frob", 17, ""},
        /* 36 */ {L"spool list a b", 17, ""},
        /* 37 */ {L"spool show", 17, ""},
        /* 38 */ {L"spool show f --extract", 17, "elkctl: --extract needs a folder\n"},
        /* 39 */ {L"spool show f --into d", 17, "elkctl: unknown option --into\n"},
        /* 40 */ {L"submit", 18, ""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Outcome run = elkctl(cases[i].arguments);
        EXPECT_EQ(run.exitCode, 2u) << "case " << i;
        EXPECT_EQ(run.out, "") << "case " << i;
        EXPECT_EQ(run.err, cases[i].reason + kUsage[cases[i].usage]) << "case " << i;
    }
}

TEST(ElkctlUsage, ListOfCommands) {
    const struct {
        const wchar_t* arguments;
        std::string before;  // what comes before the list
    } cases[] = {
        /* 0 */ {L"", ""},
        /* 1 */ {L"frob", "elkctl: unknown command frob\n"},
        /* 2 names are whole */ {L"inf", "elkctl: unknown command inf\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Outcome run = elkctl(cases[i].arguments);
        EXPECT_EQ(run.exitCode, 2u) << "case " << i;
        EXPECT_EQ(run.out, "") << "case " << i;
        const std::string head = cases[i].before + "usage: elkctl COMMAND [ARGS]\n";
        ASSERT_EQ(run.err.substr(0, head.size()), head) << "case " << i;
        // Every command's usage is in the list, indented by two instead of "usage: elkctl ".
        for (const std::string& usage : kUsage) {
            std::string listed = usage;
            for (size_t at = 0; (at = listed.find("\n             ", at)) != std::string::npos; ++at)
                listed.erase(at + 1, 12);
            listed.replace(0, 14, "  ");
            listed.pop_back();  // the description may follow on the same line
            EXPECT_NE(run.err.find("\n" + listed), std::string::npos) << "case " << i << ": " << listed;
        }
        // Short syntaxes share their line with the description, long ones do not.
        EXPECT_NE(run.err.find("\n  error CODE           the text of a status code"), std::string::npos);
        EXPECT_NE(run.err.find("\n  size BYTES           a byte count"), std::string::npos);
        EXPECT_NE(run.err.find("version format HIGH LOW\n                       a file version"), std::string::npos);
    }
}

// A command used as it should be neither fails nor prints its usage.
TEST(ElkctlUsage, RightUseIsQuiet) {
    for (const wchar_t* arguments : {L"error 0", L"size 1024", L"label 0x10 0x20 NOW", L"version parse 1.2.3.4",
                                     L"base64 encode abc", L"decode abc"}) {
        Outcome run = elkctl(arguments);
        EXPECT_EQ(run.exitCode, 0u) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_NE(run.out, "");
    }
}

// Every number on the command line: decimal, or hex after 0x; the whole
// argument; within the range of what it stands for.
TEST(ElkctlNumbers, SpellingsOfOneValueAgree) {
    const struct {
        const wchar_t* arguments;
        const wchar_t* same;  // the same values written another way
    } cases[] = {
        /* 0 */ {L"error 42", L"error 0x2A"},
        /* 1 */ {L"error 42", L"error 0X2a"},
        /* 2 a leading 0 is not octal */ {L"error 010", L"error 10"},
        /* 3 */ {L"error 2147418115", L"error 0x7FFF0003"},
        /* 4 the top of 32 bits */ {L"error 4294967295", L"error 0xFFFFFFFF"},
        /* 5 */ {L"size 1048576", L"size 0x100000"},
        /* 6 the ends of 64 bits */ {L"size 9223372036854775807", L"size 0x7FFFFFFFFFFFFFFF"},
        /* 7 */ {L"size -9223372036854775808", L"size -0x8000000000000000"},
        /* 8 */ {L"label 16 32 0 --flags 8", L"label 0x10 0x20 0x0 --flags 0x8"},
        /* 9 NOW in any case */ {L"label 0x10 0x20 NOW --flags 8", L"label 0x10 0x20 now --flags 8"},
        /* 10 */ {L"time 86400 --full", L"time 0x15180 --full"},
        /* 11 */ {L"version format 65538 196612", L"version format 0x00010002 0x00030004"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Outcome one = elkctl(cases[i].arguments), other = elkctl(cases[i].same);
        EXPECT_EQ(one.exitCode, 0u) << "case " << i << ": " << one.err;
        EXPECT_EQ(other.exitCode, 0u) << "case " << i << ": " << other.err;
        EXPECT_EQ(one.out, other.out) << "case " << i;
    }
    // The agreement means something: other values read differently.
    EXPECT_NE(elkctl(L"error 10").out, elkctl(L"error 8").out);
    EXPECT_NE(elkctl(L"size 1048576").out, elkctl(L"size 0").out);
    EXPECT_EQ(elkctl(L"version format 0x00010002 0x00030004").out, "1.2.3.4\n");
}

TEST(ElkctlNumbers, WhatIsNotANumberIsMisuse) {
    const wchar_t* const cases[] = {
        /* 0 above 32 bits */ L"error 4294967296",
        /* 1 */ L"error 0x100000000",
        /* 2 no sign where there are no negatives */ L"error -1",
        /* 3 no '+' */ L"error +1",
        /* 4 */ L"error \" 1\"",
        /* 5 */ L"error \"1 \"",
        /* 6 a prefix without digits */ L"error 0x",
        /* 7 */ L"error \"\"",
        /* 8 */ L"error 0b1",
        /* 9 hex needs its 0x */ L"error 2A",
        /* 10 */ L"error 1e3",
        /* 11 a digit of another script */ L"error \x0663",
        /* 12 beyond 64 bits */ L"size 9223372036854775808",
        /* 13 */ L"size 0x8000000000000000",
        /* 14 */ L"size -9223372036854775809",
        /* 15 wraps in 64 bits */ L"size 18446744073709551617",
        /* 16 */ L"size 0x10000000000000000",
        /* 17 */ L"size --1",
        /* 18 */ L"size -",
        /* 19 */ L"size 0x-1",
        /* 20 */ L"label 1A 2 NOW",
        /* 21 */ L"label 1 2 NOW --flags 0x100000000",
        /* 22 */ L"codepage Arial 0x100",
        /* 23 */ L"codepage Arial -1",
        /* 24 */ L"mail --server h:65536 --from a --to b",
        /* 25 */ L"mail --server h:-25 --from a --to b",
        /* 26 */ L"mail --server h: --from a --to b",
        /* 27 */ L"version format 0x100000000 0",
        /* 28 */ L"time 0x8000000000000000",
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        Outcome run = elkctl(cases[i]);
        EXPECT_EQ(run.exitCode, 2u) << "case " << i;
        EXPECT_EQ(run.out, "") << "case " << i;
        EXPECT_EQ(run.err.rfind("elkctl: not ", 0), 0u) << "case " << i << ": " << run.err;
        EXPECT_NE(run.err.find("\nusage: elkctl "), std::string::npos) << "case " << i << ": " << run.err;
    }
}

}  // namespace
