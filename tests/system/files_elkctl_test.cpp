// elkctl exec and elkctl clean-temp, in another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/files.h"
#include "support/install_tree.h"
#include "support/process.h"

namespace {

TEST(ElkctlFiles, ExecWaitsForTheProgram) {
    elktest::TempFolder folder(L"elk-ctl exec");
    const std::wstring exe = folder / L"rec.exe";
    ASSERT_TRUE(CopyFileW((elktest::binFolder() + L"\\cmdline\\cmdline.exe").c_str(), exe.c_str(), FALSE));
    elktest::ProcessOutcome run = elktest::runElkctl(L"exec --wait \"" + exe + L" one\"");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(elktest::readFile(exe + L".txt"), elktest::utf8(L"\"" + exe + L"\" one"));

    run = elktest::runElkctl(L"exec \"" + (folder / L"missing.exe") + L"\"");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.err.find(": 0x00000002 "), std::string::npos) << run.err;
    EXPECT_EQ(elktest::runElkctl(L"exec").exitCode, 2u);
}

TEST(ElkctlFiles, CleanTempRemovesOldLeftovers) {
    elktest::TempFolder temp(L"elk-ctl-temp");
    ASSERT_TRUE(elktest::writeFile(temp / L"unp1.tmp", "x"));
    ASSERT_TRUE(elktest::writeFile(temp / L"unp2\\inner.bin", "x"));
    ASSERT_TRUE(elktest::writeFile(temp / L"keep.tmp", "x"));
    Sleep(50);
    wchar_t saved[MAX_PATH] = L"";
    GetEnvironmentVariableW(L"TMP", saved, MAX_PATH);
    SetEnvironmentVariableW(L"TMP", temp.path().c_str());
    elktest::ProcessOutcome plain = elktest::runElkctl(L"clean-temp 0");
    elktest::ProcessOutcome recursive = elktest::runElkctl(L"clean-temp 0 --recursive");
    elktest::ProcessOutcome misused = elktest::runElkctl(L"clean-temp soon");
    SetEnvironmentVariableW(L"TMP", saved[0] ? saved : nullptr);

    EXPECT_EQ(plain.exitCode, 1u) << "the full folder stays without --recursive: " << plain.out << plain.err;
    EXPECT_EQ(recursive.exitCode, 0u) << recursive.out << recursive.err;
    EXPECT_FALSE(elktest::exists(temp / L"unp1.tmp"));
    EXPECT_FALSE(elktest::exists(temp / L"unp2"));
    EXPECT_TRUE(elktest::exists(temp / L"keep.tmp"));
    EXPECT_EQ(misused.exitCode, 2u);
}

}  // namespace
