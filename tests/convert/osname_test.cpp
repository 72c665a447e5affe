// Readable release names from the language modules.
#include <gtest/gtest.h>

#include <string>

#include "convert/fixtures.h"

namespace {

using converttest::GuardedShortRecord;
using converttest::kTextsOnly;
using elktest::GuardedText;

OSVERSIONINFOEXW record(DWORD major, DWORD minor, DWORD build, DWORD platform, const wchar_t* servicePack = L"",
                        BYTE productType = VER_NT_WORKSTATION) {
    OSVERSIONINFOEXW r = {};
    r.dwOSVersionInfoSize = sizeof r;
    r.dwMajorVersion = major;
    r.dwMinorVersion = minor;
    r.dwBuildNumber = build;
    r.dwPlatformId = platform;
    wcscpy(r.szCSDVersion, servicePack);
    r.wProductType = productType;
    return r;
}

std::wstring osName(const OSVERSIONINFOEXW* r, DWORD size = 260) {
    GuardedText out(size);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(basCreateOSString(reinterpret_cast<const OSVERSIONINFOW*>(r), out.data(), size), 0u);
    EXPECT_TRUE(out.intact()) << "wrote past the buffer";
    return out.text();
}

struct NameRow {
    OSVERSIONINFOEXW record;
    std::wstring name;
};

void expectNames(const NameRow* rows, size_t count) {
    for (size_t i = 0; i < count; ++i) EXPECT_EQ(osName(&rows[i].record), rows[i].name) << "row " << i;
}

constexpr DWORD kNT = VER_PLATFORM_WIN32_NT, k9x = VER_PLATFORM_WIN32_WINDOWS;

class ReleaseNames : public elktest::LibraryTest {};

TEST_F(ReleaseNames, English) {
    startIn(1033, L"lang\\1033", kTextsOnly);
    const NameRow rows[] = {
        /* 0 */ {record(4, 0, 1381, kNT, L"Service Pack 6a"), L"Windows NT 4.0 (Service Pack 6a)"},
        /* 1 */ {record(5, 0, 2195, kNT, L"Service Pack 4"), L"Windows 2000 Workstation (Service Pack 4)"},
        /* 2 */ {record(5, 1, 2600, kNT, L"Service Pack 3"), L"Windows XP Workstation (Service Pack 3)"},
        /* 3 no service pack: no parentheses */ {record(5, 1, 2600, kNT), L"Windows XP Workstation"},
        /* 4 */ {record(5, 1, 2600, kNT | ELK_PLATFORM_WIN64), L"Windows XP Workstation 64-bit"},
        /* 5 */ {record(5, 2, 3790, kNT | ELK_PLATFORM_WIN64, L"Service Pack 2"), L"Windows XP 64-bit"},
        /* 6 */ {record(5, 2, 3790, kNT, L"Service Pack 2", VER_NT_SERVER), L"Windows 2003 Server (Service Pack 2)"},
        /* 7 */ {record(6, 1, 7601, kNT, L"Service Pack 1", VER_NT_DOMAIN_CONTROLLER),
                 L"Windows Vista or later, Server (Service Pack 1)"},
        /* 8 */ {record(4, 0, 950, k9x), L"Windows 95"},
        /* 9 */ {record(4, 0, 1111, k9x), L"Windows 95 OSR 2"},
        /* 10 */ {record(4, 10, 2222, k9x, L" A "), L"Windows 98 Second Edition"},
        /* 11 */ {record(4, 90, 3000, k9x), L"Windows Me"},
        /* 12 */ {record(3, 10, 0, VER_PLATFORM_WIN32s), L"Win32s or another Windows platform"},
        /* 13 */ {record(0, 0, 0, kNT), L"Unknown"},
    };
    expectNames(rows, std::size(rows));

    // A short record carries the server flag itself, and nothing behind it is read.
    GuardedShortRecord guarded;
    OSVERSIONINFOW* shortRecord = guarded.get();
    shortRecord->dwMajorVersion = 5;
    shortRecord->dwMinorVersion = 2;
    shortRecord->dwPlatformId = kNT | ELK_PLATFORM_SERVER | ELK_PLATFORM_WIN64;
    wcscpy(shortRecord->szCSDVersion, L"SP1");
    wchar_t name[64];
    EXPECT_EQ(basCreateOSString(shortRecord, name, ARRAYSIZE(name)), 0u);
    EXPECT_STREQ(name, L"Windows 2003 Server (SP1) 64-bit");
}

TEST_F(ReleaseNames, German) {
    startIn(1031, L"lang\\1031", kTextsOnly);
    const NameRow rows[] = {
        /* 0 */ {record(6, 2, 9200, kNT, L"Service Pack 1"), L"Windows Vista oder neuer, Workstation (Service Pack 1)"},
        /* 1 */ {record(4, 10, 2222, k9x), L"Windows 98 Zweite Ausgabe"},
        /* 2 */ {record(3, 10, 0, VER_PLATFORM_WIN32s), L"Win32s oder eine andere Windows-Plattform"},
        /* 3 */ {record(0, 0, 0, kNT), L"Unbekannt"},
        /* 4 */ {record(5, 1, 2600, kNT), L"Windows XP Workstation"},
    };
    expectNames(rows, std::size(rows));
}

TEST_F(ReleaseNames, TextsThatDoNotFitTheirArgumentsAreReplaced) {
    startIn(1033, L"testlang\\convert_badnames", kTextsOnly);
    const NameRow rows[] = {
        /* 0 "NT %s" */ {record(4, 0, 1381, kNT, L"SP6"), L"Windows NT 4.0 (SP6)"},
        /* 1 "%s" reads only the first argument; no text 68 */ {record(5, 0, 2195, kNT, L"SP4"), L"Workstation"},
        /* 2 "XP %d (%s)" */ {record(5, 1, 2600, kNT, L"SP3"), L"Windows XP Workstation (SP3)"},
        /* 3 "%n%s (%s)" */ {record(6, 0, 6002, kNT, L"SP2"), L"Windows Vista or later, Workstation (SP2)"},
        /* 4 a fitting format; a plain text is an argument as it stands */
        {record(5, 2, 3790, kNT, L"SP2", VER_NT_SERVER), L"Server 2003 Srv %s (SP2)"},
        /* 5 plain texts keep their '%' */ {record(3, 10, 0, VER_PLATFORM_WIN32s), L"100% other"},
        /* 6 */ {record(0, 0, 0, kNT), L"Unknown %s"},
        /* 7 no text 56 */ {record(4, 10, 2222, k9x), L"Windows 98 Second Edition"},
    };
    expectNames(rows, std::size(rows));
}

TEST_F(ReleaseNames, BoundedByTheCallersBuffer) {
    startIn(1033, L"lang\\1033", kTextsOnly);
    OSVERSIONINFOEXW xp = record(5, 1, 2600, kNT | ELK_PLATFORM_WIN64, L"SP3");
    // "Windows XP Workstation (SP3)" is 28 characters; " 64-bit" only when all of it fits.
    EXPECT_EQ(osName(&xp, 37), L"Windows XP Workstation (SP3) 64-bit");
    EXPECT_EQ(osName(&xp, 36), L"Windows XP Workstation (SP3)");
    EXPECT_EQ(osName(&xp, 8), L"Windows");
    EXPECT_EQ(osName(&xp, 1), L"");
    OSVERSIONINFOEXW me = record(4, 90, 3000, k9x);
    EXPECT_EQ(osName(&me, 8), L"Windows");

    GuardedText none(0);
    EXPECT_EQ(basCreateOSString(nullptr, none.data(), 0), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(none.untouched());
    EXPECT_EQ(basCreateOSString(nullptr, nullptr, 10), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ReleaseNames, RunningSystem) {
    startIn(1033, L"lang\\1033", kTextsOnly);
    OSVERSIONINFOEXW system = {};
    system.dwOSVersionInfoSize = sizeof system;
    ASSERT_TRUE(GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&system)));
    std::wstring name = osName(nullptr);
    EXPECT_EQ(name, osName(&system));
    EXPECT_EQ(name.rfind(L"Windows", 0), 0u) << name;
}

TEST_F(ReleaseNames, TheModuleLoadedForTheNameIsReleased) {
    startIn(1033, L"lang\\1033", kTextsOnly);
    osName(nullptr);
    std::wstring module = tree.program() + L"\\1033\\Base.dll";
    EXPECT_NE(GetModuleHandleW(module.c_str()), nullptr) << "the library's own copy";
    stop();
    EXPECT_EQ(GetModuleHandleW(module.c_str()), nullptr) << "a reference was left behind";
}

TEST(ReleaseNamesWithoutModule, UseTheBuiltInFormat) {
    // The library is not started: no language module can be loaded.
    OSVERSIONINFOEXW xp = record(5, 1, 2600, kNT, L"Service Pack 3");
    EXPECT_EQ(osName(&xp), L"Windows 5.1 (Service Pack 3)");
    OSVERSIONINFOEXW unknown = record(0, 0, 0, kNT);
    EXPECT_EQ(osName(&unknown), L"Windows 0.0 ()");
}

}  // namespace
