// basQuickSort and basQuickSortParam through the DLL.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <vector>

#include "include/elkBase.h"

namespace {

std::vector<DWORD> values(const CMyDWORDArray& a) {
    std::vector<DWORD> v;
    for (UINT i = 0; i < a.GetSize(); ++i) v.push_back(a.GetAt(i));
    return v;
}

void fill(CMyDWORDArray& a, const std::vector<DWORD>& v) {
    a.RemoveAll();
    for (DWORD x : v) ASSERT_EQ(a.Add(x), 0u);
}

int WINAPI difference(ULONG_PTR a, ULONG_PTR b) { return static_cast<int>(a) - static_cast<int>(b); }
int WINAPI negatedDifference(ULONG_PTR a, ULONG_PTR b) { return static_cast<int>(b) - static_cast<int>(a); }

// The caller's value of basQuickSortParam points at this log.
struct Log {
    std::vector<std::pair<ULONG_PTR, ULONG_PTR>> calls;
};
int WINAPI logged(ULONG_PTR a, ULONG_PTR b, ULONG_PTR param) {
    reinterpret_cast<Log*>(param)->calls.push_back({a, b});
    return a < b ? -1 : a > b ? 1 : 0;
}

TEST(QuickSort, ShortRangesAreNotTouched) {
    const struct {
        INT first, end;
    } rows[] = {{0, 0}, {0, 1}, {3, 3}, {7, 8}, {5, 4}, {-3, -2}, {100, 100}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        CMyDWORDArray a;
        fill(a, {8, 7, 6, 5, 4, 3, 2, 1});
        Log log;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(basQuickSortParam(&a, rows[i].first, rows[i].end, logged, reinterpret_cast<ULONG_PTR>(&log)), 0u)
            << "row " << i;
        EXPECT_TRUE(log.calls.empty()) << "row " << i;
        EXPECT_EQ(values(a), (std::vector<DWORD>{8, 7, 6, 5, 4, 3, 2, 1})) << "row " << i;
        EXPECT_EQ(GetLastError(), 0xdeadbeefu) << "row " << i;
    }
}

// The pivot is the middle element (the third of four) and is always passed
// as a; the caller's value reaches every call.
TEST(QuickSort, PivotIsPassedFirst) {
    CMyDWORDArray a;
    fill(a, {5, 3, 9, 1});
    Log log;
    ASSERT_EQ(basQuickSortParam(&a, 0, 4, logged, reinterpret_cast<ULONG_PTR>(&log)), 0u);
    EXPECT_EQ(values(a), (std::vector<DWORD>{1, 3, 5, 9}));
    using C = std::pair<ULONG_PTR, ULONG_PTR>;
    EXPECT_EQ(log.calls, (std::vector<C>{{9, 5}, {9, 3}, {9, 9}, {9, 1}, {3, 5}, {3, 3}, {3, 1}}));
}

TEST(QuickSort, EqualElementsTakeOnePass) {
    CMyDWORDArray a;
    fill(a, std::vector<DWORD>(9, 4));
    Log log;
    ASSERT_EQ(basQuickSortParam(&a, 0, 9, logged, reinterpret_cast<ULONG_PTR>(&log)), 0u);
    EXPECT_EQ(log.calls.size(), 9u);
}

TEST(QuickSort, DirectionAndSubrange) {
    CMyDWORDArray a;
    fill(a, {9, 8, 30, 10, 20, 2, 1, 0});
    ASSERT_EQ(basQuickSort(&a, 2, 5, difference), 0u);
    EXPECT_EQ(values(a), (std::vector<DWORD>{9, 8, 10, 20, 30, 2, 1, 0}));
    ASSERT_EQ(basQuickSort(&a, 0, 8, difference), 0u);
    EXPECT_EQ(values(a), (std::vector<DWORD>{0, 1, 2, 8, 9, 10, 20, 30}));
    ASSERT_EQ(basQuickSort(&a, 0, 8, negatedDifference), 0u);
    EXPECT_EQ(values(a), (std::vector<DWORD>{30, 20, 10, 9, 8, 2, 1, 0}));
}

// A range outside the array is refused without a call or a change.
TEST(QuickSort, RangeOutsideTheArrayIsRefused) {
    const struct {
        INT first, end;
    } rows[] = {{-1, 3}, {0, 9}, {6, 9}, {INT_MIN, INT_MAX}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        CMyDWORDArray a;
        fill(a, {8, 7, 6, 5, 4, 3, 2, 1});
        Log log;
        EXPECT_EQ(basQuickSortParam(&a, rows[i].first, rows[i].end, logged, reinterpret_cast<ULONG_PTR>(&log)),
                  static_cast<DWORD>(ERROR_INVALID_PARAMETER))
            << "row " << i;
        EXPECT_TRUE(log.calls.empty()) << "row " << i;
        EXPECT_EQ(values(a), (std::vector<DWORD>{8, 7, 6, 5, 4, 3, 2, 1})) << "row " << i;
    }
    CMyDWORDArray a;
    fill(a, {2, 1});
    EXPECT_EQ(basQuickSort(nullptr, 0, 2, difference), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basQuickSort(&a, 0, 2, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basQuickSortParam(&a, 0, 2, nullptr, 0), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(values(a), (std::vector<DWORD>{2, 1}));
}

// A pointer array sorted by the records' keys: records with equal keys keep
// their order, checked on a large random array against std::stable_sort.
struct Record {
    DWORD key, seq;
};
int WINAPI byKey(ULONG_PTR a, ULONG_PTR b) {
    DWORD x = reinterpret_cast<const Record*>(a)->key, y = reinterpret_cast<const Record*>(b)->key;
    return x < y ? -1 : x > y ? 1 : 0;
}

TEST(QuickSort, PointerArrayIsStable) {
    std::mt19937 rng(7);
    std::vector<Record> records(100000);
    CMyPtrArray a;
    a.SetGrow(4096);
    for (size_t i = 0; i < records.size(); ++i) {
        records[i] = {static_cast<DWORD>(rng() % 1000), static_cast<DWORD>(i)};
        ASSERT_EQ(a.Add(&records[i]), 0u);
    }
    std::vector<Record> expected = records;
    std::stable_sort(expected.begin(), expected.end(), [](const Record& x, const Record& y) { return x.key < y.key; });
    ASSERT_EQ(basQuickSort(&a, 0, static_cast<INT>(a.GetSize()), byKey), 0u);
    ASSERT_EQ(a.GetSize(), records.size());
    for (UINT i = 0; i < a.GetSize(); ++i)
        ASSERT_EQ(static_cast<const Record*>(a.GetAt(i))->seq, expected[i].seq) << "at " << i;
}

// Elements wider than a value move whole; the comparison sees their first
// bytes.
int WINAPI lowWord(ULONG_PTR a, ULONG_PTR b) {
    DWORD x = static_cast<DWORD>(a), y = static_cast<DWORD>(b);
    return x < y ? -1 : x > y ? 1 : 0;
}

TEST(QuickSort, WideElementsMoveWhole) {
    struct Wide {
        DWORD key, payload, check;
    };
    const Wide input[] = {{3, 30, 33}, {1, 10, 11}, {2, 20, 22}, {1, 11, 12}, {0, 0, 0}};
    CMyArray a(sizeof(Wide));
    ASSERT_EQ(a.SetSize(5), 0u);
    std::memcpy(a.GetArray(), input, sizeof input);
    ASSERT_EQ(basQuickSort(&a, 0, 5, lowWord), 0u);
    const Wide expected[] = {{0, 0, 0}, {1, 10, 11}, {1, 11, 12}, {2, 20, 22}, {3, 30, 33}};
    EXPECT_EQ(std::memcmp(a.GetArray(), expected, sizeof expected), 0);
}

// An input whose middle element is always the smallest splits one element
// off per step; a sort that recursed into both groups would nest 5000 deep.
// The comparison watches how far the stack grows below its first call.
std::vector<DWORD> middleKiller(size_t n) {
    std::vector<size_t> rest(n);
    for (size_t i = 0; i < n; ++i) rest[i] = i;
    std::vector<DWORD> v(n);
    for (DWORD level = 0; !rest.empty(); ++level) {
        size_t mid = rest.size() / 2;
        v[rest[mid]] = level;
        rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(mid));
    }
    return v;
}

struct StackWatch {
    ULONG_PTR high = 0, low = ~ULONG_PTR{0};
};
int WINAPI watched(ULONG_PTR a, ULONG_PTR b, ULONG_PTR param) {
    auto* w = reinterpret_cast<StackWatch*>(param);
    auto frame = reinterpret_cast<ULONG_PTR>(__builtin_frame_address(0));
    w->high = std::max(w->high, frame);
    w->low = std::min(w->low, frame);
    return a < b ? -1 : a > b ? 1 : 0;
}

TEST(QuickSort, WorstInputKeepsTheStackShallow) {
    CMyDWORDArray a;
    fill(a, middleKiller(5000));
    StackWatch watch;
    ASSERT_EQ(basQuickSortParam(&a, 0, static_cast<INT>(a.GetSize()), watched, reinterpret_cast<ULONG_PTR>(&watch)), 0u);
    std::vector<DWORD> v = values(a);
    for (size_t i = 0; i < v.size(); ++i) ASSERT_EQ(v[i], i);
    EXPECT_LT(watch.high - watch.low, 16u * 1024);
}

// A comparison that never finds the pivot equal to itself still ends, with
// every element kept.
int WINAPI alwaysBefore(ULONG_PTR, ULONG_PTR) { return 1; }

TEST(QuickSort, ComparisonWithoutEqualEnds) {
    CMyDWORDArray a;
    fill(a, {4, 2, 7, 1, 9, 3});
    ASSERT_EQ(basQuickSort(&a, 0, 6, alwaysBefore), 0u);
    std::vector<DWORD> v = values(a);
    std::sort(v.begin(), v.end());
    EXPECT_EQ(v, (std::vector<DWORD>{1, 2, 3, 4, 7, 9}));
}

}  // namespace
