// decodeStoredText: never writes past the capacity it is given, keeps its
// status and count consistent, and reads back what encodeStoredText wrote.
#include <cstdlib>
#include <vector>

#include "base/core/status.h"
#include "convert/core/stored_text.h"
#include "fuzz/fuzz_text.h"

namespace {

constexpr size_t kGuard = 32;
constexpr char16_t kCanary = 0xA5A5;

void check(bool ok) {
    if (!ok) std::abort();
}

std::u16string terminated(const std::vector<char16_t>& buffer) {
    std::u16string s;
    for (char16_t c : buffer) {
        if (!c) return s;
        s += c;
    }
    std::abort();  // never left unterminated
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const uint32_t capacity = elkfuzz::capacity(data);
    const std::u16string text = elkfuzz::wideText(data + 2, size - 2);

    std::vector<char16_t> out(capacity + kGuard, kCanary);
    uint32_t count = capacity;
    const uint32_t status = elk::decodeStoredText(out.data(), text.c_str(), &count);
    for (size_t i = capacity; i < out.size(); ++i) check(out[i] == kCanary);
    out.resize(capacity);
    switch (status) {
    case elk::kStatusSuccess:
        check(count < capacity || (text.empty() && count == 0));
        // Decoded units may hold a NUL of their own: the terminator is at count.
        if (capacity) check(out[count] == 0);
        break;
    case elk::kStatusInsufficientBuffer:
        check(count > capacity);
        if (capacity) check(out[0] == 0);
        break;
    case elk::kStatusInvalidParameter:
        check(text.size() >= 2 && text[1] == u'?');
        if (capacity) check(out[0] == 0);
        break;
    default:
        std::abort();
    }
    // Without the marker the text stands for itself.
    bool marked = text.size() >= 2 && (text[0] == u'b' || text[0] == u'B') && text[1] == u'?';
    if (status == elk::kStatusSuccess && !marked && capacity) check(terminated(out) == text);

    // Encode-then-decode gives the text back.
    uint32_t codedCount = 0;
    check(elk::encodeStoredText(nullptr, text.c_str(), &codedCount) ==
          (text.empty() ? elk::kStatusSuccess : elk::kStatusInsufficientBuffer));
    std::vector<char16_t> coded(codedCount + 1 + kGuard, kCanary);
    uint32_t codedLength = codedCount + 1;
    check(elk::encodeStoredText(coded.data(), text.c_str(), &codedLength) == elk::kStatusSuccess);
    for (size_t i = codedCount + 1; i < coded.size(); ++i) check(coded[i] == kCanary);
    std::vector<char16_t> back(text.size() + 1 + kGuard, kCanary);
    uint32_t backCount = static_cast<uint32_t>(text.size() + 1);
    check(elk::decodeStoredText(back.data(), coded.data(), &backCount) == elk::kStatusSuccess);
    check(backCount == text.size());
    for (size_t i = text.size() + 1; i < back.size(); ++i) check(back[i] == kCanary);
    back.resize(text.size() + 1);
    check(terminated(back) == text);
    return 0;
}
