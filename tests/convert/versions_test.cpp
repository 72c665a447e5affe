// Versions and system-version records through the DLL.
#include <gtest/gtest.h>

#include <string>

#include "convert/fixtures.h"

namespace {

using converttest::GuardedShortRecord;
using converttest::kTextsOnly;
using elktest::GuardedText;

std::wstring versionText(DWORD high, DWORD low, DWORD size, int* result) {
    GuardedText out(size);
    *result = basVersion2String(out.data(), size, high, low);
    EXPECT_TRUE(out.intact()) << "wrote past the buffer";
    return out.text();
}

TEST(Versions, ParseTheFourParts) {
    struct Row {
        const wchar_t* text;
        BOOLEAN ok;
        DWORD high, low;
    };
    const Row rows[] = {
        /* 0 */ {L"1.2.3.4", TRUE, 0x00010002, 0x00030004},
        /* 1 */ {L"65535.65535.65535.65535", TRUE, 0xFFFFFFFF, 0xFFFFFFFF},
        /* 2 */ {L"65536.0.0.0", FALSE, 0, 0},
        /* 3 the parts read so far stay */ {L"1.2.3", FALSE, 0x00010002, 0x00030000},
        /* 4 */ {L"1.2.3.4x", FALSE, 0x00010002, 0x00030000},
        /* 5 */ {L"", FALSE, 0, 0},
        /* 6 */ {nullptr, FALSE, 0, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        DWORD high = 0xdeadbeef, low = 0xdeadbeef;
        EXPECT_EQ(basString2Version(rows[i].text, &high, &low), rows[i].ok) << "row " << i;
        EXPECT_EQ(high, rows[i].high) << "row " << i;
        EXPECT_EQ(low, rows[i].low) << "row " << i;
    }
    DWORD high = 0;
    EXPECT_FALSE(basString2Version(L"1.2.3.4", &high, nullptr));
    EXPECT_EQ(high, 0x00010002u);
}

TEST(Versions, TextIsBoundedAndTerminated) {
    struct Row {
        DWORD size;
        int result;
        std::wstring text;
    };
    const Row rows[] = {
        /* 0 */ {64, 7, L"1.2.3.4"}, /* 1 exact fit */ {8, 7, L"1.2.3.4"},
        /* 2 one too small */ {7, -1, L"1.2.3."}, /* 3 */ {1, -1, L""}, /* 4 */ {0, -1, L""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        int result = 0;
        EXPECT_EQ(versionText(0x00010002, 0x00030004, rows[i].size, &result), rows[i].text) << "row " << i;
        EXPECT_EQ(result, rows[i].result) << "row " << i;
    }
}

TEST(Versions, NoVersionWithoutALanguageModuleIsTheBuiltInText) {
    int result = 0;
    EXPECT_EQ(versionText(0, 0, 64, &result), L"Unknown");
    EXPECT_EQ(result, 7);
}

class VersionTexts : public elktest::LibraryTest {};

TEST_F(VersionTexts, NoVersionReadsTheLanguageModule) {
    startIn(1031, L"lang\\1031", kTextsOnly);
    int result = 0;
    EXPECT_EQ(versionText(0, 0, 64, &result), L"Unbekannt");
    EXPECT_EQ(result, 9);
    EXPECT_EQ(versionText(0, 0, 4, &result), L"Unb");
    EXPECT_EQ(result, -1);
    stop();
    startIn(1033, L"lang\\1033", kTextsOnly);
    EXPECT_EQ(versionText(0, 0, 64, &result), L"Unknown");
}

TEST(Versions, DatabaseVersionAndHexNumbers) {
    struct Row {
        const wchar_t* text;
        DWORD first, second;
    };
    const Row rows[] = {
        /* 0 */ {L"1a2b-3c4d", 0x1A2B, 0x3C4D}, /* 1 */ {L"", 0, 0}, /* 2 */ {nullptr, 0, 0},
        /* 3 */ {L"ff-", 0xFF, 0}, /* 4 */ {L"0x10-0x20", 0x10, 0x20},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        DWORD first = 0xdeadbeef, second = 0xdeadbeef;
        EXPECT_EQ(basVPSString2Version(rows[i].text, &first, &second), TRUE) << "row " << i;
        EXPECT_EQ(first, rows[i].first) << "row " << i;
        EXPECT_EQ(second, rows[i].second) << "row " << i;
    }
    EXPECT_EQ(basHex2DWORD(L" 0x7FFF0003"), 0x7FFF0003u);
    EXPECT_EQ(basHex2DWORD(L"123456789"), 0xFFFFFFFFu);
    EXPECT_EQ(basHex2DWORD(L"-1"), 0xFFFFFFFFu);
    EXPECT_EQ(basHex2DWORD(L"nothing"), 0u);
    EXPECT_EQ(basHex2DWORD(nullptr), 0u);
}

TEST(SystemVersionText, ShortRecordRoundTrip) {
    GuardedShortRecord guarded;
    OSVERSIONINFOW* record = guarded.get();
    record->dwMajorVersion = 5;
    record->dwMinorVersion = 1;
    record->dwBuildNumber = 2600;
    record->dwPlatformId = VER_PLATFORM_WIN32_NT;
    wcscpy(record->szCSDVersion, L"Service Pack 3");
    wchar_t text[300];
    EXPECT_EQ(basOSVersion2String(record, text, ARRAYSIZE(text)), 37);
    EXPECT_STREQ(text, L"276,5,1,2600,2,0,0,0,0,Service Pack 3");

    OSVERSIONINFOEXW back;
    memset(&back, 0x55, sizeof back);
    basString2OSVersion(text, &back);
    EXPECT_EQ(back.dwOSVersionInfoSize, 276u);
    EXPECT_EQ(back.dwBuildNumber, 2600u);
    EXPECT_EQ(back.wServicePackMajor, 0);
    EXPECT_EQ(back.wProductType, 0);
    EXPECT_STREQ(back.szCSDVersion, L"Service Pack 3");
}

TEST(SystemVersionText, OddSizesWriteTheLongFormWithoutReadingPastTheShortRecord) {
    GuardedShortRecord guarded;
    OSVERSIONINFOW* record = guarded.get();
    record->dwOSVersionInfoSize = 148;
    record->dwMajorVersion = 5;
    wchar_t text[300];
    EXPECT_EQ(basOSVersion2String(record, text, ARRAYSIZE(text)), 20);
    EXPECT_STREQ(text, L"148,5,0,0,0,0,0,0,0,");
}

TEST(SystemVersionText, LongRecordRoundTripAndBounds) {
    OSVERSIONINFOEXW record = {};
    record.dwOSVersionInfoSize = sizeof record;
    record.dwMajorVersion = 6;
    record.dwMinorVersion = 1;
    record.dwBuildNumber = 7601;
    record.dwPlatformId = VER_PLATFORM_WIN32_NT | ELK_PLATFORM_WIN64;
    record.wServicePackMajor = 1;
    record.wSuiteMask = VER_SUITE_SINGLEUSERTS;
    record.wProductType = VER_NT_WORKSTATION;
    wcscpy(record.szCSDVersion, L"Service Pack 1, v.1130");
    const std::wstring full = L"284,6,1,7601,258,1,0,256,1,Service Pack 1, v.1130";
    auto* asShort = reinterpret_cast<OSVERSIONINFOW*>(&record);

    wchar_t text[300];
    EXPECT_EQ(basOSVersion2String(asShort, text, ARRAYSIZE(text)), static_cast<int>(full.size()));
    EXPECT_EQ(text, full);
    // The service pack comes back from its last comma on.
    OSVERSIONINFOEXW back = {};
    basString2OSVersion(text, &back);
    EXPECT_EQ(back.dwPlatformId, record.dwPlatformId);
    EXPECT_EQ(back.wSuiteMask, record.wSuiteMask);
    EXPECT_STREQ(back.szCSDVersion, L" v.1130");

    for (DWORD size : {static_cast<DWORD>(full.size() + 1), static_cast<DWORD>(full.size()), 1ul}) {
        GuardedText out(size);
        int result = basOSVersion2String(asShort, out.data(), size);
        EXPECT_EQ(result, size > full.size() ? static_cast<int>(full.size()) : -1) << size;
        EXPECT_EQ(out.text(), full.substr(0, size - 1)) << size;
        EXPECT_TRUE(out.intact()) << size;
    }
    GuardedText none(0);
    EXPECT_EQ(basOSVersion2String(asShort, none.data(), 0), -1);
    EXPECT_TRUE(none.untouched());

    basString2OSVersion(L"", &back);
    EXPECT_EQ(back.dwOSVersionInfoSize, 0u);
    EXPECT_EQ(back.wProductType, 0);
    basString2OSVersion(L"1", nullptr);
}

}  // namespace
