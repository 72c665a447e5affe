// The settings password in "ozrResp.dat", checked byte for byte, and the two
// small text transformations that go with it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/suite/ozrCmnIS.h"
#include "include/elkBase.h"
#include "storage/storage_test.h"

namespace {

std::vector<BYTE> record(DWORD flags, const wchar_t* password) {
    std::vector<BYTE> bytes = {static_cast<BYTE>(flags), static_cast<BYTE>(flags >> 8), static_cast<BYTE>(flags >> 16),
                               static_cast<BYTE>(flags >> 24)};
    if (password) {
        BYTE digest[16];
        EXPECT_EQ(mdaGenerate(password, static_cast<DWORD>((wcslen(password) + 1) * 2), digest), 0u);
        bytes.insert(bytes.end(), digest, digest + 16);
    }
    return bytes;
}

class Password : public ::testing::Test {
protected:
    std::wstring file() const { return lib.tree.data() + L"\\ozrResp.dat"; }
    std::vector<BYTE> bytes() const { return storagetest::fileBytes(file()); }
    void writeFile(const std::vector<BYTE>& content) const { ASSERT_TRUE(elktest::writeFile(file(), content)); }
    storagetest::Started lib;
};

TEST_F(Password, FirstOpenCreatesAnEmptyFileWithDefaultFlags) {
    ASSERT_EQ(GetFileAttributesW(file().c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_EQ(GetFileAttributesW(file().c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_TRUE(bytes().empty());
    EXPECT_EQ(basResPwdFlagsGet(), static_cast<DWORD>(ELK_RESP_DEFAULT_FLAGS));
    EXPECT_TRUE(basResPwdIsEmpty());
    for (const wchar_t* guess : {L"", L"secret", L"\x00e4"}) EXPECT_FALSE(basResPwdCheck(guess)) << guess;
    EXPECT_FALSE(basResPwdCheck(nullptr));
    EXPECT_EQ(basResPwdClose(), 0u);
    EXPECT_TRUE(bytes().empty()) << "the defaults stay in memory until written";
}

TEST_F(Password, FlagsAndDigestSurviveAReopen) {
    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_EQ(basResPwdFlagsSet(5), 0u);
    EXPECT_EQ(bytes(), record(5, nullptr));
    EXPECT_EQ(basResPwdSet(L"secret"), 0u);
    EXPECT_EQ(bytes(), record(5, L"secret"));
    EXPECT_FALSE(basResPwdIsEmpty()) << "a password is stored now";
    EXPECT_TRUE(basResPwdCheck(L"secret"));
    EXPECT_EQ(basResPwdClose(), 0u);
    EXPECT_EQ(basResPwdFlagsGet(), 0u) << "the last close forgets the flags";
    EXPECT_FALSE(basResPwdCheck(L"secret")) << "and the digest";

    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_EQ(basResPwdFlagsGet(), 5u);
    EXPECT_FALSE(basResPwdIsEmpty());
    EXPECT_TRUE(basResPwdCheck(L"secret"));
    EXPECT_FALSE(basResPwdCheck(L"Secret"));
    EXPECT_FALSE(basResPwdCheck(L"secret "));
    // A new password replaces the old one in place; the flags stay.
    EXPECT_EQ(basResPwdSet(L"\x00fc" L"ber"), 0u);
    EXPECT_EQ(bytes(), record(5, L"\x00fc" L"ber"));
    EXPECT_FALSE(basResPwdCheck(L"secret"));
    EXPECT_EQ(basResPwdSet(nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basResPwdClose(), 0u);
}

TEST_F(Password, APasswordOnANewFileKeepsTheDefaultFlags) {
    // Without the flags in front, the digest would leave zeros there, and the
    // next start would find nothing protected.
    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_EQ(basResPwdSet(L"pw"), 0u);
    EXPECT_EQ(bytes(), record(ELK_RESP_DEFAULT_FLAGS, L"pw"));
    EXPECT_EQ(basResPwdClose(), 0u);
    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_EQ(basResPwdFlagsGet(), static_cast<DWORD>(ELK_RESP_DEFAULT_FLAGS));
    EXPECT_TRUE(basResPwdCheck(L"pw"));
    EXPECT_EQ(basResPwdClose(), 0u);
}

TEST_F(Password, DeleteCutsTheDigestAndTheOldPasswordStopsMatching) {
    writeFile(record(0x21, L"old"));
    ASSERT_EQ(basResPwdOpen(), 0u);
    ASSERT_TRUE(basResPwdCheck(L"old"));
    EXPECT_EQ(basResPwdDeletePassword(), 0u);
    EXPECT_EQ(bytes(), record(0x21, nullptr));
    EXPECT_FALSE(basResPwdCheck(L"old"));
    EXPECT_TRUE(basResPwdIsEmpty());
    EXPECT_EQ(basResPwdFlagsGet(), 0x21u);
    EXPECT_EQ(basResPwdClose(), 0u);

    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_TRUE(basResPwdIsEmpty());
    EXPECT_EQ(basResPwdFlagsGet(), 0x21u);
    EXPECT_FALSE(basResPwdCheck(L"old"));
    EXPECT_EQ(basResPwdClose(), 0u);
}

TEST_F(Password, DeleteOnANewFileKeepsItEmpty) {
    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_EQ(basResPwdDeletePassword(), 0u);
    EXPECT_TRUE(bytes().empty()) << "zero flags written here would replace the defaults";
    EXPECT_EQ(basResPwdClose(), 0u);
    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_EQ(basResPwdFlagsGet(), static_cast<DWORD>(ELK_RESP_DEFAULT_FLAGS));
    EXPECT_EQ(basResPwdClose(), 0u);
}

TEST_F(Password, FilesOfOtherLengths) {
    const struct {
        std::vector<BYTE> content;
        DWORD flags;
        BOOL empty;
    } cases[] = {
        /* 0 flags only */ {{0x78, 0x56, 0x34, 0x12}, 0x12345678, TRUE},
        /* 1 digest cut short: no password matches */ {{1, 0, 0, 0, 9, 9, 9}, 1, FALSE},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        writeFile(cases[i].content);
        ASSERT_EQ(basResPwdOpen(), 0u) << "row " << i;
        EXPECT_EQ(basResPwdFlagsGet(), cases[i].flags) << "row " << i;
        EXPECT_EQ(basResPwdIsEmpty(), cases[i].empty) << "row " << i;
        EXPECT_FALSE(basResPwdCheck(L"")) << "row " << i;
        EXPECT_EQ(basResPwdClose(), 0u);
    }
    // Trailing bytes are not the digest's business.
    std::vector<BYTE> longer = record(3, L"x");
    longer.push_back(0xEE);
    writeFile(longer);
    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_TRUE(basResPwdCheck(L"x"));
    EXPECT_EQ(basResPwdClose(), 0u);
}

TEST_F(Password, OpensAreCountedAndWritesNeedAnOpenFile) {
    ASSERT_EQ(basResPwdOpen(), 0u);
    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_EQ(basResPwdClose(), 0u);
    EXPECT_EQ(basResPwdFlagsSet(9), 0u) << "one open is left";
    // Others may read the file while it is open, but not write it.
    HANDLE reader = CreateFileW(file().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    SetLastError(0xdeadbeef);
    HANDLE writer = CreateFileW(file().c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_EQ(basResPwdClose(), 0u);

    for (DWORD rc : {basResPwdFlagsSet(1), basResPwdSet(L"x"), basResPwdDeletePassword()})
        EXPECT_EQ(rc, static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(basResPwdClose(), 0u) << "an extra close is harmless";
    // and did not wrap the count: the next open reads the file again.
    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_EQ(basResPwdFlagsGet(), 9u);
    EXPECT_EQ(basResPwdClose(), 0u);
    EXPECT_EQ(basResPwdFlagsGet(), 0u);
}

TEST_F(Password, AFileThatCannotBeOpenedLeavesTheStateClosed) {
    ASSERT_TRUE(CreateDirectoryW(file().c_str(), nullptr));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(basResPwdOpen(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(basResPwdFlagsSet(1), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    RemoveDirectoryW(file().c_str());
    // Nothing was counted: the next open is a first open again.
    ASSERT_EQ(basResPwdOpen(), 0u);
    EXPECT_EQ(basResPwdFlagsGet(), static_cast<DWORD>(ELK_RESP_DEFAULT_FLAGS));
    EXPECT_EQ(basResPwdClose(), 0u);
}

TEST(CodeStringPassword, SwapsLowBitPairsInPlace) {
    wchar_t text[] = L"AD\x00e4z";
    basCodeStringPassword(text);
    EXPECT_STREQ(text, L"DA\x00e1z");
    basCodeStringPassword(text);
    EXPECT_STREQ(text, L"AD\x00e4z");
    basCodeStringPassword(nullptr);
}

TEST(SimpleCipher, IsTheIntegrityLibrarysCoding) {
    for (DWORD mode : {0u, 7u}) {
        BYTE mine[9] = "elk data", theirs[9] = "elk data";
        EXPECT_EQ(basSimpleCipher(mine, 8, mode), 0u);
        EXPECT_EQ(cyphSimpleCode(theirs, 8, 0, mode), 0u);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(mine), 8), std::string(reinterpret_cast<char*>(theirs), 8))
            << mode;
        EXPECT_EQ(basSimpleCipher(mine, 8, mode), 0u);
        EXPECT_STREQ(reinterpret_cast<char*>(mine), "elk data") << mode;
    }
    EXPECT_EQ(basSimpleCipher(nullptr, 8, 0), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
