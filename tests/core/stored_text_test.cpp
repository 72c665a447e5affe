#include "convert/core/stored_text.h"

#include <gtest/gtest.h>

#include <string>

#include "base/core/status.h"

namespace {

struct Result {
    uint32_t status;
    uint32_t count;
    std::u16string text;
};

// Runs a coder with a capacity of `capacity` characters and a guard behind it.
template <typename Coder>
Result run(Coder coder, const char16_t* text, uint32_t capacity) {
    std::u16string buffer(capacity + 4, u'#');
    uint32_t count = capacity;
    uint32_t status = coder(buffer.data(), text, &count);
    EXPECT_EQ(buffer.substr(capacity), u"####") << "wrote past the capacity";
    return {status, count, capacity ? std::u16string(buffer.c_str()) : u""};
}

Result encode(const char16_t* text, uint32_t capacity = 256) { return run(elk::encodeStoredText, text, capacity); }
Result decode(const char16_t* text, uint32_t capacity = 256) { return run(elk::decodeStoredText, text, capacity); }

TEST(StoredText, EncodesUtf16LittleEndian) {
    Result r = encode(u"A");
    EXPECT_EQ(r.status, 0u);
    EXPECT_EQ(r.text, u"b?QQA=");
    EXPECT_EQ(r.count, 6u);
    EXPECT_EQ(encode(u"\u00e4\u20ac").text, u"b?5ACsIA==");
    for (const char16_t* empty : {u"", static_cast<const char16_t*>(nullptr)}) {
        r = encode(empty);
        EXPECT_EQ(r.status, 0u);
        EXPECT_EQ(r.count, 0u);
        EXPECT_EQ(r.text, u"");
    }
}

TEST(StoredText, DecodesMarkedAndPlainTexts) {
    struct Row {
        const char16_t* text;
        uint32_t status;
        uint32_t count;
        std::u16string plain;
    };
    const Row rows[] = {
        /* 0 */ {u"B?QQA=", 0, 1, u"A"},
        /* 1 */ {u"b?5ACsIA==", 0, 2, u"\u00e4\u20ac"},
        /* 2 no marker: as it stands */ {u"secret", 0, 6, u"secret"},
        /* 3 */ {u"b", 0, 1, u"b"},
        /* 4 */ {u"?b?QQA=", 0, 7, u"?b?QQA="},
        /* 5 the marker alone */ {u"b?", 0, 0, u""},
        /* 6 an odd last byte is dropped */ {u"b?QUJD", 0, 1, u"\u4241"},
        /* 7 malformed: nothing delivered */ {u"b?QQA", 87, 0, u""},
        /* 8 */ {u"b?QQBCAEM", 87, 1, u""},
        /* 9 */ {u"b?Q===", 87, 0, u""},
        /* 10 */ {u"", 0, 0, u""},
        /* 11 */ {nullptr, 0, 0, u""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Result r = decode(rows[i].text);
        EXPECT_EQ(r.status, rows[i].status) << "row " << i;
        EXPECT_EQ(r.count, rows[i].count) << "row " << i;
        EXPECT_EQ(r.text, rows[i].plain) << "row " << i;
    }
}

TEST(StoredText, RoundTrips) {
    const std::u16string texts[] = {
        u"x", u"pa55word", u"Gr\u00fc\u00dfe, \u4e16\u754c \U0001F600", u"b?not really encoded", std::u16string(1000, u'\uFFFF'),
    };
    for (const auto& text : texts) {
        Result coded = encode(text.c_str(), 4096);
        ASSERT_EQ(coded.status, 0u);
        Result plain = decode(coded.text.c_str(), 4096);
        EXPECT_EQ(plain.status, 0u);
        EXPECT_EQ(plain.text, text);
        EXPECT_EQ(plain.count, text.size());
    }
}

TEST(StoredText, TooSmallBuffersGetNothingAndTheSizeNeeded) {
    // Rows: text, capacity, which coder, expected status and count.
    struct Row {
        bool encodes;
        const char16_t* text;
        uint32_t capacity;
        uint32_t status;
        uint32_t count;
    };
    const Row rows[] = {
        /* 0 "b?QQA=" and its terminator: exact fit */ {true, u"A", 7, 0, 6},
        /* 1 one too small */ {true, u"A", 6, 122, 7},
        /* 2 */ {true, u"A", 2, 122, 7},
        /* 3 */ {true, u"A", 0, 122, 7},
        /* 4 */ {false, u"b?QQBCAA==", 3, 0, 2},
        /* 5 the count would fill the buffer with no room for the terminator */ {false, u"b?QQBCAA==", 2, 122, 3},
        /* 6 */ {false, u"b?QQBCAA==", 1, 122, 3},
        /* 7 */ {false, u"b?QQBCAA==", 0, 122, 3},
        /* 8 */ {false, u"plain", 6, 0, 5},
        /* 9 */ {false, u"plain", 5, 122, 6},
        /* 10 */ {false, u"plain", 0, 122, 6},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        Result r = row.encodes ? encode(row.text, row.capacity) : decode(row.text, row.capacity);
        EXPECT_EQ(r.status, row.status) << "row " << i;
        EXPECT_EQ(r.count, row.count) << "row " << i;
        if (r.status != 0) EXPECT_EQ(r.text, u"") << "row " << i;
    }
    // Without a buffer the call tells the size.
    uint32_t count = 50;
    EXPECT_EQ(elk::encodeStoredText(nullptr, u"AB", &count), 122u);
    EXPECT_EQ(count, 11u);
    EXPECT_EQ(elk::decodeStoredText(nullptr, u"x", nullptr), 87u);
    EXPECT_EQ(elk::encodeStoredText(nullptr, u"x", nullptr), 87u);
}

}  // namespace
