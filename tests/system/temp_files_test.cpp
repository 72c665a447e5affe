// Temporary files, and the cleaning of unpacking leftovers with file times
// set by the test, in a temporary folder of the test's own.
#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "include/elkBase.h"
#include "support/files.h"
#include "support/library.h"

namespace {

// Points TMP at a fresh folder for the test's length; the folder's path ends
// in a backslash, as the system's temporary folder does.
class PrivateTemp : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t old[MAX_PATH];
        DWORD n = GetEnvironmentVariableW(L"TMP", old, MAX_PATH);
        if (n > 0 && n < MAX_PATH) saved_ = old;
        SetEnvironmentVariableW(L"TMP", folder_.path().c_str());
    }
    void TearDown() override { SetEnvironmentVariableW(L"TMP", saved_ ? saved_->c_str() : nullptr); }
    std::wstring path(const std::wstring& name) const { return folder_ / name; }

private:
    elktest::TempFolder folder_{L"elk-temp"};
    std::optional<std::wstring> saved_;
};

// Sets creation, last-access and last-write time of a file or folder to
// `hoursAgo` hours before now.
void age(const std::wstring& path, double hoursAgo) {
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << elktest::utf8(path);
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
    t.QuadPart -= static_cast<ULONGLONG>(hoursAgo * 36000000000.0);
    FILETIME then{t.LowPart, t.HighPart};
    EXPECT_TRUE(SetFileTime(h, &then, &then, &then)) << elktest::utf8(path);
    CloseHandle(h);
}

void makeFile(const std::wstring& path, double hoursAgo) {
    ASSERT_TRUE(elktest::writeFile(path, "x"));
    age(path, hoursAgo);
}

void makeFolder(const std::wstring& path, double hoursAgo) {
    ASSERT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << elktest::utf8(path);
    age(path, hoursAgo);
}

using TempFiles = PrivateTemp;
using TempCleaning = PrivateTemp;

TEST_F(TempFiles, UniqueFilesInTheTemporaryFolder) {
    wchar_t first[MAX_PATH], second[MAX_PATH];
    UINT a = basGetTempFile(first, 0), b = basGetTempFile(second, 12345);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    for (const wchar_t* name : {first, second}) {
        std::wstring text = name;
        EXPECT_EQ(text.rfind(path(L"ozr"), 0), 0u) << elktest::utf8(text);
        EXPECT_EQ(text.substr(text.size() - 4), L".tmp");
        EXPECT_EQ(elktest::readFile(text), "") << "created empty";
        EXPECT_TRUE(elktest::exists(text));
    }

    wchar_t opened[MAX_PATH];
    HANDLE file = basCreateTempFile(opened, 0);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, "abc", 3, &written, nullptr));
    EXPECT_EQ(elktest::readAll(file), "abc") << "opened for reading and writing";
    // Shared for reading only.
    HANDLE writer = CreateFileW(opened, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                nullptr);
    EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
    if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
    EXPECT_EQ(elktest::readFile(opened), "abc");
    CloseHandle(file);

    SetEnvironmentVariableW(L"TMP", path(L"missing").c_str());
    wchar_t none[MAX_PATH] = L"canary";
    EXPECT_EQ(basGetTempFile(none, 0), 0u);
    EXPECT_STREQ(none, L"");
    EXPECT_EQ(basCreateTempFile(none, 0), INVALID_HANDLE_VALUE);
}

// Old entries go by name: files and folders, in both modes.
TEST_F(TempCleaning, OnlyLeftoverNamesOlderThanTheAge) {
    for (BOOLEAN recursive : {BOOLEAN(FALSE), BOOLEAN(TRUE)}) {
        SCOPED_TRACE(recursive ? "recursive" : "not recursive");
        const struct {
            const wchar_t* name;
            bool folder;
            double hoursAgo;
            bool removed;
        } rows[] = {
            /* 0 */ {L"unp123.tmp", false, 5, true},  /* 1 */ {L"UNP7", false, 5, true},
            /* 2 */ {L"unp", true, 5, true},          /* 3 */ {L"unp12a.tmp", false, 5, false},
            /* 4 */ {L"unpack.tmp", false, 5, false}, /* 5 */ {L"unp44.tmp", false, 1, false},
            /* 6 */ {L"unp45", true, 1, false},       /* 7 */ {L"ozr1.tmp", false, 5, false},
            /* 8 */ {L"Unp0099.TMP", true, 3, true},
        };
        for (const auto& row : rows) (row.folder ? makeFolder : makeFile)(path(row.name), row.hoursAgo);
        EXPECT_EQ(basEmptyTarvoTempFolder(2, recursive), 1);
        for (size_t i = 0; i < std::size(rows); ++i) {
            EXPECT_EQ(elktest::exists(path(rows[i].name)), !rows[i].removed) << "row " << i;
            elktest::removeTree(path(rows[i].name));
            DeleteFileW(path(rows[i].name).c_str());
        }
    }
}

// Only the low byte of the recursive switch counts; an age of 0 takes every
// leftover made before the call.
TEST_F(TempCleaning, RecursiveRemovesFullFolders) {
    const std::wstring full = path(L"unp5");
    makeFile(full + L"\\inner\\file.bin", 5);
    age(full + L"\\inner", 5);
    age(full, 5);
    EXPECT_EQ(basEmptyTarvoTempFolder(0, static_cast<BOOLEAN>(0x00)), -1) << "a full folder stays without recursion";
    EXPECT_TRUE(elktest::exists(full + L"\\inner\\file.bin"));
    age(full, 5);
    using Cleaner = int(WINAPI*)(DWORD, DWORD);
    auto cleanWide = reinterpret_cast<Cleaner>(reinterpret_cast<void (*)()>(basEmptyTarvoTempFolder));
    EXPECT_EQ(cleanWide(0, 0x100), -1) << "only the low byte is the switch";
    EXPECT_TRUE(elktest::exists(full));
    age(full, 5);
    EXPECT_EQ(cleanWide(0, 0x101), 1);
    EXPECT_FALSE(elktest::exists(full));
}

TEST_F(TempCleaning, FailedRemovalGoesOnAndGivesMinusOne) {
    makeFile(path(L"unp1.tmp"), 5);
    makeFile(path(L"unp2.tmp"), 5);
    makeFile(path(L"unp3.tmp"), 5);
    // Held open without sharing deletion, one file cannot go.
    HANDLE held = CreateFileW(path(L"unp2.tmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(basEmptyTarvoTempFolder(1, TRUE), -1);
    EXPECT_FALSE(elktest::exists(path(L"unp1.tmp")));
    EXPECT_TRUE(elktest::exists(path(L"unp2.tmp")));
    EXPECT_FALSE(elktest::exists(path(L"unp3.tmp")));
    CloseHandle(held);
    EXPECT_EQ(basEmptyTarvoTempFolder(1, TRUE), 1);
    EXPECT_FALSE(elktest::exists(path(L"unp2.tmp")));
    // Nothing to clean, and an age beyond any file time.
    EXPECT_EQ(basEmptyTarvoTempFolder(1, TRUE), 1);
    makeFile(path(L"unp4"), 5);
    EXPECT_EQ(basEmptyTarvoTempFolder(0xFFFFFFFF, TRUE), 1);
    EXPECT_TRUE(elktest::exists(path(L"unp4")));
}

class MoveFolder : public elktest::LibraryTest {
protected:
    void TearDown() override {
        basDeleteValue(HKEY_LOCAL_MACHINE, L"MovedFolder");
        LibraryTest::TearDown();
    }
};

TEST_F(MoveFolder, FromTheRegistryElseInTheDataFolder) {
    start();
    basDeleteValue(HKEY_LOCAL_MACHINE, L"MovedFolder");
    wchar_t* folder = basGetMoveFolder();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(std::wstring(folder), tree.data() + L"\\moved");
    basFreeMoveFolder(folder);

    const std::wstring stored = L"D:\\Quarantine\\" + std::wstring(300, L'q');
    ASSERT_EQ(basStoreStringValue(HKEY_LOCAL_MACHINE, L"MovedFolder", stored.c_str()), 0u);
    folder = basGetMoveFolder();
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(std::wstring(folder), stored);
    basFreeMoveFolder(folder);
    basFreeMoveFolder(nullptr);
}

}  // namespace
