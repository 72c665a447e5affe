#include "convert/core/quicksort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

// Every test runs over both ways of partitioning: with scratch, and in place
// as when the scratch block cannot be had. Both must give the same result
// with the same calls.
enum class Path { Scratch, InPlace };

template <class T, class Cmp>
void sortVector(std::vector<T>& v, Path path, Cmp cmp) {
    auto compare = [&](const std::byte* p, const std::byte* e) {
        T a, b;
        std::memcpy(&a, p, sizeof a);
        std::memcpy(&b, e, sizeof b);
        return cmp(a, b);
    };
    if (path == Path::Scratch) {
        std::vector<T> scratch(v.size() + 1);
        elk::sort::sortWith(v.data(), sizeof(T), v.size(), compare, scratch.data(), scratch.size());
    } else {
        elk::sort::sortWith(v.data(), sizeof(T), v.size(), compare, nullptr, 0);
    }
}

int ascending(uint32_t a, uint32_t b) { return a < b ? -1 : a > b ? 1 : 0; }

struct Call {
    uint32_t a, b;
    bool operator==(const Call&) const = default;
};

class QuickSort : public testing::TestWithParam<Path> {};

TEST_P(QuickSort, ShortRangesMakeNoCall) {
    for (size_t n : {0, 1}) {
        std::vector<uint32_t> v(n, 7);
        int calls = 0;
        sortVector(v, GetParam(), [&](uint32_t, uint32_t) { return ++calls, 1; });
        EXPECT_EQ(calls, 0) << n;
        EXPECT_EQ(v, std::vector<uint32_t>(n, 7));
    }
}

// The pivot is the middle element (of an even count the one towards the end)
// and is always passed first; each step visits the whole range, pivot
// included, in index order.
TEST_P(QuickSort, PivotIsMiddleAndAlwaysFirst) {
    std::vector<uint32_t> v{5, 3, 9, 1};
    std::vector<Call> calls;
    sortVector(v, GetParam(), [&](uint32_t a, uint32_t b) {
        calls.push_back({a, b});
        return ascending(a, b);
    });
    EXPECT_EQ(v, (std::vector<uint32_t>{1, 3, 5, 9}));
    // Then [5 3 1] with pivot 3; the groups left are single elements.
    EXPECT_EQ(calls, (std::vector<Call>{{9, 5}, {9, 3}, {9, 9}, {9, 1}, {3, 5}, {3, 3}, {3, 1}}));
}

TEST_P(QuickSort, EqualElementsTakeOnePass) {
    std::vector<uint32_t> v(9, 4);
    int calls = 0;
    sortVector(v, GetParam(), [&](uint32_t a, uint32_t b) { return ++calls, ascending(a, b); });
    EXPECT_EQ(calls, 9);
}

TEST_P(QuickSort, DirectionFollowsTheComparison) {
    std::vector<uint32_t> up{3, 8, 1, 8, 0, 5}, down = up;
    sortVector(up, GetParam(), [](uint32_t a, uint32_t b) { return int(a) - int(b); });
    sortVector(down, GetParam(), [](uint32_t a, uint32_t b) { return int(b) - int(a); });
    EXPECT_EQ(up, (std::vector<uint32_t>{0, 1, 3, 5, 8, 8}));
    EXPECT_EQ(down, (std::vector<uint32_t>{8, 8, 5, 3, 1, 0}));
}

// A comparison that never finds the pivot equal to itself would leave every
// element in one group for ever; the pivot settles anyway and the sort ends.
TEST_P(QuickSort, ComparisonWithoutEqualEnds) {
    for (int answer : {-1, 1}) {
        std::vector<uint32_t> v(300);
        for (size_t i = 0; i < v.size(); ++i) v[i] = uint32_t(i);
        size_t calls = 0;
        sortVector(v, GetParam(), [&](uint32_t, uint32_t) { return ++calls, answer; });
        EXPECT_EQ(calls, 300u * 301 / 2 - 1) << answer << ": one element settles per step";
        std::sort(v.begin(), v.end());
        for (size_t i = 0; i < v.size(); ++i) ASSERT_EQ(v[i], i) << answer;
    }
}

// Random keys with many repeats, against std::stable_sort, for an element
// size the sort knows (8) and one it does not (12): whole elements move and
// equal keys keep their order.
struct Wide {
    uint32_t key, seq, check;
};

TEST_P(QuickSort, MatchesStableSort) {
    std::mt19937 rng(42);
    for (size_t n : {2, 3, 17, 100, 1000, 5000}) {
        std::vector<uint64_t> narrow(n);
        std::vector<Wide> wide(n);
        for (size_t i = 0; i < n; ++i) {
            uint32_t key = rng() % (n / 3 + 1);
            narrow[i] = (uint64_t{key} << 32) | i;
            wide[i] = {key, uint32_t(i), key ^ uint32_t(i) * 2654435761u};
        }
        auto byKey64 = [](uint64_t a, uint64_t b) { return ascending(uint32_t(a >> 32), uint32_t(b >> 32)); };
        auto byKeyWide = [](const Wide& a, const Wide& b) { return ascending(a.key, b.key); };
        std::vector<uint64_t> expected = narrow;
        std::stable_sort(expected.begin(), expected.end(), [&](auto a, auto b) { return byKey64(a, b) < 0; });
        sortVector(narrow, GetParam(), byKey64);
        EXPECT_EQ(narrow, expected) << n;

        std::vector<Wide> expectedWide = wide;
        std::stable_sort(expectedWide.begin(), expectedWide.end(),
                         [&](const Wide& a, const Wide& b) { return byKeyWide(a, b) < 0; });
        sortVector(wide, GetParam(), byKeyWide);
        for (size_t i = 0; i < n; ++i) {
            EXPECT_EQ(wide[i].seq, expectedWide[i].seq) << n << " at " << i;
            EXPECT_EQ(wide[i].check, wide[i].key ^ wide[i].seq * 2654435761u) << "element torn at " << i;
        }
    }
}

// An input whose middle element is always the smallest: every step splits
// off one element, so a sort that recursed into both groups would go n deep.
std::vector<uint32_t> middleKiller(size_t n) {
    std::vector<size_t> rest(n);
    for (size_t i = 0; i < n; ++i) rest[i] = i;
    std::vector<uint32_t> v(n);
    for (uint32_t level = 0; !rest.empty(); ++level) {
        size_t mid = rest.size() / 2;
        v[rest[mid]] = level;
        rest.erase(rest.begin() + mid);
    }
    return v;
}

TEST_P(QuickSort, StackStaysShallowOnWorstInput) {
    const size_t n = 3000;
    std::vector<uint32_t> v = middleKiller(n);
    uintptr_t high = 0, low = UINTPTR_MAX;
    sortVector(v, GetParam(), [&](uint32_t a, uint32_t b) {
        auto frame = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
        high = std::max(high, frame);
        low = std::min(low, frame);
        return ascending(a, b);
    });
    for (size_t i = 0; i < n; ++i) ASSERT_EQ(v[i], i);
    // n nested steps would take hundreds of KiB.
    EXPECT_LT(high - low, 16u * 1024);
}

INSTANTIATE_TEST_SUITE_P(Paths, QuickSort, testing::Values(Path::Scratch, Path::InPlace),
                         [](const auto& info) { return info.param == Path::Scratch ? "Scratch" : "InPlace"; });

// A comparison that answers at random still loses no element, and both
// paths, asked the same questions in the same order, agree.
TEST(QuickSortPaths, InconsistentComparisonKeepsEveryElement) {
    for (uint32_t seed = 1; seed <= 20; ++seed) {
        std::vector<uint32_t> input(200 + seed * 37);
        for (size_t i = 0; i < input.size(); ++i) input[i] = uint32_t(i);
        std::vector<uint32_t> results[2];
        std::vector<Call> calls[2];
        for (Path path : {Path::Scratch, Path::InPlace}) {
            int k = path == Path::Scratch ? 0 : 1;
            std::mt19937 rng(seed);
            results[k] = input;
            sortVector(results[k], path, [&](uint32_t a, uint32_t b) {
                calls[k].push_back({a, b});
                return int(rng() % 3) - 1;
            });
            std::vector<uint32_t> sorted = results[k];
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(sorted, input) << "seed " << seed << " path " << k;
        }
        EXPECT_EQ(results[0], results[1]) << "seed " << seed;
        EXPECT_TRUE(calls[0] == calls[1]) << "seed " << seed;
    }
}

TEST(QuickSortPaths, AllocatingSortSorts) {
    std::vector<uint32_t> v = middleKiller(500);
    elk::sort::quickSort(v.data(), sizeof(uint32_t), v.size(), [](const std::byte* p, const std::byte* e) {
        uint32_t a, b;
        std::memcpy(&a, p, 4);
        std::memcpy(&b, e, 4);
        return ascending(a, b);
    });
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
}

}  // namespace
