// elkctl dump, run as a program on a tree of the test's.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "support/install_tree.h"
#include "support/process.h"

namespace {

TEST(ElkctlDump, WritesADumpOfItselfIntoTheLogFolder) {
    elktest::InstallTree tree;
    tree.addLanguage(1033);
    tree.point();
    elktest::ProcessOutcome run = elktest::runElkctl(L"dump");
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    ASSERT_GT(run.out.size(), 1u);
    ASSERT_EQ(run.out.back(), '\n');
    const std::string path = run.out.substr(0, run.out.size() - 1);
    const std::string folder = elktest::utf8(tree.log()) + "\\";
    ASSERT_EQ(path.compare(0, folder.size(), folder), 0) << path;
    EXPECT_EQ(path.substr(path.size() - 5), ".mdmp");
    EXPECT_EQ(elktest::readFile(tree.log() + L"\\" + std::wstring(path.begin() + folder.size(), path.end()))
                  .compare(0, 4, "MDMP"),
              0);
}

TEST(ElkctlDump, ReportsWhyNoDumpWasWritten) {
    elktest::InstallTree tree;
    tree.addLanguage(1033);
    tree.point();
    // The log folder names a file: the dump cannot be created.
    RemoveDirectoryW(tree.log().c_str());
    ASSERT_TRUE(elktest::writeFile(tree.log(), "not a folder"));
    elktest::ProcessOutcome run = elktest::runElkctl(L"dump");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("elkctl: no dump written: ", 0), 0u) << run.err;
}

TEST(ElkctlDump, TakesNoArguments) {
    elktest::ProcessOutcome run = elktest::runElkctl(L"dump now");
    EXPECT_EQ(run.exitCode, 2u);
    EXPECT_EQ(run.err, "usage: elkctl dump\n");
}

}  // namespace
