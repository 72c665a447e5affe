#include "convert/core/base64.h"

#include <array>
#include <bit>
#include <cstring>
#include <memory>
#include <new>

#include "base/core/status.h"

namespace elk {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// Two output characters per 12 bits of input: half the lookups of a
// character-at-a-time coder.
constexpr std::array<char, 2 * 4096> kPairs = [] {
    std::array<char, 2 * 4096> t{};
    for (int i = 0; i < 4096; ++i) {
        t[2 * i] = kAlphabet[i >> 6];
        t[2 * i + 1] = kAlphabet[i & 63];
    }
    return t;
}();

// Decoding: each character's 6 bits already shifted to their place in the
// 24-bit group, so a group is four lookups OR-ed together. A character outside
// the alphabet sets the top byte, which no valid group has.
constexpr uint32_t kBad = 0xFF000000u;
struct DecodeTables {
    uint32_t shifted[4][256];
    int8_t value[256];
};
constexpr DecodeTables kDecode = [] {
    DecodeTables t{};
    for (int c = 0; c < 256; ++c) {
        t.value[c] = -1;
        for (int k = 0; k < 4; ++k) t.shifted[k][c] = kBad;
    }
    for (int v = 0; v < 64; ++v) {
        auto c = static_cast<unsigned char>(kAlphabet[v]);
        t.value[c] = static_cast<int8_t>(v);
        for (int k = 0; k < 4; ++k) t.shifted[k][c] = static_cast<uint32_t>(v) << (18 - 6 * k);
    }
    return t;
}();

inline void storeBigEndian64(uint8_t* o, uint64_t v) {
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap64(v);
    std::memcpy(o, &v, 8);
}

inline void storeBigEndian32(uint8_t* o, uint32_t v) {
    if constexpr (std::endian::native == std::endian::little) v = __builtin_bswap32(v);
    std::memcpy(o, &v, 4);
}

// The first low byte of the characters at p; the next ones follow every two bytes.
inline const unsigned char* lowBytes(const char16_t* p) {
    const unsigned char* low = reinterpret_cast<const unsigned char*>(p) + (std::endian::native == std::endian::little ? 0 : 1);
#if defined(__GNUC__)
    // Keeps the compiler from deriving these bytes from the 64-bit words the
    // caller has loaded: separate byte loads are cheaper than shifts and masks.
    asm("" : "+r"(low));
#endif
    return low;
}

inline void putGroup(uint8_t* o, uint32_t group) {
    o[0] = static_cast<uint8_t>(group >> 16);
    o[1] = static_cast<uint8_t>(group >> 8);
    o[2] = static_cast<uint8_t>(group);
}

// Four characters per step, each tested in turn: never reads past the terminator.
size_t length(const char16_t* s) {
    size_t n = 0;
    for (;; n += 4) {
        if (!s[n]) return n;
        if (!s[n + 1]) return n + 1;
        if (!s[n + 2]) return n + 2;
        if (!s[n + 3]) return n + 3;
    }
}

uint32_t clamp32(size_t n) { return n > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(n); }

template <typename Char>
void encodeTail(const uint8_t* in, size_t rest, Char* o) {
    if (rest == 1) {
        o[0] = static_cast<Char>(kAlphabet[in[0] >> 2]);
        o[1] = static_cast<Char>(kAlphabet[(in[0] & 3) << 4]);
        o[2] = o[3] = static_cast<Char>('=');
        o += 4;
    } else if (rest == 2) {
        o[0] = static_cast<Char>(kAlphabet[in[0] >> 2]);
        o[1] = static_cast<Char>(kAlphabet[(in[0] & 3) << 4 | in[1] >> 4]);
        o[2] = static_cast<Char>(kAlphabet[(in[1] & 15) << 2]);
        o[3] = static_cast<Char>('=');
        o += 4;
    }
    *o = 0;
}

}  // namespace

uint32_t base64BufferSize(uint32_t n) {
    // In 64 bits: where size_t has 32, the size itself could wrap.
    const uint64_t size = (uint64_t{n} + 2) / 3 * 4 + 1;
    return size > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(size);
}

void base64Encode(const uint8_t* in, size_t n, char* out) {
    const char* pairs = kPairs.data();
    char* o = out;
    // 6 bytes (two groups) per step.
    for (; n >= 6; n -= 6, in += 6, o += 8) {
        uint32_t a = uint32_t{in[0]} << 16 | uint32_t{in[1]} << 8 | in[2];
        uint32_t b = uint32_t{in[3]} << 16 | uint32_t{in[4]} << 8 | in[5];
        std::memcpy(o, pairs + 2 * (a >> 12), 2);
        std::memcpy(o + 2, pairs + 2 * (a & 0xFFF), 2);
        std::memcpy(o + 4, pairs + 2 * (b >> 12), 2);
        std::memcpy(o + 6, pairs + 2 * (b & 0xFFF), 2);
    }
    if (n >= 3) {
        uint32_t a = uint32_t{in[0]} << 16 | uint32_t{in[1]} << 8 | in[2];
        std::memcpy(o, pairs + 2 * (a >> 12), 2);
        std::memcpy(o + 2, pairs + 2 * (a & 0xFFF), 2);
        in += 3;
        n -= 3;
        o += 4;
    }
    encodeTail(in, n, o);
}

void base64Encode(const uint8_t* in, size_t n, char16_t* out) {
    char16_t* o = out;
    for (; n >= 3; n -= 3, in += 3, o += 4) {
        uint32_t a = uint32_t{in[0]} << 16 | uint32_t{in[1]} << 8 | in[2];
        for (int k = 0; k < 4; ++k) o[k] = static_cast<char16_t>(kAlphabet[(a >> (18 - 6 * k)) & 63]);
    }
    encodeTail(in, n, o);
}

Base64Decoded base64DecodeTo(const char16_t* p, size_t chars, uint8_t* out) {
    const auto& s = kDecode.shifted;
    const char16_t* const end = p + chars;
    uint8_t* const outEnd = out + base64DecodedBound(chars);
    uint8_t* o = out;
    uint32_t group = 0;
    int pending = 0;
    for (;;) {
        if (pending == 0) {
            // Four whole groups of clean text per step; anything else (a
            // blank, a line break, the pad, a character above 255) falls
            // through to the careful loop below.
            while (end - p >= 16 && outEnd - o >= 12) {
                uint64_t w0, w1, w2, w3;
                std::memcpy(&w0, p, 8);
                std::memcpy(&w1, p + 4, 8);
                std::memcpy(&w2, p + 8, 8);
                std::memcpy(&w3, p + 12, 8);
                if ((w0 | w1 | w2 | w3) & 0xFF00FF00FF00FF00ull) break;
                // All below 256: the low byte of each character, read straight
                // from memory, indexes the tables.
                auto lo = [low = lowBytes(p)](int k) { return low[2 * k]; };
                const uint32_t g0 = s[0][lo(0)] | s[1][lo(1)] | s[2][lo(2)] | s[3][lo(3)];
                const uint32_t g1 = s[0][lo(4)] | s[1][lo(5)] | s[2][lo(6)] | s[3][lo(7)];
                const uint32_t g2 = s[0][lo(8)] | s[1][lo(9)] | s[2][lo(10)] | s[3][lo(11)];
                const uint32_t g3 = s[0][lo(12)] | s[1][lo(13)] | s[2][lo(14)] | s[3][lo(15)];
                if ((g0 | g1 | g2 | g3) & kBad) break;
                storeBigEndian64(o, uint64_t{g0} << 40 | uint64_t{g1} << 16 | g2 >> 8);
                storeBigEndian32(o + 8, g2 << 24 | g3);
                o += 12;
                p += 16;
            }
        }
        if (p == end) break;
        char16_t c = *p++;
        int v = c <= 0xFF ? kDecode.value[c] : -1;
        if (v >= 0) {
            group = group << 6 | static_cast<uint32_t>(v);
            if (++pending == 4) {
                putGroup(o, group);
                o += 3;
                group = 0;
                pending = 0;
            }
            continue;
        }
        if (c != u'=') continue;
        // The pad ends the data; two or three characters of a group still
        // carry one or two bytes, a lone one carries none.
        if (pending == 2) {
            *o++ = static_cast<uint8_t>(group >> 4);
        } else if (pending == 3) {
            *o++ = static_cast<uint8_t>(group >> 10);
            *o++ = static_cast<uint8_t>(group >> 2);
        }
        return {static_cast<size_t>(o - out), pending == 1};
    }
    return {static_cast<size_t>(o - out), pending != 0};
}

uint32_t base64Decode(const char16_t* text, uint8_t* out, uint32_t* count) {
    if (!text || !count) return kStatusInvalidParameter;
    const size_t chars = length(text);
    const size_t capacity = out ? *count : 0;
    const size_t bound = base64DecodedBound(chars);
    Base64Decoded result;
    if (chars == 0) {
        result = {0, false};
    } else if (capacity >= bound) {
        // Whatever the text holds fits: decode in place, no work buffer.
        result = base64DecodeTo(text, chars, out);
    } else {
        std::unique_ptr<uint8_t[]> work(new (std::nothrow) uint8_t[bound]);
        if (!work) return kStatusNoMemory;
        result = base64DecodeTo(text, chars, work.get());
        if (result.length > capacity) {
            *count = clamp32(result.length);
            return kStatusInsufficientBuffer;
        }
        if (result.length) std::memcpy(out, work.get(), result.length);
    }
    *count = clamp32(result.length);
    return result.malformed ? kStatusInvalidParameter : kStatusSuccess;
}

}  // namespace elk
