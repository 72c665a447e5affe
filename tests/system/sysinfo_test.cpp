// System and session queries: the system version as Wine reports it per
// program, the network user, memory, colours and the browser component.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/handles.h"
#include "include/elkBase.h"
#include "support/files.h"
#include "support/install_tree.h"
#include "support/library.h"
#include "support/winversion.h"
#include "system/at_once.h"

namespace {

constexpr bool k64 = sizeof(void*) == 8;

struct SystemRow {
    const wchar_t* version;
    DWORD osClass, major, minor;
};

class SystemVersion : public elktest::LibraryTest, public ::testing::WithParamInterface<SystemRow> {};

// 64-bit Wine knows XP only as the 64-bit edition, NT 5.2.
const SystemRow kSystems[] = {
    {L"win2k", ELK_OS_NT50, 5, 0},
    {k64 ? L"winxp64" : L"winxp", k64 ? ELK_OS_NT52 : ELK_OS_NT51, 5, k64 ? 2u : 1u},
    {L"win7", ELK_OS_NT6, 6, 1},
    // Without a manifest that claims it, a program is told 6.2 from Windows 8.1 on.
    {L"win10", ELK_OS_NT6, 6, 2},
    {L"win98", ELK_OS_98, 4, 10},
};

TEST_P(SystemVersion, ClassAndVersion) {
    const SystemRow& row = GetParam();
    if (!elktest::inWindowsVersion(row.version)) return;
    start();
    const DWORD classes[] = {ELK_OS_NT4, ELK_OS_NT50, ELK_OS_NT51, ELK_OS_95, ELK_OS_95OSR2,
                             ELK_OS_98,  ELK_OS_ME,   ELK_OS_NT52, ELK_OS_NT6};
    for (DWORD bit : classes) EXPECT_EQ(basIsOS(bit) != FALSE, bit == row.osClass) << std::hex << bit;
    EXPECT_TRUE(basIsOS(0x1FF));
    EXPECT_FALSE(basIsOS(~row.osClass));

    OSVERSIONINFOEXW info;
    memset(&info, 0xcc, sizeof(info));
    ASSERT_EQ(basGetOSVersion(&info), 0u);
    EXPECT_EQ(info.dwOSVersionInfoSize, 284u);
    EXPECT_EQ(info.dwMajorVersion, row.major);
    EXPECT_EQ(info.dwMinorVersion, row.minor);
    EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(row.osClass == ELK_OS_98 ? VER_PLATFORM_WIN32_WINDOWS
                                                                              : VER_PLATFORM_WIN32_NT));
    EXPECT_LT(wcsnlen(info.szCSDVersion, 128), 128u) << "terminated";
}

INSTANTIATE_TEST_SUITE_P(Wine, SystemVersion, ::testing::ValuesIn(kSystems),
                         [](const auto& info) { return elktest::utf8(info.param.version); });

TEST(SystemVersionRecord, NullRecord) { EXPECT_EQ(basGetOSVersion(nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER)); }

std::wstring userName() {
    wchar_t name[256];
    DWORD size = ARRAYSIZE(name);
    EXPECT_TRUE(GetUserNameW(name, &size));
    return name;
}

std::wstring computerName() {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = ARRAYSIZE(name);
    EXPECT_TRUE(GetComputerNameW(name, &size));
    return name;
}

class NetUser : public elktest::LibraryTest {};

// A local account: its domain is the computer.
TEST_F(NetUser, AccountOfTheProcess) {
    start();
    EXPECT_STREQ(basGetNetDomain(), L"") << "empty before the first call";
    const wchar_t* user = basGetNetUser();
    EXPECT_EQ(user, basGetNetUser()) << "the state string itself";
    EXPECT_EQ(std::wstring(user), userName());
    EXPECT_EQ(_wcsicmp(basGetNetDomain(), computerName().c_str()), 0) << elktest::utf8(basGetNetDomain());
}

TEST_F(NetUser, EmptiedByEachStartUp) {
    start();
    ASSERT_NE(basGetNetUser()[0], L'\0');
    stop();
    start();
    EXPECT_STREQ(basGetNetDomain(), L"");
    EXPECT_EQ(std::wstring(basGetNetUser()), userName());
}

// Several threads make the first call of a start-up at once: each sees the
// whole name, never a part of it.
TEST_F(NetUser, ConcurrentFirstCalls) {
    const std::wstring expectedUser = userName(), expectedDomain = computerName();
    for (int round = 0; round < 20; ++round) {
        start();
        constexpr int kThreads = 8;
        std::vector<std::wstring> users(kThreads), domains(kThreads);
        elktest::atOnce(kThreads, [&](int t) {
            users[t] = basGetNetUser();
            domains[t] = basGetNetDomain();
        });
        for (int t = 0; t < kThreads; ++t) {
            EXPECT_EQ(users[t], expectedUser) << "round " << round << " thread " << t;
            // The domain is in place before the user is handed out.
            EXPECT_EQ(_wcsicmp(domains[t].c_str(), expectedDomain.c_str()), 0) << "round " << round << " thread " << t;
        }
        stop();
    }
}

// The 9x network client's names in the registry, run as Windows 98.
TEST_F(NetUser, RegistryOn9x) {
    if (!elktest::inWindowsVersion(L"win98")) return;
    const wchar_t* userKey = L"System\\CurrentControlSet\\Control";
    const wchar_t* groupKey = L"System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
    const std::wstring user49(49, L'u'), group19(19, L'g'), user50(50, L'u'), group20(20, L'g');
    const struct {
        const wchar_t *user, *group;  // null: no value
        const wchar_t *netUser, *netDomain;
    } rows[] = {
        /* 0 */ {L"alice", L"HOMEGROUP", L"alice", L"HOMEGROUP"},
        /* 1 */ {nullptr, nullptr, L".Default", L".Default"},
        /* 2 */ {L"", L"", L".Default", L".Default"},
        /* 3 */ {user49.c_str(), group19.c_str(), user49.c_str(), group19.c_str()},
        // Names that do not fit are not cut.
        /* 4 */ {user50.c_str(), group20.c_str(), L".Default", L".Default"},
    };
    auto set = [](const wchar_t* key, const wchar_t* name, const wchar_t* value) {
        elk::UniqueKey opened;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.put(),
                                  nullptr),
                  0);
        if (!value) {
            RegDeleteValueW(opened.get(), name);
            return;
        }
        ASSERT_EQ(RegSetValueExW(opened.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                                 static_cast<DWORD>((wcslen(value) + 1) * sizeof(wchar_t))),
                  0);
    };
    elk::ScopeExit clean([&] {
        set(userKey, L"Current User", nullptr);
        set(groupKey, L"Workgroup", nullptr);
    });
    for (size_t i = 0; i < std::size(rows); ++i) {
        set(userKey, L"Current User", rows[i].user);
        set(groupKey, L"Workgroup", rows[i].group);
        start();
        ASSERT_TRUE(basIsOS(ELK_OS_98));
        EXPECT_STREQ(basGetNetUser(), rows[i].netUser) << "row " << i;
        EXPECT_STREQ(basGetNetDomain(), rows[i].netDomain) << "row " << i;
        stop();
    }
}

TEST(Memory, MatchesTheSystem) {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    ASSERT_TRUE(GlobalMemoryStatusEx(&status));
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    ULONG_PTR span = reinterpret_cast<ULONG_PTR>(system.lpMaximumApplicationAddress) -
                     reinterpret_cast<ULONG_PTR>(system.lpMinimumApplicationAddress);

    ULONGLONG total = 0xdeadbeef;
    DWORD addressSpace = 0xdeadbeef;
    ULONGLONG available = basGetPhysMemoryStatus(&total, &addressSpace);
    EXPECT_EQ(total, status.ullTotalPhys);
    EXPECT_GT(available, 0u);
    EXPECT_LE(available, total);
    EXPECT_EQ(addressSpace, k64 ? 0xFFFFFFFFu : static_cast<DWORD>(span));
    EXPECT_GT(basGetPhysMemoryStatus(nullptr, nullptr), 0u);
}

TEST(Colours, MoreThan8BitsPerPixel) {
    elk::UniqueScreenDc screen(GetDC(nullptr));
    ASSERT_TRUE(screen);
    int bits = GetDeviceCaps(screen.get(), BITSPIXEL);
    EXPECT_EQ(basIsEnoughColors() != FALSE, bits > 8) << bits << " bits per pixel";
}

std::wstring systemBrowser() {
    wchar_t folder[MAX_PATH];
    EXPECT_NE(GetSystemDirectoryW(folder, MAX_PATH), 0u);
    return std::wstring(folder) + L"\\shdocvw.dll";
}

// Wine's own component: its revision is not 0, and the query drops it.
TEST(BrowserVersion, RevisionDropped) {
    DWORD fileHigh = 0, fileLow = 0;
    ASSERT_EQ(basGetFileVersion(systemBrowser().c_str(), &fileHigh, &fileLow), 0u);
    ASSERT_NE(fileLow & 0xFFFF, 0u);
    DWORD high = 0xdeadbeef, low = 0xdeadbeef;
    EXPECT_EQ(basGetIeVersion(&high, &low), 0u);
    EXPECT_EQ(high, fileHigh);
    EXPECT_EQ(low, fileLow & 0xFFFF0000);
    EXPECT_EQ(basGetIeVersion(&high, nullptr), 0u);
    EXPECT_EQ(basGetIeVersion(nullptr, nullptr), 0u);
}

// The build's 6.0.2900.5512 in place of the system's component, read as a
// file of its own (WINEDLLOVERRIDES=shdocvw=n for this process); the
// system's file comes back afterwards.
TEST(PlacedBrowser, VersionWithoutRevision) {
    const std::wstring target = systemBrowser(), saved = elktest::tempName(L"shdocvw-saved");
    ASSERT_TRUE(CopyFileW(target.c_str(), saved.c_str(), FALSE)) << GetLastError();
    elk::ScopeExit restore([&] {
        EXPECT_TRUE(CopyFileW(saved.c_str(), target.c_str(), FALSE)) << GetLastError();
        DeleteFileW(saved.c_str());
    });
    ASSERT_TRUE(CopyFileW((elktest::binFolder() + L"\\versioned\\browser.dll").c_str(), target.c_str(), FALSE))
        << GetLastError();
    DWORD fileHigh = 0, fileLow = 0;
    ASSERT_EQ(basGetFileVersion(target.c_str(), &fileHigh, &fileLow), 0u);
    ASSERT_EQ(fileLow, (2900u << 16) | 5512u) << "the system's own file was read";
    DWORD high = 0, low = 0xdeadbeef;
    EXPECT_EQ(basGetIeVersion(&high, &low), 0u);
    EXPECT_EQ(high, 0x00060000u);
    EXPECT_EQ(low, 2900u << 16);
}

}  // namespace
