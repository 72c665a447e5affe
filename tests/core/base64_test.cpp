#include "convert/core/base64.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/core/status.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes bytes(std::string_view s) { return Bytes(s.begin(), s.end()); }

std::string encode(const Bytes& in) {
    std::string out(elk::base64EncodedLength(in.size()) + 4, '#');
    elk::base64Encode(in.data(), in.size(), out.data());
    EXPECT_EQ(out[elk::base64EncodedLength(in.size())], '\0');
    EXPECT_EQ(out.substr(out.size() - 3), "###") << "wrote past the encoded size";
    return out.c_str();
}

std::u16string widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

Bytes randomBytes(size_t n, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes b(n);
    for (auto& x : b) x = static_cast<uint8_t>(rng());
    return b;
}

// Decodes with a capacity of `capacity` bytes followed by a guard region.
struct Decoded {
    uint32_t status;
    uint32_t count;
    Bytes data;
};
Decoded decode(const std::u16string& text, uint32_t capacity) {
    Bytes buffer(capacity + 16, 0xA5);
    uint32_t count = capacity;
    uint32_t status = elk::base64Decode(text.c_str(), buffer.data(), &count);
    for (size_t i = capacity; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], 0xA5) << "wrote past the capacity";
    size_t n = status == elk::kStatusInsufficientBuffer ? 0 : std::min<size_t>(count, capacity);
    return {status, count, Bytes(buffer.begin(), buffer.begin() + static_cast<ptrdiff_t>(n))};
}

TEST(Base64, SizeOfTheEncoding) {
    struct Row {
        uint32_t n, size;
    };
    const Row rows[] = {
        /* 0 */ {0, 1}, /* 1 */ {1, 5}, /* 2 */ {2, 5}, /* 3 */ {3, 5}, /* 4 */ {4, 9},
        /* 5 largest count whose size fits */ {3221225469u, 4294967293u},
        /* 6 */ {3221225470u, 0xFFFFFFFFu},
        /* 7 would wrap to a small size in 32-bit arithmetic */ {0xFFFFFFFFu, 0xFFFFFFFFu},
    };
    for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(elk::base64BufferSize(rows[i].n), rows[i].size) << "row " << i;
}

TEST(Base64, EncodesTheStandardVectors) {
    // RFC 4648, section 10, and longer texts through the two-group steps.
    const std::pair<const char*, const char*> rows[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"}, {"foobarf", "Zm9vYmFyZg=="}, {"foobarfoo", "Zm9vYmFyZm9v"},
        {"foobarfoobar!", "Zm9vYmFyZm9vYmFyIQ=="},
    };
    for (const auto& [plain, coded] : rows) EXPECT_EQ(encode(bytes(plain)), coded) << plain;
    EXPECT_EQ(encode({0xFB, 0xFF, 0xBF, 0x00}), "+/+/AA==");

    // The wide form writes the same characters.
    Bytes data = randomBytes(100, 7);
    std::u16string wide(elk::base64EncodedLength(100) + 1, u'#');
    elk::base64Encode(data.data(), data.size(), wide.data());
    EXPECT_EQ(wide, widen(encode(data)) + u'\0');
}

TEST(Base64, RoundTripsEveryLengthAndByte) {
    for (size_t n = 0; n <= 70; ++n) {
        Bytes data = randomBytes(n, static_cast<uint32_t>(n));
        std::u16string text = widen(encode(data));
        // Through the work buffer, and directly into a buffer that holds any result.
        for (size_t capacity : {n, elk::base64DecodedBound(text.size())}) {
            Decoded d = decode(text, static_cast<uint32_t>(capacity));
            EXPECT_EQ(d.status, 0u) << n;
            EXPECT_EQ(d.data, data) << n;
        }
    }
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(decode(widen(encode(all)), 256).data, all);
}

TEST(Base64, DecodesWhatTheTextHolds) {
    struct Row {
        std::u16string text;
        uint32_t status;
        std::string data;
    };
    const Row rows[] = {
        /* 0 */ {u"QQ==", 0, "A"},
        /* 1 a group left open */ {u"QQ", 87, ""},
        /* 2 a lone character before the pad */ {u"Q===", 87, ""},
        /* 3 what comes before the fault is delivered */ {u"Zm9vYg", 87, "foo"},
        /* 4 */ {u"Zm9vY===", 87, "foo"},
        /* 5 */ {u"QUI=", 0, "AB"},
        /* 6 */ {u"QUJD", 0, "ABC"},
        /* 7 the pad ends the data */ {u"Zm9vYmFy=QQ", 0, "foobar"},
        /* 8 */ {u"Zm9vYmE=Zm9v", 0, "fooba"},
        /* 9 */ {u"====", 0, ""},
        /* 10 foreign characters are skipped wherever they stand */ {u" Zm9v\r\nYm\tFy\n", 0, "foobar"},
        /* 11 */ {u"Zm\u0141\u0100\uFF5A9v", 0, "foo"},
        /* 12 */ {u"!!!!", 0, ""},
        /* 13 unused low bits of the last group are ignored */ {u"QR==", 0, "A"},
        /* 14 */ {u"", 0, ""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Decoded d = decode(rows[i].text, 64);
        EXPECT_EQ(d.status, rows[i].status) << "row " << i;
        EXPECT_EQ(d.count, rows[i].data.size()) << "row " << i;
        EXPECT_EQ(d.data, bytes(rows[i].data)) << "row " << i;
    }
}

TEST(Base64, LineBreaksEvery76CharactersAreIgnored) {
    Bytes data = randomBytes(3000, 76);
    std::string coded = encode(data);
    std::u16string lines;
    for (size_t i = 0; i < coded.size(); i += 76) lines += widen(coded.substr(i, 76)) + u"\r\n";
    Decoded d = decode(lines, 3000);
    EXPECT_EQ(d.status, 0u);
    EXPECT_EQ(d.data, data);
}

TEST(Base64, CapacityBoundaries) {
    // "foobar" decodes to 6 bytes; capacities around that and around the
    // 8-byte bound of its 8 characters take both the direct and the work path.
    struct Row {
        uint32_t capacity;
        uint32_t status;
        uint32_t count;
    };
    const Row rows[] = {
        /* 0 */ {0, 122, 6}, /* 1 */ {1, 122, 6}, /* 2 one too small */ {5, 122, 6},
        /* 3 exact fit */ {6, 0, 6}, /* 4 */ {7, 0, 6}, /* 5 */ {8, 0, 6}, /* 6 */ {100, 0, 6},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Decoded d = decode(u"Zm9vYmFy", rows[i].capacity);
        EXPECT_EQ(d.status, rows[i].status) << "row " << i;
        EXPECT_EQ(d.count, rows[i].count) << "row " << i;
        if (d.status == 0) EXPECT_EQ(d.data, bytes("foobar")) << "row " << i;
    }
    // Too small writes nothing at all.
    Bytes buffer(5, 0xA5);
    uint32_t count = 5;
    EXPECT_EQ(elk::base64Decode(u"Zm9vYmFy", buffer.data(), &count), 122u);
    EXPECT_EQ(buffer, Bytes(5, 0xA5));
    // A malformed text that does not fit reports the size first.
    EXPECT_EQ(decode(u"Zm9vYmFyQ", 2).status, 122u);
}

TEST(Base64, NullArguments) {
    uint32_t count = 8;
    EXPECT_EQ(elk::base64Decode(nullptr, nullptr, &count), 87u);
    EXPECT_EQ(elk::base64Decode(u"QQ==", nullptr, nullptr), 87u);
    // No buffer: a query for the size.
    count = 100;
    EXPECT_EQ(elk::base64Decode(u"QUJD", nullptr, &count), 122u);
    EXPECT_EQ(count, 3u);
    count = 0;
    EXPECT_EQ(elk::base64Decode(u"", nullptr, &count), 0u);
    EXPECT_EQ(count, 0u);
}

}  // namespace
