// File versions read from libraries that the build gives a version resource.
#include <gtest/gtest.h>

#include <string>

#include "include/elkBase.h"
#include "support/files.h"
#include "support/install_tree.h"

namespace {

std::wstring versioned(const wchar_t* name) { return elktest::binFolder() + L"\\versioned\\" + name; }

constexpr DWORD kCanary = 0xdeadbeef;

TEST(FileVersion, ReadsTheFixedVersion) {
    const struct {
        const wchar_t* file;
        DWORD high, low;
    } rows[] = {
        /* 0 */ {L"ver5001.dll", 0x00050000, 0x00000001},
        /* 1 */ {L"browser.dll", 0x00060000, (2900u << 16) | 5512u},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        DWORD high = kCanary, low = kCanary;
        EXPECT_EQ(basGetFileVersion(versioned(rows[i].file).c_str(), &high, &low), 0u) << "row " << i;
        EXPECT_EQ(high, rows[i].high) << "row " << i;
        EXPECT_EQ(low, rows[i].low) << "row " << i;
    }
}

// The system's own answer for a file without usable version information.
DWORD systemError(const std::wstring& path) {
    DWORD ignored;
    SetLastError(0);
    EXPECT_EQ(GetFileVersionInfoSizeW(path.c_str(), &ignored), 0u);
    return GetLastError();
}

TEST(FileVersion, NoVersionInformationGivesTheSystemError) {
    elktest::TempFolder folder;
    ASSERT_TRUE(elktest::writeFile(folder / L"text.dll", "not a library"));
    const std::wstring files[] = {versioned(L"plain.dll"), folder / L"text.dll", folder / L"missing.dll"};
    for (size_t i = 0; i < std::size(files); ++i) {
        DWORD expected = systemError(files[i]);
        EXPECT_NE(expected, 0u) << "row " << i;
        if (i == 2) {
            EXPECT_EQ(expected, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        }
        DWORD high = kCanary, low = kCanary;
        EXPECT_EQ(basGetFileVersion(files[i].c_str(), &high, &low), expected) << "row " << i;
        EXPECT_EQ(high, kCanary) << "row " << i;
        EXPECT_EQ(low, kCanary) << "row " << i;

        SetLastError(kCanary);
        int result = basCheckFileVersion(files[i].c_str(), 0, 0);
        DWORD error = GetLastError();
        EXPECT_EQ(result, -1) << "row " << i;
        EXPECT_EQ(error, expected) << "row " << i;
    }
}

TEST(FileVersion, ComparesUnsignedHighPartFirst) {
    const struct {
        const wchar_t* file;
        DWORD high, low;
        int result;
    } rows[] = {
        /* 0 */ {L"ver5001.dll", 0x00050000, 1, 0},
        /* 1 */ {L"ver5001.dll", 0x00050000, 0, 1},
        /* 2 */ {L"ver5001.dll", 0x00050001, 0, -1},
        /* 3 */ {L"ver5001.dll", 0x00050000, 2, -1},
        /* 4 */ {L"ver5001.dll", 0x00040009, 0xFFFFFFFF, 1},  // the low part counts only on a tie
        /* 5 */ {L"ver5001.dll", 0x80000000, 0, -1},          // unsigned: above every real version
        /* 6 */ {L"browser.dll", 0x00060000, (2900u << 16) | 5512u, 0},
        /* 7 */ {L"browser.dll", 0x00060000, 0x80000000, -1},
        /* 8 */ {L"browser.dll", 0x00060000, (2900u << 16) | 5511u, 1},
        /* 9 */ {L"browser.dll", 0x00050001, 0xFFFFFFFF, 1},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SetLastError(kCanary);
        int result = basCheckFileVersion(versioned(rows[i].file).c_str(), rows[i].high, rows[i].low);
        DWORD error = GetLastError();
        EXPECT_EQ(result, rows[i].result) << "row " << i;
        EXPECT_EQ(error, 0u) << "row " << i;
    }
}

}  // namespace
