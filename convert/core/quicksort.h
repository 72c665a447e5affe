// Stable quick sort of fixed-size elements with a caller's three-way
// comparison. Each step visits the range in index order, pivot included, and
// asks compare(pivot, element): positive puts the element before the pivot
// (the smaller group), negative after it (the greater group), zero with it
// (the equal group). The groups are written back smaller, equal, greater,
// each in visiting order, which keeps equal elements in their order; the
// equal group is final and the other two are sorted the same way.
//
// The pivot itself always joins the equal group, whatever the comparison
// says of it: a comparison that does not find the pivot equal to itself would
// otherwise leave a step with nothing settled, and the sort would never end.
// For a comparison that does, this changes nothing.
//
// Memory: one scratch block of count + 1 elements for the whole sort. When it
// cannot be had, each step partitions in place by rotations instead: slower,
// but it makes the same calls in the same order and loses no element.
// Depth: the smaller group is sorted by recursion and the larger one by the
// loop, so the stack never holds more than log2(count) steps.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>

namespace elk::sort {

namespace detail {

// Element moves; Fixed is the element size when known at compile time (the
// common 4 and 8 bytes), 0 when only known at run time.
template <size_t Fixed>
struct Elements {
    size_t runtimeSize;

    size_t size() const { return Fixed ? Fixed : runtimeSize; }
    std::byte* at(std::byte* base, size_t i) const { return base + i * size(); }
    void copy(std::byte* to, const std::byte* from) const { std::memcpy(to, from, size()); }
    void copyRun(std::byte* to, const std::byte* from, size_t n) const {
        if (n) std::memcpy(to, from, n * size());
    }
    void swap(std::byte* a, std::byte* b) const {
        std::byte t[64];
        for (size_t done = 0, total = size(); done < total;) {
            size_t part = total - done < sizeof t ? total - done : sizeof t;
            std::memcpy(t, a + done, part);
            std::memcpy(a + done, b + done, part);
            std::memcpy(b + done, t, part);
            done += part;
        }
    }
    void reverse(std::byte* base, size_t first, size_t last) const {
        while (first + 1 < last) swap(at(base, first++), at(base, --last));
    }
    // [first, middle) and [middle, last) change places.
    void rotate(std::byte* base, size_t first, size_t middle, size_t last) const {
        if (first == middle || middle == last) return;
        reverse(base, first, middle);
        reverse(base, middle, last);
        reverse(base, first, last);
    }
};

// Sizes of the smaller and equal groups at the front of a partitioned range;
// the greater group is the rest.
struct Split {
    size_t smaller = 0;
    size_t equal = 0;
};

template <size_t Fixed, class Compare>
class Sorter {
public:
    Sorter(std::byte* data, size_t elementSize, Compare& compare, std::byte* scratch, size_t scratchLast)
        : data_(data), el_{elementSize}, compare_(compare), scratch_(scratch), scratchLast_(scratchLast) {}

    // Sorts [lo, hi).
    void sort(size_t lo, size_t hi) {
        while (hi - lo >= 2) {
            Split s = scratch_ ? partitionByCopy(lo, hi) : partitionInPlace(lo, hi);
            size_t leftEnd = lo + s.smaller;
            size_t rightBegin = leftEnd + s.equal;
            if (leftEnd - lo <= hi - rightBegin) {
                sort(lo, leftEnd);
                lo = rightBegin;
            } else {
                sort(rightBegin, hi);
                hi = leftEnd;
            }
        }
    }

private:
    int classify(const std::byte* pivot, size_t i) { return compare_(pivot, el_.at(data_, i)); }

    // The pivot is copied to scratch[0]. Smaller elements are compacted in
    // place (the write position never passes the read position); greater
    // ones fill the scratch upwards from 1, equal ones downwards from the
    // end, so the two never meet however the range divides.
    Split partitionByCopy(size_t lo, size_t hi) {
        size_t p = lo + (hi - lo) / 2;
        std::byte* pivot = scratch_;
        el_.copy(pivot, el_.at(data_, p));
        size_t smaller = 0, greater = 0, equal = 0;
        for (size_t i = lo; i < hi; ++i) {
            int c = classify(pivot, i);
            if (i == p) c = 0;  // the pivot settles (see the top)
            if (c > 0) {
                if (lo + smaller != i) el_.copy(el_.at(data_, lo + smaller), el_.at(data_, i));
                ++smaller;
            } else if (c < 0) {
                el_.copy(el_.at(scratch_, 1 + greater++), el_.at(data_, i));
            } else {
                el_.copy(el_.at(scratch_, scratchLast_ - equal++), el_.at(data_, i));
            }
        }
        for (size_t k = 0; k < equal; ++k)
            el_.copy(el_.at(data_, lo + smaller + k), el_.at(scratch_, scratchLast_ - k));
        el_.copyRun(el_.at(data_, lo + smaller + equal), el_.at(scratch_, 1), greater);
        return {smaller, equal};
    }

    // Without scratch the pivot stays where it is while the elements on
    // either side are partitioned among themselves (nothing moves across
    // it), then the three parts are merged by rotations.
    Split partitionInPlace(size_t lo, size_t hi) {
        size_t p = lo + (hi - lo) / 2;
        const std::byte* pivot = el_.at(data_, p);
        Split left = partitionSide(pivot, lo, p);
        classify(pivot, p);  // asked like every other element, but it settles
        Split self{0, 1};
        Split right = partitionSide(pivot, p + 1, hi);
        Split both = merge(lo, p, left, self);
        return merge(lo, p + 1, both, right);
    }

    // Stable three-way partition of [a, b) by halves, each element classified
    // once and in index order; recursion depth log2(b - a).
    Split partitionSide(const std::byte* pivot, size_t a, size_t b) {
        if (b - a == 0) return {};
        if (b - a == 1) {
            int c = classify(pivot, a);
            return {c > 0 ? 1u : 0u, c == 0 ? 1u : 0u};
        }
        size_t mid = a + (b - a) / 2;
        Split left = partitionSide(pivot, a, mid);
        Split right = partitionSide(pivot, mid, b);
        return merge(a, mid, left, right);
    }

    // Partitioned neighbours [S1 E1 G1][S2 E2 G2], the first starting at a
    // and the second at mid, become [S1 S2 E1 E2 G1 G2].
    Split merge(size_t a, size_t mid, Split left, Split right) {
        el_.rotate(data_, a + left.smaller, mid, mid + right.smaller);
        size_t g1 = a + left.smaller + right.smaller + left.equal;
        size_t e2 = mid + right.smaller;
        el_.rotate(data_, g1, e2, e2 + right.equal);
        return {left.smaller + right.smaller, left.equal + right.equal};
    }

    std::byte* data_;
    Elements<Fixed> el_;
    Compare& compare_;
    std::byte* scratch_;
    size_t scratchLast_;
};

template <size_t Fixed, class Compare>
void run(std::byte* data, size_t elementSize, size_t count, Compare& compare, std::byte* scratch,
         size_t scratchElements) {
    Sorter<Fixed, Compare> sorter(data, elementSize, compare, scratchElements > count ? scratch : nullptr,
                                  scratchElements ? scratchElements - 1 : 0);
    sorter.sort(0, count);
}

}  // namespace detail

// Sorts the `count` elements of `elementSize` bytes at `data`. compare(pivot,
// element) gets pointers to element bytes; the pivot pointer may point to a
// copy. `scratch` holds `scratchElements` elements; with fewer than count + 1
// (or null) every step partitions in place.
template <class Compare>
void sortWith(void* data, size_t elementSize, size_t count, Compare&& compare, void* scratch,
              size_t scratchElements) {
    if (count < 2 || elementSize == 0) return;
    auto* bytes = static_cast<std::byte*>(data);
    auto* extra = static_cast<std::byte*>(scratch);
    switch (elementSize) {
    case 4: detail::run<4>(bytes, 4, count, compare, extra, scratchElements); break;
    case 8: detail::run<8>(bytes, 8, count, compare, extra, scratchElements); break;
    default: detail::run<0>(bytes, elementSize, count, compare, extra, scratchElements); break;
    }
}

// As sortWith, with scratch for count + 1 elements taken from the heap when it
// can be had.
template <class Compare>
void quickSort(void* data, size_t elementSize, size_t count, Compare&& compare) {
    if (count < 2 || elementSize == 0) return;
    std::unique_ptr<std::byte[]> scratch;
    size_t elements = 0;
    if (count + 1 <= SIZE_MAX / elementSize) {
        scratch.reset(new (std::nothrow) std::byte[(count + 1) * elementSize]);
        if (scratch) elements = count + 1;
    }
    sortWith(data, elementSize, count, compare, scratch.get(), elements);
}

}  // namespace elk::sort
