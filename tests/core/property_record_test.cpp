#include "submit/core/property_record.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using elk::submit::PropertyRecord;

struct Flat {
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t size = 0;
    std::vector<uint8_t> vec() const { return {bytes.get(), bytes.get() + size}; }
};

Flat flatten(const PropertyRecord* records, int32_t count, uint32_t expectRc = 0) {
    uint8_t* buffer = reinterpret_cast<uint8_t*>(1);
    Flat f;
    uint32_t rc = elk::submit::flatten(records, count, buffer, f.size);
    EXPECT_EQ(rc, expectRc);
    f.bytes.reset(buffer);
    return f;
}

PropertyRecord rec(const char16_t (&tag)[6], const char16_t* value) {
    PropertyRecord r{};
    std::copy(tag, tag + 5, r.tag);
    r.value = value;
    return r;
}

void appendU16(std::vector<uint8_t>& out, std::u16string_view units) {
    for (char16_t u : units) out.insert(out.end(), {uint8_t(u & 0xFF), uint8_t(u >> 8)});
}
void appendU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(v >> (8 * i)));
}

// The bytes of a list, written out by hand from the layout.
TEST(PropertyRecord, FlatLayout) {
    const PropertyRecord records[] = {rec(u"NAME\0", u"abc"), rec(u"NONE\0", nullptr), rec(u"EMPT\0", u"")};
    Flat f = flatten(records, 3);
    std::vector<uint8_t> expected;
    appendU32(expected, 3);
    appendU16(expected, std::u16string_view(u"NAME\0", 5));
    appendU32(expected, 4);
    appendU16(expected, std::u16string_view(u"abc\0", 4));
    appendU16(expected, std::u16string_view(u"NONE\0", 5));
    appendU32(expected, 0);
    appendU16(expected, std::u16string_view(u"EMPT\0", 5));
    appendU32(expected, 1);
    appendU16(expected, std::u16string_view(u"\0", 1));
    EXPECT_EQ(f.vec(), expected);
    EXPECT_EQ(f.size, 4u + (14 + 8) + 14 + (14 + 2));
}

TEST(PropertyRecord, RoundTrip) {
    // The fifth tag unit is copied as it stands, NUL or not.
    const PropertyRecord records[] = {rec(u"FILE\0", u"C:\\sample.exe"), rec(u"NULL\0", nullptr),
                                      rec(u"EMPT\0", u""), rec(u"ODD!!", u"\u00e9t\u00e9 \U0001F600")};
    Flat f = flatten(records, 4);
    PropertyRecord* back = nullptr;
    int32_t count = -1;
    ASSERT_EQ(elk::submit::rebuild(f.bytes.get(), f.size, back, count), 0u);
    std::unique_ptr<PropertyRecord[]> owned(back);
    ASSERT_EQ(count, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(std::u16string_view(back[i].tag, 5), std::u16string_view(records[i].tag, 5)) << i;
        if (!records[i].value) {
            EXPECT_EQ(back[i].value, nullptr) << i;
        } else {
            ASSERT_NE(back[i].value, nullptr) << i;
            EXPECT_EQ(std::u16string(back[i].value), std::u16string(records[i].value)) << i;
        }
    }
    // Flattening the rebuilt list gives the same bytes.
    EXPECT_EQ(flatten(back, count).vec(), f.vec());

    // The values alias the buffer.
    const size_t firstValue = 4 + 14;
    f.bytes[firstValue] = 'D';
    EXPECT_EQ(back[0].value[0], u'D');
}

TEST(PropertyRecord, EmptyList) {
    PropertyRecord none{};
    Flat f = flatten(&none, 0);
    EXPECT_EQ(f.vec(), (std::vector<uint8_t>{0, 0, 0, 0}));
    PropertyRecord* back = nullptr;
    int32_t count = -1;
    EXPECT_EQ(elk::submit::rebuild(f.bytes.get(), f.size, back, count), 0u);
    EXPECT_EQ(count, 0);
    EXPECT_NE(back, nullptr);
    delete[] back;
}

TEST(PropertyRecord, FlattenRefusesBadArguments) {
    PropertyRecord one = rec(u"NAME\0", u"x");
    EXPECT_EQ(flatten(nullptr, 0, 87).bytes.get(), nullptr);
    EXPECT_EQ(flatten(&one, -1, 87).bytes.get(), nullptr);
}

// Buffers that do not hold what they claim are refused before anything is
// allocated, and nothing beyond `size` is read (ASan checks that: every
// buffer below is an exact-size heap block).
TEST(PropertyRecord, RebuildRefusesMalformedBuffers) {
    std::vector<uint8_t> good;
    appendU32(good, 2);
    appendU16(good, std::u16string_view(u"AAAA\0", 5));
    appendU32(good, 3);
    appendU16(good, std::u16string_view(u"hi\0", 3));
    appendU16(good, std::u16string_view(u"BBBB\0", 5));
    appendU32(good, 0);

    auto with = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> v = good;
        std::copy(bytes.begin(), bytes.end(), v.begin() + at);
        return v;
    };
    struct Bad {
        const char* what;
        std::vector<uint8_t> buffer;
    };
    std::vector<Bad> cases = {
        {"empty", {}},
        {"3 bytes", {0, 0, 0}},
        {"negative count", {0xFF, 0xFF, 0xFF, 0xFF}},
        {"count of a missing record", {1, 0, 0, 0}},
        {"huge count", {0xFF, 0xFF, 0xFF, 0x7F, 'A', 0, 'A', 0, 'A', 0, 'A', 0, 0, 0, 0, 0, 0, 0}},
        {"one record too many", with(0, {3, 0, 0, 0})},
        {"value runs past the end", with(4 + 10, {11, 0, 0, 0})},
        {"value length near 2^32", with(4 + 10, {0xFF, 0xFF, 0xFF, 0xFF})},
        {"value length near 2^31", with(4 + 10, {0x00, 0x00, 0x00, 0x80})},
        {"value without its NUL", with(4 + 14 + 4, {'!', 0})},
        {"value with an inner NUL", with(4 + 14, {0, 0})},
    };
    // Every cut of the good buffer loses part of a record.
    for (size_t cut = 0; cut < good.size(); ++cut)
        cases.push_back({"cut", std::vector<uint8_t>(good.begin(), good.begin() + cut)});

    for (size_t i = 0; i < cases.size(); ++i) {
        const std::vector<uint8_t>& b = cases[i].buffer;
        auto exact = std::make_unique<uint8_t[]>(b.size() + (b.empty() ? 1 : 0));
        std::copy(b.begin(), b.end(), exact.get());
        PropertyRecord* back = reinterpret_cast<PropertyRecord*>(8);
        int32_t count = -1;
        EXPECT_EQ(elk::submit::rebuild(exact.get(), b.size(), back, count), 13u) << "row " << i << " " << cases[i].what;
        EXPECT_EQ(back, nullptr) << "row " << i;
        EXPECT_EQ(count, 0) << "row " << i;
    }

    PropertyRecord* back = nullptr;
    int32_t count = -1;
    EXPECT_EQ(elk::submit::rebuild(nullptr, 4, back, count), 87u);

    // The good buffer itself passes, and bytes after its records are ignored.
    good.push_back(0xEE);
    ASSERT_EQ(elk::submit::rebuild(good.data(), good.size(), back, count), 0u);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(std::u16string(back[0].value), u"hi");
    EXPECT_EQ(back[1].value, nullptr);
    delete[] back;
}

}  // namespace
