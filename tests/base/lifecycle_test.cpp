// Start-up and shut-down against temporary installation trees.
#include <gtest/gtest.h>

#include <string>

#include "include/elkBase.h"
#include "support/install_tree.h"

namespace {

using elktest::InstallTree;

class Lifecycle : public ::testing::Test {
protected:
    void SetUp() override {
        tree.addLanguage(1033);
        tree.point();
    }
    InstallTree tree;
};

TEST_F(Lifecycle, FirstStartUpBuildsTheState) {
    ASSERT_EQ(basInitLibraryExt(0), 0u);
    EXPECT_EQ(std::wstring(basGetIniPath()), tree.data() + L"\\Tarvo5.ini");
    EXPECT_EQ(basGetLanguage(), 1033);
    EXPECT_EQ(std::wstring(basGetLanguagePath()), tree.program() + L"\\1033");
    EXPECT_NE(basGetBaseLang(), nullptr);
    EXPECT_NE(basGetComputerName()[0], L'\0');
    EXPECT_STREQ(basGetNetDomain(), L"");
    EXPECT_EQ(basCheck(), 0u);
    // Wine reports an NT of version 6 or later.
    EXPECT_TRUE(basIsOS(ELK_OS_NT6));
    EXPECT_FALSE(basIsOS(ELK_OS_NT4 | ELK_OS_NT50 | ELK_OS_NT51 | ELK_OS_95 | ELK_OS_98 | ELK_OS_ME));
    EXPECT_EQ(basFreeLibraryExt(0), 0u);
    EXPECT_EQ(basGetBaseLang(), nullptr);
    EXPECT_STREQ(basGetIniPath(), L"") << "the settings of a stopped library are not read";
}

TEST_F(Lifecycle, LaterStartUpsOnlyCount) {
    ASSERT_EQ(basInitLibraryExt(0), 0u);
    HMODULE module = basGetBaseLang();
    std::wstring computer = basGetComputerName();
    // Another tree and other flags change nothing while the library runs.
    InstallTree other;
    other.point();
    EXPECT_EQ(basInitLibraryExt(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES), 0u);
    EXPECT_EQ(std::wstring(basGetIniPath()), tree.data() + L"\\Tarvo5.ini");
    EXPECT_EQ(basFreeLibrary(), 0u);
    EXPECT_EQ(basGetBaseLang(), module) << "one shut-down of two released the state";
    EXPECT_EQ(basGetComputerName(), computer);
    EXPECT_EQ(basFreeLibrary(), 0u);
    EXPECT_EQ(basGetBaseLang(), nullptr);
    // A shut-down too many is refused quietly and does not disturb the next start.
    EXPECT_EQ(basFreeLibrary(), 0u);
    tree.point();
    ASSERT_EQ(basInitLibrary(TRUE), 0u);
    EXPECT_NE(basGetBaseLang(), nullptr);
    EXPECT_EQ(basFreeLibrary(), 0u);
}

TEST_F(Lifecycle, FoldersAreChecked) {
    std::wstring file = tree.root() + L"\\plain-file";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    struct Row {
        std::wstring program, data;
        DWORD expected;
    };
    const Row rows[] = {
        /* 0 */ {tree.program() + L"\\", tree.data() + L"\\", 0},
        /* 1 */ {tree.root() + L"\\missing", tree.data(), ELK_E_FOLDER_MISSING},
        /* 2 */ {file, tree.data(), ELK_E_FOLDER_MISSING},
        /* 3 */ {tree.program(), tree.root() + L"\\missing", ELK_E_FOLDER_MISSING},
        /* 4 */ {tree.program(), file + L"\\", ELK_E_FOLDER_MISSING},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        tree.point(rows[i].program, rows[i].data);
        EXPECT_EQ(basInitLibraryExt(0), rows[i].expected) << "row " << i;
        if (rows[i].expected == 0) {
            EXPECT_EQ(std::wstring(basGetIniPath()), tree.data() + L"\\Tarvo5.ini") << "row " << i;
            EXPECT_EQ(basFreeLibraryExt(0), 0u);
        } else {
            // A failed start-up leaves nothing running and can be retried.
            EXPECT_EQ(basGetBaseLang(), nullptr) << "row " << i;
        }
    }
}

TEST_F(Lifecycle, NoLanguageModuleFailsTheStartUp) {
    InstallTree bare;
    bare.point();
    EXPECT_EQ(basInitLibraryExt(0), ELK_E_FOLDER_MISSING);
    // The language step failed after the INI path was composed; the undo empties it.
    EXPECT_STREQ(basGetIniPath(), L"");
    EXPECT_EQ(basGetLanguage(), 0);
    EXPECT_EQ(std::wstring(basGetLanguagePath()), bare.program() + L"\\0");
    EXPECT_EQ(basGetBaseLang(), nullptr);
}

DWORD WINAPI startFromThread(void* result) {
    *static_cast<DWORD*>(result) = basInitLibraryExt(ELK_INIT_NO_LOCALES);
    return 0;
}

TEST_F(Lifecycle, ConcurrentStartUpsAreCounted) {
    constexpr int kThreads = 8;
    HANDLE threads[kThreads];
    DWORD results[kThreads] = {};
    for (int i = 0; i < kThreads; ++i)
        threads[i] = CreateThread(nullptr, 0, startFromThread, &results[i], 0, nullptr);
    WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
    for (int i = 0; i < kThreads; ++i) {
        CloseHandle(threads[i]);
        EXPECT_EQ(results[i], 0u);
    }
    for (int i = 0; i < kThreads - 1; ++i) basFreeLibraryExt(0);
    EXPECT_NE(basGetBaseLang(), nullptr);
    basFreeLibraryExt(0);
    EXPECT_EQ(basGetBaseLang(), nullptr);
}

TEST(ProcAddress, BindsAndReportsFailure) {
    HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    EXPECT_EQ(basGetProcAddress(kernel, "GetTickCount"), GetProcAddress(kernel, "GetTickCount"));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(basGetProcAddress(kernel, "NoSuchEntryAnywhere"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
}

// Run in processes of their own (see CMakeLists.txt): they need the first
// start-up of the process, or a system without NetApi32.
TEST(LightStart, FirstStartUpLeavesNamesEmpty) {
    InstallTree tree;
    tree.addLanguage(1033);
    tree.point();
    ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT), 0u);
    EXPECT_STREQ(basGetComputerName(), L"");
    EXPECT_STREQ(basGetDomainName(), L"");
    EXPECT_NE(basGetBaseLang(), nullptr);
    EXPECT_EQ(basFreeLibraryExt(ELK_INIT_LIGHT), 0u);
}

TEST(NoNetApi, DomainIsEmpty) {
    InstallTree tree;
    tree.addLanguage(1033);
    tree.point();
    ASSERT_EQ(LoadLibraryW(L"NetApi32.dll"), nullptr) << "this test needs NetApi32 disabled";
    ASSERT_EQ(basInitLibraryExt(0), 0u);
    EXPECT_STREQ(basGetDomainName(), L"");
    EXPECT_NE(basGetComputerName()[0], L'\0');
    EXPECT_EQ(basFreeLibraryExt(0), 0u);
}

TEST(WithNetApi, DomainComesFromTheWorkstation) {
    InstallTree tree;
    tree.addLanguage(1033);
    tree.point();
    ASSERT_EQ(basInitLibraryExt(0), 0u);
    std::wstring domain = basGetDomainName();
    EXPECT_FALSE(domain.empty());
    EXPECT_LT(domain.size(), 20u);
    EXPECT_EQ(basFreeLibraryExt(0), 0u);
}

}  // namespace
