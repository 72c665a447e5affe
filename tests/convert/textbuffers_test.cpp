// basChangeSubStr, basGenerateHash128, basAdjustBuffer and basFreeMemArray
// through the DLL.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "include/elkBase.h"
#include "support/guarded.h"

namespace {

TEST(ChangeSubStr, Cases) {
    const struct {
        const wchar_t* text;
        DWORD capacity;
        const wchar_t* find;
        const wchar_t* replacement;
        std::wstring expected;
    } rows[] = {
        /* 0 */ {L"a-b-c", 20, L"-", L"--", L"a" + std::wstring(15, L'-') + L"b-c"},
        /* 1 */ {L"%1 of %2", 20, L"%1", L"10", L"10 of %2"},
        /* 2 grown text would not fit */ {L"%1 of %2", 10, L"%1", L"1000", L"%1 of %2"},
        /* 3 */ {L"xay", 8, L"a", L"ba", L"xbbbbay"},
        /* 4 */ {L"abc", 10, L"b", L"b", L"abc"},
        /* 5 */ {L"abc", 10, L"", L"x", L"abc"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        elktest::GuardedText buffer(rows[i].capacity);
        std::wcscpy(buffer.data(), rows[i].text);
        basChangeSubStr(buffer.data(), rows[i].capacity, rows[i].find, rows[i].replacement);
        EXPECT_EQ(buffer.text(), rows[i].expected) << "row " << i;
        EXPECT_TRUE(buffer.intact()) << "row " << i << " wrote past the capacity";
    }
}

TEST(ChangeSubStr, OddArguments) {
    // The replacement may be the text itself; it is taken as it was before
    // the first change: "ab" grows "aab", "aaab", ... until the buffer is full.
    wchar_t text[32] = L"ab";
    basChangeSubStr(text, 32, L"b", text);
    EXPECT_EQ(std::wstring(text), std::wstring(30, L'a') + L"b");
    std::wcscpy(text, L"one one");
    basChangeSubStr(text, 32, nullptr, L"x");
    basChangeSubStr(text, 32, L"one", nullptr);
    basChangeSubStr(nullptr, 32, L"one", L"x");
    EXPECT_STREQ(text, L"one one");
    // No terminator within the capacity: nothing is searched.
    wchar_t full[4] = {L'a', L'b', L'c', L'd'};
    basChangeSubStr(full, 4, L"b", L"x");
    EXPECT_EQ(std::wstring(full, 4), L"abcd");
}

std::string hex(const BYTE* digest) {
    std::string s;
    char part[3];
    for (int i = 0; i < 16; ++i) {
        std::snprintf(part, sizeof part, "%02x", digest[i]);
        s += part;
    }
    return s;
}

TEST(GenerateHash128, KnownDigests) {
    const std::string million(1000000, 'a');
    const struct {
        const void* data;
        DWORD length;
        const char* md5;
    } rows[] = {
        /* 0 RFC 1321 */ {nullptr, 0, "d41d8cd98f00b204e9800998ecf8427e"},
        /* 1 */ {"", 0, "d41d8cd98f00b204e9800998ecf8427e"},
        /* 2 */ {"abc", 3, "900150983cd24fb0d6963f7d28e17f72"},
        /* 3 */ {"message digest", 14, "f96b697d7cb7938d525a2f31aaf161d0"},
        /* 4 */ {million.data(), 1000000, "7707d6ae4e027c70eea2a935c2296f21"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        elktest::Guarded<BYTE> digest(16);
        EXPECT_EQ(basGenerateHash128(rows[i].data, rows[i].length, digest.data()), 0u) << "row " << i;
        EXPECT_EQ(hex(digest.data()), rows[i].md5) << "row " << i;
        EXPECT_TRUE(digest.intact()) << "row " << i;
    }
}

TEST(GenerateHash128, NullArguments) {
    elktest::Guarded<BYTE> digest(16);
    EXPECT_EQ(basGenerateHash128(nullptr, 5, digest.data()), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(hex(digest.data()), std::string(32, '0')) << "cleared";
    EXPECT_TRUE(digest.intact());
    EXPECT_EQ(basGenerateHash128("abc", 3, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(AdjustBuffer, GrowsNeverShrinks) {
    void* block = nullptr;
    DWORD size = 0;
    ASSERT_EQ(basAdjustBuffer(&block, &size, 200), 0u);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(size, 200u);
    EXPECT_GE(HeapSize(GetProcessHeap(), 0, block), 200u) << "a process-heap block";
    std::memset(block, 0x5A, 200);

    void* first = block;
    ASSERT_EQ(basAdjustBuffer(&block, &size, 100), 0u);
    EXPECT_EQ(block, first);
    EXPECT_EQ(size, 200u);
    EXPECT_EQ(static_cast<BYTE*>(block)[199], 0x5A);

    ASSERT_EQ(basAdjustBuffer(&block, &size, 300), 0u);
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(size, 300u);
    EXPECT_GE(HeapSize(GetProcessHeap(), 0, block), 300u);

    ASSERT_EQ(basAdjustBuffer(&block, &size, 0), 0u);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(size, 0u);
}

TEST(AdjustBuffer, FailureLeavesNoBlock) {
    void* block = nullptr;
    DWORD size = 0;
    ASSERT_EQ(basAdjustBuffer(&block, &size, 16), 0u);
    // Almost 4 GiB: never there in a 32-bit address space; the 64-bit build
    // may be granted it, and then holds a block of that size.
    DWORD rc = basAdjustBuffer(&block, &size, 0xFFFFFFF0u);
    EXPECT_EQ(size, 0xFFFFFFF0u) << "the size already holds the request";
    if (sizeof(void*) == 4 || rc != 0) {
        EXPECT_EQ(rc, static_cast<DWORD>(ERROR_NOT_ENOUGH_MEMORY));
        EXPECT_EQ(block, nullptr);
    } else {
        EXPECT_NE(block, nullptr);
        ASSERT_EQ(basAdjustBuffer(&block, &size, 0), 0u);
    }
    ASSERT_EQ(basAdjustBuffer(&block, &size, 10), 0u) << "the next call allocates again";
    EXPECT_NE(block, nullptr);
    EXPECT_EQ(size, 10u);
    basAdjustBuffer(&block, &size, 0);

    EXPECT_EQ(basAdjustBuffer(nullptr, &size, 10), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basAdjustBuffer(&block, nullptr, 10), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(FreeMemArray, FreesBlocksAndKeepsTheArrayUsable) {
    CMyPtrArray a;
    basFreeMemArray(&a);
    EXPECT_EQ(a.GetSize(), 0u);
    EXPECT_EQ(a.GetArray(), nullptr);

    for (int i = 0; i < 3; ++i) ASSERT_EQ(a.Add(HeapAlloc(GetProcessHeap(), 0, 64)), 0u);
    ASSERT_EQ(a.Add(nullptr), 0u);
    basFreeMemArray(&a);
    EXPECT_EQ(a.GetSize(), 0u);
    EXPECT_EQ(a.GetArray(), nullptr);
    ASSERT_EQ(a.Add(HeapAlloc(GetProcessHeap(), 0, 8)), 0u);
    basFreeMemArray(&a);
    EXPECT_EQ(a.GetSize(), 0u);
    EXPECT_TRUE(HeapValidate(GetProcessHeap(), 0, nullptr));
    basFreeMemArray(nullptr);
}

}  // namespace
