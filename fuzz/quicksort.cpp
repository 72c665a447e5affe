// The stable quick sort on arrays from the input: the result is sorted, a
// permutation of the input and stable; with a comparison that answers at
// random (from the input) no element is lost. Both partitioning paths run.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "convert/core/quicksort.h"

namespace {

// Element: key in the high half, original position in the low half.
uint32_t keyOf(uint32_t e) { return e >> 16; }

template <class Cmp>
void sortBoth(std::vector<uint32_t>& a, std::vector<uint32_t>& b, Cmp cmp) {
    auto compare = [&](const std::byte* p, const std::byte* e) {
        uint32_t x, y;
        std::memcpy(&x, p, 4);
        std::memcpy(&y, e, 4);
        return cmp(x, y);
    };
    std::vector<uint32_t> scratch(a.size() + 1);
    elk::sort::sortWith(a.data(), 4, a.size(), compare, scratch.data(), scratch.size());
    elk::sort::sortWith(b.data(), 4, b.size(), compare, nullptr, 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    // First byte: the number of distinct keys (few keys, many ties).
    uint32_t keys = data[0] % 16 + 1;
    std::vector<uint32_t> input;
    for (size_t i = 1; i < size && input.size() < 4096; ++i)
        input.push_back(((data[i] % keys) << 16) | uint32_t(input.size()));

    std::vector<uint32_t> a = input, b = input;
    sortBoth(a, b, [](uint32_t x, uint32_t y) { return int(keyOf(x)) - int(keyOf(y)); });
    std::vector<uint32_t> expected = input;
    std::stable_sort(expected.begin(), expected.end(), [](uint32_t x, uint32_t y) { return keyOf(x) < keyOf(y); });
    if (a != expected || b != expected) std::abort();

    // Inconsistent answers drawn from the input: still a permutation, and the
    // in-place path agrees with the scratch path.
    a = input;
    b = input;
    size_t next = 0;
    auto random = [&](uint32_t, uint32_t) { return int(data[next++ % size] % 3) - 1; };
    std::vector<uint32_t> scratch(a.size() + 1);
    auto adapt = [&](const std::byte* p, const std::byte* e) {
        uint32_t x, y;
        std::memcpy(&x, p, 4);
        std::memcpy(&y, e, 4);
        return random(x, y);
    };
    elk::sort::sortWith(a.data(), 4, a.size(), adapt, scratch.data(), scratch.size());
    next = 0;
    elk::sort::sortWith(b.data(), 4, b.size(), adapt, nullptr, 0);
    if (a != b) std::abort();
    std::sort(a.begin(), a.end());
    std::sort(input.begin(), input.end());
    if (a != input) std::abort();
    return 0;
}
