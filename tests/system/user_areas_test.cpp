// Network names of mapped drives in lists of paths.
#include <windows.h>
#include <winnetwk.h>

#include <gtest/gtest.h>

#include <string>

#include "include/elkBase.h"
#include "support/files.h"

namespace {

// What basExpandUserAreas handed out, released through it again.
struct Expanded {
    DWORD rc = 0xdeadbeef;
    bool text = false;
    std::wstring value;
};

Expanded expand(const wchar_t* list, DWORD flags) {
    Expanded out;
    wchar_t* result = reinterpret_cast<wchar_t*>(1);
    out.rc = basExpandUserAreas(list, &result, flags);
    if (result) {
        out.text = true;
        out.value = result;
        EXPECT_EQ(basExpandUserAreas(nullptr, &result, ELK_AREAS_RELEASE), 0u);
        EXPECT_EQ(result, nullptr);
    }
    return out;
}

TEST(UserAreas, ReleaseMode) {
    EXPECT_EQ(basExpandUserAreas(L"C:\\x", nullptr, ELK_AREAS_RELEASE), static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
    wchar_t* none = nullptr;
    EXPECT_EQ(basExpandUserAreas(nullptr, &none, ELK_AREAS_RELEASE | ELK_AREAS_ONLY_CHANGED), 0u);
    EXPECT_EQ(none, nullptr);
}

TEST(UserAreas, ListsWithoutMappedDrivesStayAsTheyAre) {
    const wchar_t* lists[] = {
        /* 0 */ L"C:\\Users\\Public\\Documents",
        /* 1 */ L"\"C:\\a b\";\"D:\\c\";E:\\rest of; the list",
        /* 2 */ L"\"C:\\open quote",
        /* 3 */ L"\\\\server\\share\\folder",
        /* 4 */ L"\"\\\\server\\share\";\"relative\\path\";\"\"",
        /* 5 */ L"",
        /* 6 */ L"\"C:\\x\";;\"D:\\y\"",
    };
    for (size_t i = 0; i < std::size(lists); ++i) {
        Expanded all = expand(lists[i], 0);
        EXPECT_EQ(all.rc, 0u) << "row " << i;
        EXPECT_TRUE(all.text) << "row " << i;
        EXPECT_EQ(all.value, lists[i]) << "row " << i;

        Expanded changed = expand(lists[i], ELK_AREAS_ONLY_CHANGED);
        EXPECT_EQ(changed.rc, 0u) << "row " << i;
        EXPECT_FALSE(changed.text) << "row " << i;
    }
    EXPECT_EQ(expand(nullptr, 0).rc, static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
    EXPECT_EQ(basExpandUserAreas(L"C:\\x", nullptr, 0), static_cast<DWORD>(ERROR_BAD_ARGUMENTS));
}

// A drive mapped to a share, where the system lets the test map one.
TEST(UserAreas, MappedDriveGetsItsNetworkName) {
    wchar_t share[] = L"\\\\127.0.0.1\\C$";
    const wchar_t* letter = nullptr;
    for (const wchar_t* candidate : {L"R:", L"S:", L"T:", L"U:"}) {
        if (GetDriveTypeW((std::wstring(candidate) + L"\\").c_str()) != DRIVE_NO_ROOT_DIR) continue;
        NETRESOURCEW resource = {};
        resource.dwType = RESOURCETYPE_DISK;
        resource.lpLocalName = const_cast<wchar_t*>(candidate);
        resource.lpRemoteName = share;
        DWORD rc = WNetAddConnection2W(&resource, nullptr, nullptr, 0);
        if (rc != NO_ERROR) GTEST_SKIP() << "the system maps no network drive here (WNetAddConnection2W: " << rc << ")";
        letter = candidate;
        break;
    }
    if (!letter) GTEST_SKIP() << "no free drive letter";
    const std::wstring drive = letter;
    const std::wstring list = L"\"" + drive + L"\\Users\";\"C:\\local\";" + drive + L"\\a b\\c";
    Expanded out = expand(list.c_str(), ELK_AREAS_ONLY_CHANGED);
    WNetCancelConnection2W(letter, 0, TRUE);
    EXPECT_EQ(out.rc, 0u);
    EXPECT_EQ(out.value, L"\"" + std::wstring(share) + L"\\Users\";\"C:\\local\";" + share + L"\\a b\\c");
}

}  // namespace
