// The OS-layer stand-in: text copies, files, folders, drive roots.
#include "base/suite/ozrCmnOS.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "base/handles.h"
#include "suite/suite_test.h"

using suitetest::TempFolder;

namespace {

struct Copy {
    char* text;
    ~Copy() { dep_strFreeString(text); }
};

}  // namespace

// ---- Text ----------------------------------------------------------------

TEST(OsText, NormalFlagsAvoidLookAlikes) {
    EXPECT_EQ(static_cast<DWORD>(WC_NO_BEST_FIT_CHARS), dep_strUnicodeToNormalFlags(0));
}

TEST(OsText, Utf8Copies) {
    Copy whole{dep_strCurrToNewUtf8(L"Gr\u00fc\u00dfe \u20ac", -1)};
    ASSERT_NE(nullptr, whole.text);
    EXPECT_STREQ(
        "Gr\xc3\xbc\xc3\x9f"
        "e \xe2\x82\xac",
        whole.text);
    Copy part{dep_strCurrToNewUtf8(L"Gr\u00fc\u00dfe", 3)};
    ASSERT_NE(nullptr, part.text);
    EXPECT_STREQ("Gr\xc3\xbc", part.text);
    Copy empty{dep_strCurrToNewUtf8(L"", -1)};
    ASSERT_NE(nullptr, empty.text);
    EXPECT_STREQ("", empty.text);
}

TEST(OsText, NormalCopies) {
    Copy plain{dep_strUnicodeToNewNormal(L"mail.example.org", -1)};
    ASSERT_NE(nullptr, plain.text);
    EXPECT_STREQ("mail.example.org", plain.text);
    if (GetACP() == 1252) {
        Copy special{dep_strUnicodeToNewNormal(L"\u00fc \u221e", -1)};
        ASSERT_NE(nullptr, special.text);
        EXPECT_STREQ("\xfc ?", special.text);
    }
}

TEST(OsText, NullInNullOut) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, dep_strCurrToNewUtf8(nullptr, -1));
    EXPECT_EQ(nullptr, dep_strUnicodeToNewNormal(nullptr, -1));
    dep_strFreeString(nullptr);
    EXPECT_EQ(0xdeadbeefu, GetLastError());
    EXPECT_EQ(nullptr, dep_strCurrToNewUtf8(L"x", -2));
    EXPECT_EQ(87u, GetLastError());
}

// ---- Files -------------------------------------------------------------------

TEST(OsFiles, ModeExistingReadSharesEverything) {
    TempFolder folder;
    std::wstring path = folder / L"sample.bin";
    elk::UniqueFile missing;
    EXPECT_EQ(2u, dep_fsOpenFile(path.c_str(), DEP_OPEN_EXISTING_READ, missing.put(), 0));
    EXPECT_EQ(INVALID_HANDLE_VALUE, missing.get());

    ASSERT_TRUE(suitetest::writeFile(path, "0123456789"));
    elk::UniqueFile f;
    ASSERT_EQ(0u, dep_fsOpenFile(path.c_str(), DEP_OPEN_EXISTING_READ, f.put(), 0));
    // Others may write to it and even delete it while it is open.
    HANDLE writer = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, writer);
    CloseHandle(writer);
    char buffer[4];
    DWORD read = 0;
    EXPECT_EQ(0u, dep_fsReadFile(f.get(), buffer, sizeof(buffer), &read));
    EXPECT_EQ(4u, read);
    EXPECT_EQ(0, memcmp(buffer, "0123", 4));
    // Read-only: it cannot write.
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(f.get(), "x", 1, &written, nullptr));
    EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST(OsFiles, ModeBits) {
    TempFolder folder;
    std::wstring path = folder / L"new.bin";
    // Read and write without sharing, created when missing.
    elk::UniqueFile f;
    ASSERT_EQ(0u, dep_fsOpenFile(path.c_str(), DEP_OPEN_READ | DEP_OPEN_WRITE | DEP_OPEN_CREATE, f.put(), 0));
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(f.get(), "x", 1, &written, nullptr));
    elk::UniqueFile second;
    EXPECT_EQ(32u, dep_fsOpenFile(path.c_str(), DEP_OPEN_EXISTING_READ, second.put(), 0));

    struct Case {
        DWORD mode, reserved;
    } refused[] = {{0, 0}, {DEP_OPEN_SHARE_READ, 0}, {DEP_OPEN_READ | 0x40, 0}, {DEP_OPEN_EXISTING_READ, 1}};
    for (const Case& c : refused) {
        elk::UniqueFile g;
        EXPECT_EQ(87u, dep_fsOpenFile(path.c_str(), c.mode, g.put(), c.reserved)) << "mode " << c.mode;
        EXPECT_EQ(INVALID_HANDLE_VALUE, g.get());
    }
    EXPECT_EQ(87u, dep_fsOpenFile(path.c_str(), DEP_OPEN_EXISTING_READ, nullptr, 0));
}

TEST(OsFiles, ReadRewindAndEnd) {
    TempFolder folder;
    std::wstring path = folder / L"r.bin";
    ASSERT_TRUE(suitetest::writeFile(path, "abcdef"));
    elk::UniqueFile f;
    ASSERT_EQ(0u, dep_fsOpenFileX(path.c_str(), DEP_OPEN_EXISTING_READ, f.put()));
    char buffer[16];
    DWORD read = 0;
    ASSERT_EQ(0u, dep_fsReadFile(f.get(), buffer, sizeof(buffer), &read));
    EXPECT_EQ(6u, read);
    EXPECT_EQ(0u, dep_fsReadFile(f.get(), buffer, sizeof(buffer), &read));
    EXPECT_EQ(0u, read);
    EXPECT_EQ(0u, dep_fsSetFilePointer(f.get(), 0, 0, 0));
    ASSERT_EQ(0u, dep_fsReadFile(f.get(), buffer, 2, &read));
    EXPECT_EQ(0, memcmp(buffer, "ab", 2));
    EXPECT_EQ(0u, dep_fsSetFilePointer(f.get(), -1, -1, FILE_END));
    ASSERT_EQ(0u, dep_fsReadFile(f.get(), buffer, 2, &read));
    EXPECT_EQ(1u, read);
    EXPECT_EQ('f', buffer[0]);
    EXPECT_EQ(87u, dep_fsSetFilePointer(f.get(), 0, 0, 3));
    EXPECT_EQ(87u, dep_fsReadFile(f.get(), buffer, 2, nullptr));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), dep_fsReadFile(INVALID_HANDLE_VALUE, buffer, 2, &read));
}

TEST(OsFiles, SizeIsSixtyFourBit) {
    TempFolder folder;
    std::wstring path = folder / L"big.bin";
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    // Sparse on the host's file system: no 4 GiB are written.
    LARGE_INTEGER end;
    end.QuadPart = 0x100000005LL;
    ASSERT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(0x100000005ULL, dep_fsGetFileSizeHandle(h));
    CloseHandle(h);

    SetLastError(0);
    EXPECT_EQ(DEP_INVALID_SIZE, dep_fsGetFileSizeHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), GetLastError());
}

TEST(OsFiles, InfoGivesTheFileTimes) {
    TempFolder folder;
    std::wstring path = folder / L"t.bin";
    ASSERT_TRUE(suitetest::writeFile(path, "x"));
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    // Distinct times, so that each field shows which one it holds. Not every
    // file system lets the creation time be set; it is compared with what
    // the system reports.
    FILETIME accessed{0x22222200, 0x01C00000}, written{0x33333300, 0x01C00000}, created;
    ASSERT_TRUE(SetFileTime(h, nullptr, &accessed, &written));
    ASSERT_TRUE(GetFileTime(h, &created, nullptr, nullptr));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN));

    DEP_FILE_INFO info;
    ASSERT_EQ(0u, dep_fsGetFileInfoHandle(h, &info));
    auto same = [](const FILETIME& a, const FILETIME& b) {
        return a.dwLowDateTime == b.dwLowDateTime && a.dwHighDateTime == b.dwHighDateTime;
    };
    EXPECT_TRUE(same(created, info.creationTime));
    EXPECT_TRUE(same(accessed, info.lastAccessTime));
    EXPECT_TRUE(same(written, info.lastWriteTime));
    EXPECT_NE(0u, info.changeTime.dwHighDateTime);
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN), info.attributes);
    CloseHandle(h);
    EXPECT_EQ(87u, dep_fsGetFileInfoHandle(INVALID_HANDLE_VALUE, nullptr));
}

TEST(OsFiles, DuplicateSharesTheOpenFile) {
    TempFolder folder;
    std::wstring path = folder / L"d.bin";
    ASSERT_TRUE(suitetest::writeFile(path, "abcd"));
    HANDLE first = INVALID_HANDLE_VALUE, second = INVALID_HANDLE_VALUE;
    ASSERT_EQ(0u, dep_fsOpenFile(path.c_str(), DEP_OPEN_EXISTING_READ, &first, 0));
    ASSERT_EQ(0u, dep_fsDuplicateFile(first, &second));
    EXPECT_NE(first, second);
    char c;
    DWORD read = 0;
    ASSERT_EQ(0u, dep_fsReadFile(first, &c, 1, &read));
    EXPECT_EQ(0u, dep_fsCloseFile(first));
    // The copy goes on where the first left off.
    ASSERT_EQ(0u, dep_fsReadFile(second, &c, 1, &read));
    EXPECT_EQ('b', c);
    EXPECT_EQ(0u, dep_fsCloseFile(second));

    HANDLE none = nullptr;
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), dep_fsDuplicateFile(INVALID_HANDLE_VALUE, &none));
    EXPECT_EQ(INVALID_HANDLE_VALUE, none);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), dep_fsCloseFile(INVALID_HANDLE_VALUE));
}

// ---- Long and raw paths ----------------------------------------------------------

TEST(OsPaths, ExtendedCallsTakePathsBeyondMaxPath) {
    TempFolder folder;
    std::wstring path = folder.path();
    for (int i = 0; path.size() < 300; ++i) {
        path += L"\\level-" + std::wstring(40, static_cast<wchar_t>(L'a' + i));
        ASSERT_EQ(0u, dep_fsCreateFolderX(path.c_str(), 0)) << path.size();
    }
    EXPECT_EQ(183u, dep_fsCreateFolderX(path.c_str(), 0));
    DWORD attributes = 0xFFFFFFFF;
    ASSERT_EQ(0u, dep_fsGetFileAttributesX(path.c_str(), &attributes));
    EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY), attributes & FILE_ATTRIBUTE_DIRECTORY);

    std::wstring file = path + L"\\deep.txt";
    elk::UniqueFile f;
    ASSERT_EQ(0u, dep_fsOpenFileX(file.c_str(), DEP_OPEN_READ | DEP_OPEN_WRITE | DEP_OPEN_CREATE, f.put()));
    ASSERT_EQ(0u, dep_fsOpenFileX(file.c_str(), DEP_OPEN_EXISTING_READ, f.put()));
    f.reset();
    // Ordinary calls stop at MAX_PATH; the recursive removal does not.
    EXPECT_EQ(0u, dep_fsRemoveFolderRecursive((folder / L"level-" + std::wstring(40, L'a')).c_str(), 0, 1, DWORD(-1)));
}

TEST(OsPaths, MissingEntries) {
    TempFolder folder;
    DWORD attributes = 0xFFFFFFFF;
    EXPECT_EQ(2u, dep_fsGetFileAttributesX((folder / L"nothing").c_str(), &attributes));
    EXPECT_EQ(0xFFFFFFFFu, attributes);
    EXPECT_EQ(3u, dep_fsCreateFolderX((folder / L"a\\b").c_str(), 0));
}

TEST(OsPaths, RawPrefixOpensTheNameAsWritten) {
    TempFolder folder;
    // A trailing dot: ordinary paths drop it, raw ones keep it.
    std::wstring dotted = folder / L"sample.";
    elk::UniqueFile f;
    ASSERT_EQ(0u,
              dep_fsOpenFileX((L"*RAW:" + dotted).c_str(), DEP_OPEN_READ | DEP_OPEN_WRITE | DEP_OPEN_CREATE, f.put()));
    EXPECT_EQ(2u, dep_fsOpenFileX(dotted.c_str(), DEP_OPEN_EXISTING_READ, f.put()));
    EXPECT_EQ(0u, dep_fsOpenFileX((L"*RAW:" + dotted).c_str(), DEP_OPEN_EXISTING_READ, f.put()));

    ASSERT_TRUE(suitetest::writeFile(folder / L"plain.txt", "x"));
    EXPECT_EQ(0u, dep_fsOpenFileX((L"*RAW:" + (folder / L"plain.txt")).c_str(), DEP_OPEN_EXISTING_READ, f.put()));
    // ".." is a name of its own in a raw path, not the parent.
    std::wstring viaParent =
        folder / L"..\\" + folder.path().substr(folder.path().find_last_of(L'\\') + 1) + L"\\plain.txt";
    EXPECT_EQ(0u, dep_fsOpenFileX(viaParent.c_str(), DEP_OPEN_EXISTING_READ, f.put()));
    EXPECT_NE(0u, dep_fsOpenFileX((L"*RAW:" + viaParent).c_str(), DEP_OPEN_EXISTING_READ, f.put()));

    for (const wchar_t* relative : {L"*RAW:plain.txt", L"*RAW:C:plain.txt", L"*RAW:\\plain.txt"})
        EXPECT_EQ(161u, dep_fsOpenFileX(relative, DEP_OPEN_EXISTING_READ, f.put())) << relative;
}

// ---- Deletion ----------------------------------------------------------------

TEST(OsDelete, ForceRemovesReadOnlyEntries) {
    TempFolder folder;
    std::wstring file = folder / L"ro.txt";
    ASSERT_TRUE(suitetest::writeFile(file, "x"));
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(5u, dep_fsDeleteFile(file.c_str(), 0));
    EXPECT_TRUE(suitetest::exists(file));
    EXPECT_EQ(0u, dep_fsDeleteFile(file.c_str(), DEP_FORCE));
    EXPECT_FALSE(suitetest::exists(file));
    EXPECT_EQ(2u, dep_fsDeleteFile(file.c_str(), DEP_FORCE));
    EXPECT_EQ(87u, dep_fsDeleteFile(file.c_str(), 2));

    std::wstring sub = folder / L"sub";
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    ASSERT_TRUE(suitetest::writeFile(sub + L"\\x", "x"));
    EXPECT_EQ(145u, dep_fsRemoveFolder(sub.c_str(), DEP_FORCE));
    ASSERT_TRUE(DeleteFileW((sub + L"\\x").c_str()));
    EXPECT_EQ(0u, dep_fsRemoveFolder(sub.c_str(), DEP_FORCE));
    EXPECT_FALSE(suitetest::exists(sub));
}

namespace {

// tree\a.txt, tree\sub\b.txt (read-only), tree\sub\deeper\c.txt
std::wstring makeTree(const TempFolder& folder) {
    std::wstring tree = folder / L"tree";
    CreateDirectoryW(tree.c_str(), nullptr);
    CreateDirectoryW((tree + L"\\sub").c_str(), nullptr);
    CreateDirectoryW((tree + L"\\sub\\deeper").c_str(), nullptr);
    suitetest::writeFile(tree + L"\\a.txt", "a");
    suitetest::writeFile(tree + L"\\sub\\b.txt", "b");
    suitetest::writeFile(tree + L"\\sub\\deeper\\c.txt", "c");
    SetFileAttributesW((tree + L"\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    return tree;
}

}  // namespace

TEST(OsDelete, RecursiveRemovalDepthAndSelf) {
    struct Case {
        DWORD flags, removeSelf, depth, result;
        bool a, b, deeper, tree;  // what is left
    } cases[] = {
        /* 1 */ {DEP_FORCE, 0, 0, 0, false, true, true, true},
        /* 2 */ {DEP_FORCE, 1, 1, 145, false, false, true, true},
        /* 3 */ {DEP_FORCE, 1, DWORD(-1), 0, false, false, false, false},
        /* 4 */ {0, 0, DWORD(-1), 5, false, true, false, true},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        TempFolder folder;
        std::wstring tree = makeTree(folder);
        const Case& c = cases[i];
        EXPECT_EQ(c.result, dep_fsRemoveFolderRecursive(tree.c_str(), c.flags, c.removeSelf, c.depth))
            << "case " << i + 1;
        EXPECT_EQ(c.a, suitetest::exists(tree + L"\\a.txt")) << "case " << i + 1;
        EXPECT_EQ(c.b, suitetest::exists(tree + L"\\sub\\b.txt")) << "case " << i + 1;
        EXPECT_EQ(c.deeper, suitetest::exists(tree + L"\\sub\\deeper\\c.txt")) << "case " << i + 1;
        EXPECT_EQ(c.tree, suitetest::exists(tree)) << "case " << i + 1;
        SetFileAttributesW((tree + L"\\sub\\b.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}

TEST(OsDelete, RecursiveRemovalLeavesLinkTargets) {
    TempFolder folder;
    std::wstring target = folder / L"target";
    std::wstring tree = folder / L"tree";
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(tree.c_str(), nullptr));
    ASSERT_TRUE(suitetest::writeFile(target + L"\\keep.txt", "k"));
    if (!CreateSymbolicLinkW((tree + L"\\link").c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY))
        GTEST_SKIP() << "no folder links here (error " << GetLastError() << ")";
    EXPECT_EQ(0u, dep_fsRemoveFolderRecursive(tree.c_str(), DEP_FORCE, 1, DWORD(-1)));
    EXPECT_FALSE(suitetest::exists(tree));
    EXPECT_TRUE(suitetest::exists(target + L"\\keep.txt"));
}

// Runs `call` with only about 96 KiB of the thread's stack left (Wine gives
// every thread at least 1 MiB, whatever CreateThread is asked for).
template <typename Call>
void withLittleStack(Call call) {
    char here = 0;
    MEMORY_BASIC_INFORMATION region;
    ASSERT_NE(VirtualQuery(&here, &region, sizeof region), 0u);
    size_t room = static_cast<size_t>(&here - static_cast<char*>(region.AllocationBase));
    ASSERT_GT(room, 128u * 1024);
    volatile char* eaten = static_cast<char*>(__builtin_alloca(room - 96 * 1024));
    eaten[0] = 0;
    call();
}

// Three hundred levels with 96 KiB of stack: the walk must not take stack
// per level.
TEST(OsDelete, RecursiveRemovalOfADeepTree) {
    TempFolder folder;
    std::wstring top = folder / L"deep";
    std::wstring path = top;
    ASSERT_EQ(0u, dep_fsCreateFolderX(path.c_str(), 0));
    for (int i = 0; i < 300; ++i) {
        path += L"\\d";
        ASSERT_EQ(0u, dep_fsCreateFolderX(path.c_str(), 0)) << "level " << i;
    }
    DWORD result = 0xFFFFFFFF;
    withLittleStack([&] { result = dep_fsRemoveFolderRecursive(top.c_str(), 0, 1, DWORD(-1)); });
    EXPECT_EQ(result, 0u);
    EXPECT_FALSE(suitetest::exists(top));
}

TEST(OsDelete, RecursiveRemovalRefusals) {
    TempFolder folder;
    ASSERT_TRUE(suitetest::writeFile(folder / L"f", "x"));
    EXPECT_EQ(static_cast<DWORD>(ERROR_DIRECTORY), dep_fsRemoveFolderRecursive((folder / L"f").c_str(), 0, 1, 0));
    EXPECT_EQ(2u, dep_fsRemoveFolderRecursive((folder / L"none").c_str(), 0, 1, 0));
    for (const wchar_t* root : {L"C:\\", L"C:", L"\\\\?\\C:\\"})
        EXPECT_EQ(5u, dep_fsRemoveFolderRecursive(root, 0, 0, 0)) << root;
}

// ---- Drive roots -------------------------------------------------------------------

TEST(OsDriveRoot, Forms) {
    const DWORD fixed = GetDriveTypeW(L"C:\\");
    struct Case {
        const wchar_t* path;
        const wchar_t* root;
        DWORD kind, flags, name, rest;
    } cases[] = {
        /* 1 */ {L"C:\\dir\\f.txt", L"C:\\", fixed, 0, 0, 3},
        /* 2 */ {L"c:/dir/f.txt", L"c:\\", fixed, 0, 0, 3},
        /* 3 */ {L"C:", L"C:\\", fixed, 0, 0, 2},
        /* 4 */ {L"\\\\server\\share\\dir\\f", L"\\\\server\\share\\", DRIVE_REMOTE, DEP_ROOT_SHARE, 0, 15},
        /* 5 */ {L"\\\\server\\share", L"\\\\server\\share\\", DRIVE_REMOTE, DEP_ROOT_SHARE, 0, 14},
        /* 6 */ {L"\\\\?\\C:\\x", L"\\\\?\\C:\\", fixed, DEP_ROOT_LONG, 4, 7},
        /* 7 */
        {L"\\\\?\\UNC\\srv\\sh\\x", L"\\\\?\\UNC\\srv\\sh\\", DRIVE_REMOTE, DEP_ROOT_SHARE | DEP_ROOT_LONG, 0, 15},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        wchar_t root[DEP_ROOT_MAX];
        DWORD info[DEP_DRIVE_INFO_COUNT] = {};
        ASSERT_EQ(0u, dep_fsExtractDriveRoot(cases[i].path, root, info, DEP_DRIVE_INFO_COUNT)) << "case " << i + 1;
        EXPECT_STREQ(cases[i].root, root) << "case " << i + 1;
        EXPECT_EQ(cases[i].kind, info[0]) << "case " << i + 1;
        EXPECT_EQ(cases[i].flags, info[1]) << "case " << i + 1;
        EXPECT_EQ(cases[i].name, info[2]) << "case " << i + 1;
        EXPECT_EQ(cases[i].rest, info[3]) << "case " << i + 1;
    }
}

TEST(OsDriveRoot, RefusalsAndBounds) {
    wchar_t root[DEP_ROOT_MAX];
    DWORD info[DEP_DRIVE_INFO_COUNT];
    for (const wchar_t* path : {L"dir\\x", L"\\dir", L"\\\\server", L"\\\\server\\", L"\\\\.\\C:", L"", L"1:\\x"}) {
        wcscpy(root, L"canary");
        EXPECT_EQ(161u, dep_fsExtractDriveRoot(path, root, info, DEP_DRIVE_INFO_COUNT)) << path;
        EXPECT_STREQ(L"", root) << path;
    }
    std::wstring longShare = L"\\\\" + std::wstring(300, L's') + L"\\share\\x";
    EXPECT_EQ(206u, dep_fsExtractDriveRoot(longShare.c_str(), root, info, DEP_DRIVE_INFO_COUNT));

    // Only the fields asked for are written.
    DWORD two[4] = {0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA};
    ASSERT_EQ(0u, dep_fsExtractDriveRoot(L"\\\\s\\h\\x", root, two, 2));
    EXPECT_EQ(static_cast<DWORD>(DRIVE_REMOTE), two[0]);
    EXPECT_EQ(0xAAAAu, two[2]);
    EXPECT_EQ(0xAAAAu, two[3]);
    EXPECT_EQ(0u, dep_fsExtractDriveRoot(L"C:\\x", root, nullptr, 0));
    EXPECT_EQ(87u, dep_fsExtractDriveRoot(L"C:\\x", root, nullptr, 1));
}

// ---- Platform -----------------------------------------------------------------------

TEST(OsPlatform, Win64MatchesTheNativeProcessor) {
    SYSTEM_INFO native;
    GetNativeSystemInfo(&native);
    bool is64 = native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
                native.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64 ||
                native.wProcessorArchitecture == 12 /* ARM64 */;
    EXPECT_EQ(is64, dep_osIsWin64() != FALSE);
}
