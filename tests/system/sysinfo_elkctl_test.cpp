// elkctl sysinfo and elkctl file-version, in another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/files.h"
#include "support/install_tree.h"
#include "support/process.h"

namespace {

TEST(ElkctlSysinfo, ShowsTheSession) {
    elktest::InstallTree tree;
    tree.addLanguage(1033);
    tree.point();
    elktest::ProcessOutcome run = elktest::runElkctl(L"sysinfo");
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    wchar_t user[256];
    DWORD size = ARRAYSIZE(user);
    ASSERT_TRUE(GetUserNameW(user, &size));
    const std::string lines[] = {"Operating system:  ", "System version:    ", "Physical memory:   ",
                                 "Colour depth:      ", "Network user:      " + elktest::utf8(user) + "\n",
                                 "Browser component: 6.0.2900.0\n",
                                 // Another test's window may cover the screen meanwhile.
                                 "Full-screen:       "};
    for (const std::string& line : lines)
        EXPECT_NE(run.out.find(line), std::string::npos) << line << "\n" << run.out;
    EXPECT_EQ(elktest::runElkctl(L"sysinfo now").exitCode, 2u);
}

TEST(ElkctlSysinfo, FileVersion) {
    const std::wstring dll = elktest::binFolder() + L"\\versioned\\ver5001.dll";
    const struct {
        std::wstring arguments;
        DWORD exitCode;
        const char* out;
    } rows[] = {
        /* 0 */ {L"file-version \"" + dll + L"\"", 0, "5.0.0.1 (0x00050000 0x00000001)\n"},
        /* 1 */ {L"file-version \"" + dll + L"\" --compare 5.0.0.0", 0,
                 "5.0.0.1 (0x00050000 0x00000001)\nnewer than 5.0.0.0\n"},
        /* 2 */ {L"file-version \"" + dll + L"\" --compare 5.1.0.0", 0,
                 "5.0.0.1 (0x00050000 0x00000001)\nolder than 5.1.0.0\n"},
        /* 3 */ {L"file-version \"" + dll + L"\" --compare 5.0.0.1", 0,
                 "5.0.0.1 (0x00050000 0x00000001)\nthe same as 5.0.0.1\n"},
        /* 4 */ {L"file-version \"" + elktest::binFolder() + L"\\versioned\\plain.dll\"", 1, ""},
        /* 5 */ {L"file-version \"" + dll + L"\" --compare five", 2, ""},
        /* 6 */ {L"file-version", 2, ""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        elktest::ProcessOutcome run = elktest::runElkctl(rows[i].arguments);
        EXPECT_EQ(run.exitCode, rows[i].exitCode) << "row " << i << ": " << run.err;
        EXPECT_EQ(run.out, rows[i].out) << "row " << i;
    }
}

}  // namespace
