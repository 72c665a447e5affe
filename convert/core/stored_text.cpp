#include "convert/core/stored_text.h"

#include <memory>
#include <new>

#include "convert/core/base64.h"
#include "base/core/status.h"

namespace elk {

namespace {

size_t length(const char16_t* s) {
    size_t n = 0;
    while (s[n]) ++n;
    return n;
}

uint32_t tooSmall(char16_t* out, uint32_t capacity, uint64_t needed, uint32_t* count) {
    if (out && capacity) out[0] = u'\0';
    *count = needed > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(needed);
    return kStatusInsufficientBuffer;
}

}  // namespace

uint32_t encodeStoredText(char16_t* out, const char16_t* text, uint32_t* count) {
    if (!count) return kStatusInvalidParameter;
    const uint32_t capacity = out ? *count : 0;
    if (out && capacity) out[0] = u'\0';
    if (!text || !*text) {
        *count = 0;
        return kStatusSuccess;
    }
    const size_t chars = length(text);
    // Marker, four characters per three bytes, terminator.
    const uint64_t needed = 2 + (2 * uint64_t{chars} + 2) / 3 * 4 + 1;
    // A cut encoding would decode to something else or not at all: refuse it.
    if (needed > capacity) return tooSmall(out, capacity, needed, count);

    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[2 * chars]);
    if (!bytes) return kStatusNoMemory;
    for (size_t i = 0; i < chars; ++i) {
        bytes[2 * i] = static_cast<uint8_t>(text[i]);
        bytes[2 * i + 1] = static_cast<uint8_t>(text[i] >> 8);
    }
    out[0] = u'b';
    out[1] = u'?';
    base64Encode(bytes.get(), 2 * chars, out + 2);
    *count = static_cast<uint32_t>(needed - 1);
    return kStatusSuccess;
}

uint32_t decodeStoredText(char16_t* out, const char16_t* text, uint32_t* count) {
    if (!count) return kStatusInvalidParameter;
    const uint32_t capacity = out ? *count : 0;
    if (out && capacity) out[0] = u'\0';
    if (!text || !*text) {
        *count = 0;
        return kStatusSuccess;
    }
    const bool marked = (text[0] == u'b' || text[0] == u'B') && text[1] == u'?';
    if (!marked) {
        const size_t chars = length(text);
        if (chars >= capacity) return tooSmall(out, capacity, uint64_t{chars} + 1, count);
        for (size_t i = 0; i <= chars; ++i) out[i] = text[i];
        *count = static_cast<uint32_t>(chars);
        return kStatusSuccess;
    }

    // The work buffer is sized by the text, not by the caller's capacity.
    const char16_t* body = text + 2;
    const size_t chars = length(body);
    std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[base64DecodedBound(chars)]);
    if (!bytes) return kStatusNoMemory;
    const Base64Decoded decoded = base64DecodeTo(body, chars, bytes.get());
    const size_t units = decoded.length / 2;
    if (units >= capacity) return tooSmall(out, capacity, uint64_t{units} + 1, count);
    if (decoded.malformed) {
        *count = static_cast<uint32_t>(units);
        return kStatusInvalidParameter;
    }
    for (size_t i = 0; i < units; ++i)
        out[i] = static_cast<char16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
    out[units] = u'\0';
    *count = static_cast<uint32_t>(units);
    return kStatusSuccess;
}

}  // namespace elk
