// elkctl reg and elkctl password, run as a program against a test installation.
#include <gtest/gtest.h>

#include <string>

#include "storage/storage_test.h"
#include "support/process.h"

namespace {

using Outcome = elktest::ProcessOutcome;

Outcome elkctl(const std::wstring& arguments, const std::string& input = "") {
    return elktest::runElkctl(arguments, input);
}

TEST(Elkctl, RegCommands) {
    storagetest::Started lib;
    std::string name;
    for (wchar_t c : storagetest::uniqueName(L"elkctl")) name += static_cast<char>(c);
    const std::wstring n(name.begin(), name.end());
    const struct {
        std::wstring arguments;
        DWORD exitCode;
        std::string out;
        std::string err = "";  // how standard error starts
    } steps[] = {
        /* 0 */ {L"reg set " + n + L" \"a b\" --user", 0, ""},
        /* 1 */ {L"reg get " + n + L" --user", 0, "a b\n"},
        /* 2 */ {L"reg set " + n + L" 0x2a --user --dword", 0, ""},
        /* 3 */ {L"reg get " + n + L" --user --dword", 0, "42 (0x0000002A)\n"},
        /* 4 the exact length of the value */ {L"reg get " + n + L" --user --binary", 0, "2A 00 00 00\n"},
        /* 5 */ {L"reg set " + n + L" 01:ff --user --binary", 0, ""},
        /* 6 */ {L"reg get " + n + L" --user --binary", 0, "01 FF\n"},
        /* 7 */ {L"reg delete " + n + L" --user", 0, ""},
        /* 8 the status and its text */ {L"reg get " + n + L" --user", 1, "", "elkctl: reg get " + name + ": 0x00000002 "},
        /* 9 */ {L"reg set " + n + L" 12x --user --dword", 2, ""},
        /* 10 */ {L"reg set " + n + L" 0x100000000 --user --dword", 2, ""},
        /* 11 */ {L"reg set " + n + L" abc --user --binary", 2, ""},
        /* 12 */ {L"reg frob " + n, 2, ""},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        Outcome run = elkctl(steps[i].arguments);
        EXPECT_EQ(run.exitCode, steps[i].exitCode) << "step " << i;
        EXPECT_EQ(run.out, steps[i].out) << "step " << i;
        EXPECT_EQ(run.err.substr(0, steps[i].err.size()), steps[i].err) << "step " << i;
        EXPECT_EQ(run.err.empty(), steps[i].exitCode == 0) << "step " << i << ": " << run.err;
        if (!steps[i].err.empty()) {
            EXPECT_GT(run.err.size(), steps[i].err.size() + 1) << "no status text";
        }
    }
    storagetest::rawDelete(HKEY_CURRENT_USER, storagetest::kDefaultKey, n);
}

TEST(Elkctl, PasswordCommands) {
    storagetest::Started lib;
    const struct {
        const wchar_t* arguments;
        const char* input;
        DWORD exitCode;
        std::string out;
    } steps[] = {
        /* 0 */ {L"password flags", "", 0, "flags:    0x0000017C\npassword: none\n"},
        /* 1 */ {L"password check x", "", 1, "no password is stored\n"},
        /* 2 read from input */ {L"password set -", "s3cret\r\n", 0, ""},
        /* 3 */ {L"password check s3cret", "", 0, "password matches\n"},
        /* 4 */ {L"password check S3cret", "", 1, "password does not match\n"},
        /* 5 */ {L"password flags 0x21", "", 0, ""},
        /* 6 */ {L"password flags", "", 0, "flags:    0x00000021\npassword: stored\n"},
        /* 7 */ {L"password delete", "", 0, ""},
        /* 8 */ {L"password check s3cret", "", 1, "no password is stored\n"},
        /* 9 */ {L"password flags -1", "", 2, ""},
        /* 10 */ {L"password", "", 2, ""},
    };
    for (size_t i = 0; i < std::size(steps); ++i) {
        Outcome run = elkctl(steps[i].arguments, steps[i].input);
        EXPECT_EQ(run.exitCode, steps[i].exitCode) << "step " << i;
        EXPECT_EQ(run.err.empty(), steps[i].exitCode != 2) << "step " << i << ": " << run.err;
        EXPECT_EQ(run.out, steps[i].out) << "step " << i;
    }
    EXPECT_EQ(storagetest::fileBytes(lib.tree.data() + L"\\ozrResp.dat"), (std::vector<BYTE>{0x21, 0, 0, 0}));
}

}  // namespace
