// Paths, INI access and wide text written to files, through the DLL.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "include/elkBase.h"
#include "support/guarded.h"
#include "support/library.h"

namespace {

TEST(CreatePath, JoinsIntoTheCallersBufferOnly) {
    elktest::GuardedText out(12);
    EXPECT_EQ(basCreatePath(L"C:\\A\\", L"setup\\setup.ini", out.data(), 12), 5u);
    EXPECT_EQ(out.text(), L"C:\\A\\setup\\");
    EXPECT_TRUE(out.intact());
    elktest::GuardedText none(0);
    EXPECT_EQ(basCreatePath(L"C:\\A", L"x", none.data(), 0), 0u);
    EXPECT_TRUE(none.untouched());
}

class Profile : public elktest::LibraryTest {
protected:
    void SetUp() override { start(); }
};

TEST_F(Profile, ReadsAndWritesTheSuitesIniFile) {
    ASSERT_TRUE(basWriteProfileString(L"Common", L"Database", L"elkSSqlt.dll"));
    ASSERT_TRUE(basWriteProfileString(L"Common", L"ThreadTerminationTimeout", L"1234"));
    wchar_t direct[64];
    GetPrivateProfileStringW(L"Common", L"Database", L"", direct, 64, tree.ini().c_str());
    EXPECT_STREQ(direct, L"elkSSqlt.dll") << "the value must land in the data folder's Tarvo5.ini";

    wchar_t out[64];
    EXPECT_EQ(basGetProfileString(L"Common", L"Database", L"x", out, 64), 12u);
    EXPECT_STREQ(out, L"elkSSqlt.dll");
    EXPECT_EQ(basGetProfileInt(L"Common", L"ThreadTerminationTimeout", 5), 1234u);
    EXPECT_EQ(basGetProfileInt(L"Common", L"Missing", 5), 5u);

    // Boundaries: one character too small cuts, a zero size writes nothing.
    elktest::GuardedText small(5);
    EXPECT_EQ(basGetProfileString(L"Common", L"Database", L"", small.data(), 5), 4u);
    EXPECT_EQ(small.text(), L"elkS");
    EXPECT_TRUE(small.intact());
    EXPECT_EQ(basGetProfileString(L"Common", L"Database", L"", small.data(), 0), 0u);

    // A null value removes the key, a null key the section.
    ASSERT_TRUE(basWriteProfileString(L"Common", L"Database", nullptr));
    EXPECT_EQ(basGetProfileString(L"Common", L"Database", L"gone", out, 64), 4u);
    ASSERT_TRUE(basWriteProfileString(L"Common", nullptr, nullptr));
    EXPECT_EQ(basGetProfileInt(L"Common", L"ThreadTerminationTimeout", 7), 7u);
}

TEST(WriteString, WritesUtf16WithoutTerminator) {
    elktest::InstallTree tree;
    std::wstring path = tree.root() + L"\\out.txt";
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(basWriteString(file, L""), 0u);
    EXPECT_EQ(GetFileSize(file, nullptr), 0u);
    EXPECT_EQ(basWriteString(file, L"ab\x00e4"), 0u);
    EXPECT_EQ(basWriteString(file, L"c"), 0u);
    EXPECT_EQ(basWriteString(file, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetFilePointer(file, 0, nullptr, FILE_BEGIN);
    unsigned char bytes[16];
    DWORD read = 0;
    ReadFile(file, bytes, sizeof(bytes), &read, nullptr);
    CloseHandle(file);
    const unsigned char expected[] = {'a', 0, 'b', 0, 0xE4, 0, 'c', 0};
    EXPECT_EQ(std::vector<unsigned char>(bytes, bytes + read), std::vector<unsigned char>(expected, expected + 8));

    HANDLE readOnly = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(basWriteString(readOnly, L"x"), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(readOnly);
    EXPECT_EQ(basWriteString(INVALID_HANDLE_VALUE, L"x"), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
