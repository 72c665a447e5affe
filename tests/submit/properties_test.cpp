// basSubmitPropertyArrayToString and basStringToSubmitPropertyArray through
// the DLL; the blocks they return are released here with delete[], as the
// suite's modules do.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "include/elkBase.h"

namespace {

SubmitProperty prop(const wchar_t (&tag)[6], const wchar_t* value) {
    SubmitProperty p{};
    std::memcpy(p.tag, tag, sizeof p.tag);
    p.value = value;
    return p;
}

BYTE* const kCanaryBuffer = reinterpret_cast<BYTE*>(0x1234);
SubmitProperty* const kCanaryRecords = reinterpret_cast<SubmitProperty*>(0x1234);

// The record crosses module boundaries: natural alignment.
TEST(SubmitProperty, RecordLayout) {
    EXPECT_EQ(offsetof(SubmitProperty, value), sizeof(void*) == 4 ? 12u : 16u);
    EXPECT_EQ(sizeof(SubmitProperty), sizeof(void*) == 4 ? 16u : 24u);
}

TEST(SubmitProperty, RoundTrip) {
    const SubmitProperty records[] = {prop(L"FILE\0", L"C:\\Temp\\a.exe"), prop(L"NONE\0", nullptr),
                                      prop(L"EMPT\0", L""), prop(L"ABCDE", L"abc")};
    BYTE* buffer = kCanaryBuffer;
    DWORD size = 0;
    SetLastError(0xdeadbeef);
    ASSERT_EQ(basSubmitPropertyArrayToString(records, 4, &buffer, &size), 0u);
    EXPECT_EQ(GetLastError(), 0xdeadbeefu);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(size, 4u + (14 + 2 * 14) + 14 + (14 + 2) + (14 + 8));

    SubmitProperty* back = kCanaryRecords;
    INT count = -1;
    ASSERT_EQ(basStringToSubmitPropertyArray(buffer, size, &back, &count), 0u);
    ASSERT_EQ(count, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::memcmp(back[i].tag, records[i].tag, sizeof back[i].tag), 0) << i;
        if (records[i].value) {
            ASSERT_NE(back[i].value, nullptr) << i;
            EXPECT_STREQ(back[i].value, records[i].value) << i;
        } else {
            EXPECT_EQ(back[i].value, nullptr) << i;
        }
    }
    // The values point into the buffer.
    buffer[4 + 14] = 'D';
    EXPECT_EQ(back[0].value[0], L'D');

    delete[] back;
    delete[] buffer;
}

TEST(SubmitProperty, EmptyList) {
    SubmitProperty none{};
    BYTE* buffer = kCanaryBuffer;
    DWORD size = 99;
    ASSERT_EQ(basSubmitPropertyArrayToString(&none, 0, &buffer, &size), 0u);
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(std::vector<BYTE>(buffer, buffer + 4), (std::vector<BYTE>{0, 0, 0, 0}));
    SubmitProperty* back = kCanaryRecords;
    INT count = -1;
    EXPECT_EQ(basStringToSubmitPropertyArray(buffer, size, &back, &count), 0u);
    EXPECT_EQ(count, 0);
    EXPECT_NE(back, nullptr);
    delete[] back;
    delete[] buffer;
}

TEST(SubmitProperty, FlattenRefusals) {
    SubmitProperty one = prop(L"NAME\0", L"x");
    BYTE* buffer = kCanaryBuffer;
    DWORD size = 99;
    EXPECT_EQ(basSubmitPropertyArrayToString(nullptr, 0, &buffer, &size), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(buffer, nullptr);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(basSubmitPropertyArrayToString(&one, -1, &buffer, &size), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basSubmitPropertyArrayToString(&one, 1, nullptr, &size), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basSubmitPropertyArrayToString(&one, 1, &buffer, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// Buffers that claim more than they hold are refused with 13 before anything
// is allocated; a null pointer gives 87.
TEST(SubmitProperty, RebuildRefusals) {
    // One record "AAAA" with the value "hi" (3 units).
    const BYTE good[] = {1, 0, 0, 0, 'A', 0, 'A', 0, 'A', 0, 'A', 0, 0, 0, 3, 0, 0, 0, 'h', 0, 'i', 0, 0, 0};
    auto changed = [&](size_t at, BYTE value) {
        std::vector<BYTE> v(good, good + sizeof good);
        v[at] = value;
        return v;
    };
    const struct {
        std::vector<BYTE> bytes;
        DWORD size;
    } rows[] = {
        /* 0 below 4 bytes */ {{0, 0, 0}, 3},
        /* 1 negative count */ {{0xFF, 0xFF, 0xFF, 0xFF}, 4},
        /* 2 count past the size */ {changed(0, 2), sizeof good},
        /* 3 value past the size */ {changed(14, 4), sizeof good},
        /* 4 length near 2^32 */ {changed(17, 0xFF), sizeof good},
        /* 5 size shorter than the record */ {std::vector<BYTE>(good, good + sizeof good), sizeof good - 1},
        /* 6 value without its NUL */ {changed(22, '!'), sizeof good},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SubmitProperty* back = kCanaryRecords;
        INT count = -1;
        EXPECT_EQ(basStringToSubmitPropertyArray(rows[i].bytes.data(), rows[i].size, &back, &count),
                  static_cast<DWORD>(ERROR_INVALID_DATA))
            << "row " << i;
        EXPECT_EQ(back, nullptr) << "row " << i;
        EXPECT_EQ(count, 0) << "row " << i;
    }

    SubmitProperty* back = kCanaryRecords;
    INT count = -1;
    EXPECT_EQ(basStringToSubmitPropertyArray(nullptr, 4, &back, &count), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(back, nullptr);
    EXPECT_EQ(basStringToSubmitPropertyArray(good, sizeof good, nullptr, &count),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basStringToSubmitPropertyArray(good, sizeof good, &back, nullptr),
              static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    ASSERT_EQ(basStringToSubmitPropertyArray(good, sizeof good, &back, &count), 0u);
    EXPECT_EQ(count, 1);
    EXPECT_STREQ(back[0].value, L"hi");
    delete[] back;
}

}  // namespace
