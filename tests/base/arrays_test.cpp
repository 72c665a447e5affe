// The exported growable arrays.
#include <gtest/gtest.h>

#include <vector>

#include "include/elkBase.h"

namespace {

std::vector<DWORD> values(const CMyDWORDArray& a) {
    std::vector<DWORD> v;
    for (UINT i = 0; i < a.GetSize(); ++i) v.push_back(a.GetAt(i));
    return v;
}

// Capacity is not exposed; a block that moves tells that it was enlarged.
TEST(Arrays, NewArrayIsEmpty) {
    CMyArray a(12);
    EXPECT_EQ(a.GetSize(), 0u);
    EXPECT_EQ(a.GetArray(), nullptr);
    EXPECT_EQ(a.GetGrow(), 1u);
    a.RemoveAll();
    EXPECT_EQ(a.GetArray(), nullptr);
}

TEST(Arrays, GrowStepRoundsTheCapacity) {
    CMyDWORDArray a;
    a.SetGrow(16);
    ASSERT_EQ(a.SetSize(1), 0u);
    void* block = a.GetArray();
    ASSERT_EQ(a.SetSize(16), 0u);
    EXPECT_EQ(a.GetArray(), block) << "16 elements fit the first block of 16";
    for (UINT i = 0; i < 16; ++i) a.SetAt(i, i);
    ASSERT_EQ(a.SetSize(17), 0u);
    void* second = a.GetArray();
    EXPECT_NE(second, block);
    ASSERT_EQ(a.SetSize(3), 0u);
    EXPECT_EQ(a.GetSize(), 3u);
    ASSERT_EQ(a.SetSize(32), 0u);
    EXPECT_EQ(a.GetArray(), second) << "shrinking keeps the block of 32";
    EXPECT_EQ(a.GetAt(15), 15u) << "elements beyond the count keep their bytes";
    a.SetGrow(0);
    EXPECT_EQ(a.GetGrow(), 1u);
    EXPECT_EQ(a.SetSize(33), 0u);
}

TEST(Arrays, TypedEditing) {
    CMyDWORDArray a;
    ASSERT_EQ(a.Add(10), 0u);
    ASSERT_EQ(a.Add(20), 0u);
    ASSERT_EQ(a.InsertAt(0, 5), 0u);
    EXPECT_EQ(values(a), (std::vector<DWORD>{5, 10, 20}));
    a.RemoveAt(0);
    EXPECT_EQ(values(a), (std::vector<DWORD>{10, 20}));
    ASSERT_EQ(a.InsertAt(2, 30), 0u);
    EXPECT_EQ(values(a), (std::vector<DWORD>{10, 20, 30}));
    a.RemoveAt(2);
    ASSERT_EQ(a.SetAtGrow(a.GetSize(), 40), 0u);
    EXPECT_EQ(values(a), (std::vector<DWORD>{10, 20, 40}));
    ASSERT_EQ(a.SetAtGrow(a.GetSize() + 5, 99), 0u);
    EXPECT_EQ(a.GetSize(), 9u);
    EXPECT_EQ(a.GetAt(8), 99u);
    a.SetAt(1, 21);
    EXPECT_EQ(a.GetAt(1), 21u);
    // Indexes past the end are refused rather than moving memory wildly.
    EXPECT_EQ(a.InsertAt(100, 1), static_cast<UINT>(ERROR_INVALID_PARAMETER));
    a.RemoveAt(100);
    EXPECT_EQ(a.GetSize(), 9u);

    CMyPtrArray p;
    int x = 0, y = 0;
    ASSERT_EQ(p.Add(&x), 0u);
    ASSERT_EQ(p.InsertAt(0, &y), 0u);
    EXPECT_EQ(p.GetAt(0), &y);
    EXPECT_EQ(p.GetAt(1), &x);
    p.RemoveAll();
    EXPECT_EQ(p.GetSize(), 0u);
}

TEST(Arrays, CopyIsDeepAndTakesTheElementSize) {
    CMyDWORDArray a;
    for (DWORD v : {1, 2, 3}) a.Add(v);
    CMyArray b(1);
    b.SetGrow(8);
    ASSERT_EQ(b.SetSize(5), 0u);  // 8 one-byte slots: too small for 3 DWORDs
    ASSERT_EQ(a.Copy(&b), 0u);
    EXPECT_EQ(b.GetSize(), 3u);
    EXPECT_NE(b.GetArray(), a.GetArray());
    EXPECT_EQ(*reinterpret_cast<DWORD*>(b.GetAt(2)), 3u);
    *reinterpret_cast<DWORD*>(b.GetAt(0)) = 7;
    EXPECT_EQ(values(a), (std::vector<DWORD>{1, 2, 3})) << "the source must not change";
    EXPECT_EQ(b.GetGrow(), 8u);
    EXPECT_EQ(a.Copy(nullptr), static_cast<UINT>(ERROR_INVALID_PARAMETER));
}

TEST(Arrays, CopiesNeverShareABlock) {
    auto* a = new CMyDWORDArray;
    a->Add(1);
    a->Add(2);
    CMyDWORDArray copy(*a);
    CMyDWORDArray assigned;
    assigned.Add(9);
    assigned = *a;
    assigned = assigned;
    EXPECT_NE(copy.GetArray(), a->GetArray());
    EXPECT_NE(assigned.GetArray(), a->GetArray());
    delete a;  // releasing the original leaves both copies intact
    EXPECT_EQ(values(copy), (std::vector<DWORD>{1, 2}));
    EXPECT_EQ(values(assigned), (std::vector<DWORD>{1, 2}));
    copy.RemoveAll();
    EXPECT_EQ(values(assigned), (std::vector<DWORD>{1, 2}));
}

TEST(Arrays, ImpossibleSizesFailWithoutChange) {
    // Counts beyond 32 bits fail in either build, before any allocation.
    CMyDWORDArray a;
    a.Add(4);
    a.SetGrow(0x80000000u);
    EXPECT_EQ(a.SetSize(0x80000001u), static_cast<UINT>(ERROR_NOT_ENOUGH_MEMORY)) << "capacity 2^32";
    EXPECT_EQ(values(a), (std::vector<DWORD>{4}));
    EXPECT_EQ(a.SetAtGrow(0xFFFFFFFFu, 1), static_cast<UINT>(ERROR_NOT_ENOUGH_MEMORY)) << "count 2^32";
    EXPECT_EQ(values(a), (std::vector<DWORD>{4}));
}

TEST(Arrays, BlocksBeyondTheAddressSpace) {
    CMyDWORDArray a;
    a.Add(4);
    if (sizeof(void*) == 4) {
        // 16 GiB, and 8 GiB through the growth step, cannot be addressed.
        EXPECT_EQ(a.SetSize(0xFFFFFFFFu), static_cast<UINT>(ERROR_NOT_ENOUGH_MEMORY));
        a.SetGrow(0x80000000u);
        EXPECT_EQ(a.SetSize(2), static_cast<UINT>(ERROR_NOT_ENOUGH_MEMORY));
        EXPECT_EQ(values(a), (std::vector<DWORD>{4}));
    } else {
        // The 64-bit build can address 16 GiB: the block is granted or refused
        // for want of memory, and the array stays whole either way.
        UINT rc = a.SetSize(0xFFFFFFFFu);
        if (rc == 0) {
            EXPECT_EQ(a.GetSize(), 0xFFFFFFFFu);
            EXPECT_EQ(a.GetAt(0), 4u);
            a.SetAt(0xFFFFFFFEu, 7);
            EXPECT_EQ(a.GetAt(0xFFFFFFFEu), 7u);
        } else {
            EXPECT_EQ(rc, static_cast<UINT>(ERROR_NOT_ENOUGH_MEMORY));
            EXPECT_EQ(values(a), (std::vector<DWORD>{4}));
        }
    }
}

}  // namespace
