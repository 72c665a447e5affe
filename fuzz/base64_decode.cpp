// base64Decode: never writes past the capacity it is given, agrees with
// itself across capacities, and decodes what base64Encode wrote.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "convert/core/base64.h"
#include "base/core/status.h"
#include "fuzz/fuzz_text.h"

namespace {

constexpr size_t kGuard = 64;
constexpr uint8_t kCanary = 0xA5;

void check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint32_t capacity = elkfuzz::capacity(data);
    const std::u16string text = elkfuzz::wideText(data + 2, size - 2);

    std::vector<uint8_t> small(capacity + kGuard, kCanary);
    uint32_t count = capacity;
    const uint32_t status = elk::base64Decode(text.c_str(), small.data(), &count);
    for (size_t i = capacity; i < small.size(); ++i) check(small[i] == kCanary);

    // With room for any result the same text gives the same answer.
    const size_t ample = elk::base64DecodedBound(text.size());
    std::vector<uint8_t> big(ample + kGuard, kCanary);
    uint32_t bigCount = static_cast<uint32_t>(ample);
    const uint32_t bigStatus = elk::base64Decode(text.c_str(), big.data(), &bigCount);
    for (size_t i = ample; i < big.size(); ++i) check(big[i] == kCanary);
    check(bigStatus == elk::kStatusSuccess || bigStatus == elk::kStatusInvalidParameter);
    check(bigCount <= ample);

    if (status == elk::kStatusInsufficientBuffer) {
        check(count == bigCount && count > capacity);
        for (size_t i = 0; i < capacity; ++i) check(small[i] == kCanary);
    } else {
        check(status == bigStatus && count == bigCount && count <= capacity);
        check(std::memcmp(small.data(), big.data(), count) == 0);
    }

    // Encode-then-decode gives the input back.
    std::vector<char> coded(elk::base64EncodedLength(size) + 1);
    elk::base64Encode(data, size, coded.data());
    std::u16string wide(coded.begin(), coded.end() - 1);
    std::vector<uint8_t> back(size + kGuard, kCanary);
    uint32_t backCount = static_cast<uint32_t>(size);
    check(elk::base64Decode(wide.c_str(), back.data(), &backCount) == elk::kStatusSuccess);
    check(backCount == size && std::memcmp(back.data(), data, size) == 0);
    for (size_t i = size; i < back.size(); ++i) check(back[i] == kCanary);
    return 0;
}
