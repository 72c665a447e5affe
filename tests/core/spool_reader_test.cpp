#include "submit/core/spool_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "submit/core/spool_text.h"
#include "submit/core/spool_writer.h"
#include "suite/ozrCmnIS/simplecode.h"

namespace {

using namespace elk::submit;
using namespace std::string_literals;

std::uint32_t simpleCode(unsigned char* block, std::size_t n) {
    ozrcmnis::simpleCode(block, n, 0);
    return 0;
}

std::string pattern(std::size_t n, unsigned seed = 1) {
    std::string bytes(n, '\0');
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251 + seed);
    return bytes;
}

// The bytes coded as the submission stores them: each block of 65,536 on its own.
std::string codedInBlocks(std::string bytes) {
    for (std::size_t at = 0; at < bytes.size(); at += kCodingBlock)
        ozrcmnis::simpleCode(reinterpret_cast<unsigned char*>(&bytes[at]), std::min(kCodingBlock, bytes.size() - at), 0);
    return bytes;
}

std::string le32(std::uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

std::string rec(const std::string& tag, const std::string& data) { return tag + le32(static_cast<std::uint32_t>(data.size())) + data; }

const std::string kSignature = "\xA1\xA5\x70\x00"s;

std::string wide(std::u16string_view text) {
    std::string bytes;
    for (char16_t c : text) bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return bytes + "\0\0"s;
}

std::string decode(SpoolReader& reader, const SpoolRecord& record) {
    std::string out;
    EXPECT_TRUE(reader.content(record, simpleCode, [&](const unsigned char* b, std::size_t n) {
        out.append(reinterpret_cast<const char*>(b), n);
        return true;
    })) << reader.fault().message;
    return out;
}

std::vector<SpoolRecord> walk(SpoolReader& reader) {
    std::vector<SpoolRecord> records;
    SpoolRecord r;
    while (reader.next(r)) records.push_back(r);
    return records;
}

const std::array<unsigned char, 32> kDigest = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16,
                                               17, 18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32};

// A file as the submission writes it: every fixed record, a text property,
// a file property and content of two whole coding blocks and a bit.
struct Sample {
    std::string content = pattern(2 * kCodingBlock + 17);
    std::string attached = pattern(5000, 9);
    std::string bytes;

    Sample() {
        StringSink sink;
        SpoolWriter w(sink, simpleCode);
        EXPECT_TRUE(w.signature());
        EXPECT_TRUE(w.wideText("NAME", u"C:\\samples\\\u00e9t\u00e9.exe"));
        EXPECT_TRUE(w.number("SIZE", static_cast<std::uint32_t>(content.size())));
        EXPECT_TRUE(w.text("HTYP", "SHA256"));
        EXPECT_TRUE(w.hash("HASH", kDigest));
        EXPECT_TRUE(w.wideText("TYPE", u"PE32"));
        EXPECT_TRUE(w.text("GUID", "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0"));
        EXPECT_TRUE(w.number("VPS ", 0x00070001));
        EXPECT_TRUE(w.number("PROG", 0x05000123));
        EXPECT_TRUE(w.number("O/S ", 0x80001DB1));
        EXPECT_TRUE(w.text("UNID", "{00112233-4455-6677-8899-AABBCCDDEEFF}"));
        EXPECT_TRUE(w.fileTime("STMP", 116444736000000000ULL + 10000000ULL * 1234567890));
        EXPECT_TRUE(w.fileTime("STCH", 0));
        EXPECT_TRUE(w.fileTime("STCT", 1));
        EXPECT_TRUE(w.fileTime("STLA", ~0ULL));
        EXPECT_TRUE(w.number("DATE", 1234567890));
        EXPECT_TRUE(w.number("FLAG", 0x401));
        EXPECT_TRUE(w.number("STYP", 1));
        EXPECT_TRUE(w.wideText("USER", u"a note"));
        EXPECT_TRUE(w.beginContent("FDMP", static_cast<std::uint32_t>(attached.size())));
        EXPECT_TRUE(w.put(reinterpret_cast<const unsigned char*>(attached.data()), attached.size()));
        EXPECT_TRUE(w.endContent());
        // Content handed over in pieces that straddle the blocks.
        EXPECT_TRUE(w.beginContent("DATA", static_cast<std::uint32_t>(content.size())));
        const auto* p = reinterpret_cast<const unsigned char*>(content.data());
        EXPECT_TRUE(w.put(p, 1));
        EXPECT_TRUE(w.put(p + 1, 70000));
        EXPECT_TRUE(w.put(p + 70001, content.size() - 70001));
        EXPECT_TRUE(w.endContent());
        bytes = sink.bytes;
    }
};

TEST(SpoolWriter, WritesTheLayoutByteForByte) {
    Sample s;
    const std::string expected =
        kSignature + rec("NAME", wide(u"C:\\samples\\\u00e9t\u00e9.exe")) + rec("SIZE", le32(2 * 65536 + 17)) +
        rec("HTYP", "SHA256") + rec("HASH", std::string(kDigest.begin(), kDigest.end())) + rec("TYPE", wide(u"PE32")) +
        rec("GUID", "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0") + rec("VPS ", le32(0x00070001)) +
        rec("PROG", le32(0x05000123)) + rec("O/S ", le32(0x80001DB1)) +
        rec("UNID", "{00112233-4455-6677-8899-AABBCCDDEEFF}") +
        rec("STMP", le32(0x3296F500) + le32(0x01C98E33) /* 2009-02-13 23:31:30 */) + rec("STCH", std::string(8, '\0')) +
        rec("STCT", "\x01\0\0\0\0\0\0\0"s) + rec("STLA", std::string(8, '\xFF')) + rec("DATE", le32(1234567890)) +
        rec("FLAG", le32(0x401)) + rec("STYP", le32(1)) + rec("USER", wide(u"a note")) +
        rec("FDMP", codedInBlocks(s.attached)) + rec("DATA", codedInBlocks(s.content));
    EXPECT_EQ(s.bytes.size(), expected.size());
    EXPECT_TRUE(s.bytes == expected);
    // Coding in blocks is not coding the whole: the second block starts the keystream afresh.
    std::string whole = s.content;
    ozrcmnis::simpleCode(reinterpret_cast<unsigned char*>(whole.data()), whole.size(), 0);
    EXPECT_NE(whole.substr(kCodingBlock), codedInBlocks(s.content).substr(kCodingBlock));
}

TEST(SpoolReader, ReadsEveryRecordAndRewritesTheSameBytes) {
    Sample s;
    MemorySource source(s.bytes);
    SpoolReader reader(source);
    ASSERT_TRUE(reader.start()) << reader.fault().message;
    std::vector<SpoolRecord> records = walk(reader);
    ASSERT_FALSE(reader.failed()) << reader.fault().message;
    std::vector<std::string> tags;
    for (const SpoolRecord& r : records) tags.push_back(r.tag);
    EXPECT_EQ(tags, (std::vector<std::string>{"NAME", "SIZE", "HTYP", "HASH", "TYPE", "GUID", "VPS ", "PROG", "O/S ",
                                              "UNID", "STMP", "STCH", "STCT", "STLA", "DATE", "FLAG", "STYP", "USER",
                                              "FDMP", "DATA"}));
    EXPECT_EQ(records[0].offset, 4u);
    EXPECT_EQ(records[1].offset, 4u + 8 + 38);
    EXPECT_EQ(records.back().end(), s.bytes.size());

    std::u16string name;
    EXPECT_TRUE(reader.wideText(records[0], name));
    EXPECT_EQ(name, u"C:\\samples\\\u00e9t\u00e9.exe");
    std::uint32_t number;
    EXPECT_TRUE(reader.number(records[8], number));
    EXPECT_EQ(number, 0x80001DB1u);
    std::string text;
    EXPECT_TRUE(reader.text(records[9], text));
    EXPECT_EQ(text, "{00112233-4455-6677-8899-AABBCCDDEEFF}");
    std::array<unsigned char, 32> digest;
    EXPECT_TRUE(reader.hash(records[3], digest));
    EXPECT_EQ(digest, kDigest);
    std::uint64_t time;
    EXPECT_TRUE(reader.fileTime(records[13], time));
    EXPECT_EQ(time, ~0ULL);
    EXPECT_TRUE(reader.isWideText(records[17]));
    EXPECT_FALSE(reader.isWideText(records[18]));
    EXPECT_TRUE(decode(reader, records[18]) == s.attached);
    EXPECT_TRUE(decode(reader, records[19]) == s.content);

    StringSink again;
    SpoolWriter writer(again, simpleCode);
    ASSERT_TRUE(writer.signature());
    for (const SpoolRecord& r : records) EXPECT_TRUE(rewriteRecord(reader, r, simpleCode, writer)) << r.tag;
    EXPECT_TRUE(again.bytes == s.bytes);
}

TEST(SpoolReader, ShowsEachValue) {
    Sample s;
    MemorySource source(s.bytes);
    SpoolReader reader(source);
    std::vector<std::u16string> values;
    std::vector<bool> contents;
    for (const SpoolRecord& r : walk(reader)) {
        std::u16string value;
        bool content = false;
        EXPECT_TRUE(recordValue(reader, r, value, content)) << reader.fault().message;
        values.push_back(value);
        contents.push_back(content);
    }
    const std::u16string expected[] = {
        u"\"C:\\samples\\\u00e9t\u00e9.exe\"",
        u"131089",
        u"\"SHA256\"",
        u"0102030405060708090a0b0c0d0e0f101112131415161718191a1b1c1d1e1f20",
        u"\"PE32\"",
        u"\"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0\"",
        u"458753 (0x00070001)",
        u"0x05000123 (version 5.0, setup 291)",
        u"0x80001DB1 (build 7601, 64-bit)",
        u"\"{00112233-4455-6677-8899-AABBCCDDEEFF}\"",
        u"2009-02-13 23:31:30 UTC",
        u"1601-01-01 00:00:00 UTC",
        u"1601-01-01 00:00:00 UTC",
        u"60056-05-28 05:36:10 UTC",
        u"1234567890 (2009-02-13 23:31:30 UTC)",
        u"0x00000401 (in the Windows folder, compress files)",
        u"1 (manual)",
        u"\"a note\"",
        u"",
        u"",
    };
    ASSERT_EQ(values.size(), std::size(expected));
    for (size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i], expected[i]) << "record " << i;
        EXPECT_EQ(contents[i], i >= 18) << "record " << i;
    }
}

TEST(SpoolReader, BrokenFilesAreReportedWithTheirOffset) {
    const std::string name = rec("NAME", wide(u"a"));
    const struct {
        std::string bytes;
        size_t goodRecords;
        std::uint64_t offset;
        const char* message;
    } cases[] = {
        /* 0 */ {"", 0, 0, "offset 0: the file is empty, not a spool file"},
        /* 1 */ {"\xA1\xA5"s, 0, 0, "offset 0: the file ends after 2 bytes, before the 4 bytes of a spool file's signature"},
        /* 2 */ {"MZ\x90\x00"s + name, 0, 0, "offset 0: not a spool file: it begins with 4d 5a 90 00, not a1 a5 70 00"},
        /* 3 */ {kSignature + "NAME\x04"s, 0, 4, "offset 4: the file ends within a record header: 5 of its 8 bytes are there"},
        /* 4 */ {kSignature + name + "DATA" + le32(100) + "0123456789", 1, 16,
                 "offset 16: record \"DATA\" is 100 bytes long, but the file ends after 10 of them (at 34)"},
        /* 5 a length that would wrap an offset */ {kSignature + "DATA" + le32(0xFFFFFFFF) + "x", 0, 4,
                 "offset 4: record \"DATA\" is 4294967295 bytes long, but the file ends after 1 of them (at 13)"},
        /* 6 the last byte missing */ {kSignature + name + "SIZE" + le32(4) + "\1\0\0"s, 1, 16,
                 "offset 16: record \"SIZE\" is 4 bytes long, but the file ends after 3 of them (at 27)"},
        /* 7 a tag that is no text */ {kSignature + "\x01\xFF\\A" + le32(1), 0, 4,
                 "offset 4: record \"\\x01\\xff\\x5cA\" is 1 bytes long, but the file ends after 0 of them (at 12)"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        MemorySource source(cases[i].bytes);
        SpoolReader reader(source);
        EXPECT_EQ(walk(reader).size(), cases[i].goodRecords) << "case " << i;
        EXPECT_TRUE(reader.failed()) << "case " << i;
        EXPECT_EQ(reader.fault().offset, cases[i].offset) << "case " << i;
        EXPECT_EQ(reader.fault().message, cases[i].message) << "case " << i;
        SpoolRecord r;
        EXPECT_FALSE(reader.next(r)) << "case " << i;
    }
    // The signature alone is a file without records, and so is the end just after a record.
    for (const std::string& bytes : {kSignature, kSignature + name + rec("DATA", "")}) {
        MemorySource source(bytes);
        SpoolReader reader(source);
        walk(reader);
        EXPECT_FALSE(reader.failed()) << reader.fault().message;
    }
}

TEST(SpoolReader, ValuesOfTheWrongFormAreFaultsThatLeaveTheWalkGoing) {
    const struct {
        std::string record;
        std::uint64_t offset;  // in the file
        const char* message;
    } cases[] = {
        /* 0 */ {rec("SIZE", "\1\2\3"), 4, "record \"SIZE\" is 3 bytes long, not the 4 bytes of a number"},
        /* 1 */ {rec("NAME", "a\0\0"s), 4, "record \"NAME\" is 3 bytes long: not UTF-16 text with its terminating NUL"},
        /* 2 */ {rec("NAME", ""), 4, "record \"NAME\" is 0 bytes long: not UTF-16 text with its terminating NUL"},
        /* 3 */ {rec("TYPE", "a\0b\0"s), 14, "the text of record \"TYPE\" lacks its terminating NUL"},
        /* 4 */ {rec("TYPE", "a\0\0\0b\0\0\0"s), 14, "the text of record \"TYPE\" has a NUL before its end"},
        /* 5 */ {rec("GUID", "ab\0c"s), 14, "the text of record \"GUID\" holds a NUL"},
        /* 6 */ {rec("HASH", std::string(31, 'h')), 4, "record \"HASH\" is 31 bytes long, not the 32 bytes of a SHA-256 hash"},
        /* 7 */ {rec("STMP", "1234"), 4, "record \"STMP\" is 4 bytes long, not the 8 bytes of a file time"},
        /* 8 */ {rec("NAME", std::string(kMaxValueRecord + 2, '\0')), 4,
                 "record \"NAME\" is 1048578 bytes long, too long for a text (at most 1048576)"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string bytes = kSignature + cases[i].record + rec("STYP", le32(2));
        MemorySource source(bytes);
        SpoolReader reader(source);
        std::vector<SpoolRecord> records = walk(reader);
        ASSERT_EQ(records.size(), 2u) << "case " << i;
        std::u16string value;
        bool content;
        EXPECT_FALSE(recordValue(reader, records[0], value, content)) << "case " << i;
        EXPECT_EQ(reader.fault().offset, cases[i].offset) << "case " << i;
        EXPECT_EQ(reader.fault().message, "offset " + std::to_string(cases[i].offset) + ": " + cases[i].message)
            << "case " << i;
        EXPECT_FALSE(reader.failed()) << "case " << i;
        EXPECT_TRUE(recordValue(reader, records[1], value, content));
        EXPECT_EQ(value, u"2 (false positive)");
    }
}

// A property is text only in the form that a text value takes; anything else
// is content.
TEST(SpoolReader, PropertyIsTextOnlyInTheFormOfText) {
    const struct {
        std::string data;
        bool text;
    } cases[] = {
        /* 0 */ {wide(u"value"), true},
        /* 1 the empty text */ {wide(u""), true},
        /* 2 no NUL */ {"v\0a\0"s, false},
        /* 3 */ {"v\0\0\0a\0\0\0"s, false},
        /* 4 odd */ {"v\0\0"s, false},
        /* 5 */ {"", false},
        /* 6 raw bytes */ {"\x1f\x8b\x08\0"s, false},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string bytes = kSignature + rec("PROP", cases[i].data);
        MemorySource source(bytes);
        SpoolReader reader(source);
        std::vector<SpoolRecord> records = walk(reader);
        ASSERT_EQ(records.size(), 1u);
        std::u16string value;
        bool content = false;
        EXPECT_TRUE(recordValue(reader, records[0], value, content)) << "case " << i;
        EXPECT_EQ(content, !cases[i].text) << "case " << i;
    }
}

// A file larger than anyone would hold: the walk reads headers alone, and
// content comes through in blocks of the coding, each decoded on its own.
class Generated : public SpoolSource {
public:
    // The signature, NAME, then DATA of `length` bytes (each byte the low 8 bits of its offset).
    explicit Generated(std::uint32_t length) : head_(kSignature + rec("NAME", wide(u"big")) + "DATA" + le32(length)) {
        size_ = head_.size() + std::uint64_t{length};
    }
    std::uint64_t size() override { return size_; }
    bool read(std::uint64_t offset, unsigned char* buffer, std::size_t n) override {
        if (offset > size_ || n > size_ - offset) std::abort();
        largest = std::max(largest, n);
        total += n;
        for (std::size_t i = 0; i < n; ++i) {
            std::uint64_t at = offset + i;
            buffer[i] = at < head_.size() ? static_cast<unsigned char>(head_[at]) : static_cast<unsigned char>(at);
        }
        return true;
    }
    std::size_t largest = 0;
    std::uint64_t total = 0;

private:
    std::string head_;
    std::uint64_t size_;
};

TEST(SpoolReader, StreamsContentInCodingBlocks) {
    Generated source(0xFFFFFFF0u);  // 4 GiB less 16 bytes of data
    SpoolReader reader(source);
    std::vector<SpoolRecord> records = walk(reader);
    ASSERT_FALSE(reader.failed()) << reader.fault().message;
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].length, 0xFFFFFFF0u);
    EXPECT_EQ(source.total, 4u + 8 + 8);  // the signature and two headers

    // 40 MB decoded, then stopped by the sink: every block handed over whole,
    // decoded with a fresh keystream.
    Generated small(40000000);
    SpoolReader smallReader(small);
    records = walk(smallReader);
    ASSERT_EQ(records.size(), 2u);
    std::vector<std::size_t> decoded;
    std::uint64_t blocks = 0;
    auto recording = [&](unsigned char* block, std::size_t n) {
        decoded.push_back(n);
        return simpleCode(block, n);
    };
    const std::uint64_t start = records[1].dataOffset();
    bool fresh = true;
    EXPECT_TRUE(smallReader.content(records[1], recording, [&](const unsigned char* b, std::size_t n) {
        unsigned char expected[16];
        for (std::size_t i = 0; i < 16; ++i) expected[i] = static_cast<unsigned char>(start + blocks * kCodingBlock + i);
        ozrcmnis::simpleCode(expected, 16, 0);
        fresh = fresh && n >= 16 && std::memcmp(b, expected, 16) == 0;
        ++blocks;
        return true;
    }));
    EXPECT_TRUE(fresh);
    EXPECT_EQ(small.largest, kCodingBlock);
    ASSERT_EQ(decoded.size(), 611u);  // 610 whole blocks and 23,040 bytes
    EXPECT_TRUE(std::all_of(decoded.begin(), decoded.end() - 1, [](std::size_t n) { return n == kCodingBlock; }));
    EXPECT_EQ(decoded.back(), 40000000u - 610 * kCodingBlock);
}

TEST(SpoolReader, FailuresOfSourceDecoderAndSinkNameTheBlock) {
    class Failing : public SpoolSource {
    public:
        explicit Failing(std::string bytes, std::uint64_t failFrom) : bytes_(std::move(bytes)), failFrom_(failFrom) {}
        std::uint64_t size() override { return bytes_.size(); }
        bool read(std::uint64_t offset, unsigned char* buffer, std::size_t n) override {
            if (offset + n > failFrom_) return false;
            std::memcpy(buffer, bytes_.data() + offset, n);
            return true;
        }

    private:
        std::string bytes_;
        std::uint64_t failFrom_;
    };
    const std::string content(3 * kCodingBlock, 'c');
    const std::string bytes = kSignature + rec("DATA", content) + rec("NAME", wide(u"x"));
    auto keep = [](const unsigned char*, std::size_t) { return true; };
    {
        Failing source(bytes, 12 + kCodingBlock + 1);
        SpoolReader reader(source);
        SpoolRecord r;
        ASSERT_TRUE(reader.next(r));
        EXPECT_FALSE(reader.content(r, simpleCode, keep));
        EXPECT_EQ(reader.fault().message, "offset 65548: the content of record \"DATA\" cannot be read");
        // The header after the content cannot be read either.
        EXPECT_FALSE(reader.next(r));
        EXPECT_TRUE(reader.failed());
        EXPECT_EQ(reader.fault().message, "offset 196620: the record header cannot be read");
    }
    MemorySource source(bytes);
    SpoolReader reader(source);
    SpoolRecord r;
    ASSERT_TRUE(reader.next(r));
    int calls = 0;
    EXPECT_FALSE(reader.content(r, [&](unsigned char*, std::size_t) { return ++calls == 3 ? 87u : 0u; }, keep));
    EXPECT_EQ(reader.fault().message, "offset 131084: the content of record \"DATA\" cannot be decoded (status 87)");
    calls = 0;
    EXPECT_FALSE(reader.content(r, simpleCode, [&](const unsigned char*, std::size_t) { return ++calls < 2; }));
    EXPECT_EQ(reader.fault().message, "offset 65548: the decoded content of record \"DATA\" was not taken");
    EXPECT_TRUE(reader.next(r));
    EXPECT_EQ(r.tag, "NAME");
}

TEST(SpoolWriter, RefusesWhatBreaksTheLayout) {
    StringSink sink;
    SpoolWriter w(sink, simpleCode);
    EXPECT_FALSE(w.number("SIZ", 1));
    EXPECT_FALSE(w.number("SIZES", 1));
    ASSERT_TRUE(w.beginContent("DATA", 3));
    EXPECT_FALSE(w.number("SIZE", 1));  // not inside content
    const unsigned char two[2] = {1, 2};
    EXPECT_TRUE(w.put(two, 2));
    EXPECT_FALSE(w.endContent());  // one byte short
    EXPECT_FALSE(w.put(two, 2));   // one byte too many
    EXPECT_TRUE(w.put(two, 1));
    EXPECT_TRUE(w.endContent());
    EXPECT_FALSE(w.put(two, 1));
    EXPECT_EQ(sink.bytes.size(), 8u + 3);

    class Refusing : public SpoolSink {
    public:
        bool write(const unsigned char*, std::size_t) override { return false; }
    } refusing;
    SpoolWriter failing(refusing, simpleCode);
    EXPECT_FALSE(failing.signature());
    EXPECT_FALSE(failing.wideText("NAME", u"x"));
}

TEST(SpoolSummary, TakesTheListedRecords) {
    const struct {
        std::string records;
        bool ok;
        const char16_t* columns;
    } cases[] = {
        /* 0 */ {rec("NAME", wide(u"C:\\a.exe")) + rec("SIZE", le32(68)) + rec("DATE", le32(86400)) +
                     rec("FLAG", le32(0x201)) + rec("STYP", le32(5)) + rec("DATA", std::string(68, 'd')),
                 true, u"5  0x00000201  68  1970-01-02 00:00:00 UTC  \"C:\\a.exe\""},
        /* 1 without SIZE the content's length */ {rec("NAME", wide(u"n")) + rec("DATA", "abc"), true,
                                                   u"-  -  3  -  \"n\""},
        /* 2 nothing known */ {rec("GUID", "x"), true, u"-  -  -  -  -"},
        /* 3 a name with a line break stays on its line */ {rec("NAME", wide(u"a\r\nb")), true,
                                                            u"-  -  -  -  \"a\\x0d\\x0ab\""},
        /* 4 */ {rec("FLAG", "\1"), false, nullptr},
        /* 5 */ {rec("NAME", wide(u"n")) + "DATA" + le32(9), false, nullptr},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::string bytes = kSignature + cases[i].records;
        MemorySource source(bytes);
        SpoolReader reader(source);
        SpoolSummary summary;
        EXPECT_EQ(summarize(reader, summary), cases[i].ok) << "case " << i << ": " << reader.fault().message;
        if (cases[i].columns) EXPECT_EQ(summaryColumns(summary), cases[i].columns) << "case " << i;
    }
}

TEST(SpoolText, UtcTimes) {
    const struct {
        std::int64_t seconds;
        const char* text;
    } cases[] = {
        /* 0 */ {0, "1970-01-01 00:00:00 UTC"},
        /* 1 */ {-1, "1969-12-31 23:59:59 UTC"},
        /* 2 a leap day */ {951782400, "2000-02-29 00:00:00 UTC"},
        /* 3 */ {951868799, "2000-02-29 23:59:59 UTC"},
        /* 4 no leap day in 2100 */ {4107542400, "2100-03-01 00:00:00 UTC"},
        /* 5 the last 32-bit DATE */ {4294967295, "2106-02-07 06:28:15 UTC"},
        /* 6 */ {-11644473600, "1601-01-01 00:00:00 UTC"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(utcText(cases[i].seconds), cases[i].text) << "case " << i;
    EXPECT_EQ(fileTimeText(116444736000000000ULL + 9999999), "1970-01-01 00:00:00 UTC");
}

TEST(SpoolText, SafeFileNames) {
    const struct {
        const char16_t* name;
        const char16_t* safe;
    } cases[] = {
        /* 0 */ {u"C:\\dir\\sample.exe", u"sample.exe"},
        /* 1 */ {u"../../etc/passwd", u"passwd"},
        /* 2 */ {u"C:\\dir\\", u""},
        /* 3 */ {u"..", u""},
        /* 4 */ {u"a:stream", u"a_stream"},
        /* 5 */ {u"x<>\"|?*\ty", u"x_______y"},
        /* 6 trailing dots and blanks */ {u"name. . ", u"name"},
        /* 7 */ {u"CON", u"_CON"},
        /* 8 */ {u"nul.txt", u"_nul.txt"},
        /* 9 */ {u"com1", u"_com1"},
        /* 10 */ {u"COM10", u"COM10"},
        /* 11 */ {u"console", u"console"},
        /* 12 */ {u"\u00e9t\u00e9.doc", u"\u00e9t\u00e9.doc"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(safeFileName(cases[i].name), cases[i].safe) << "case " << i;
    std::u16string pair = std::u16string(254, u'a') + u"\U0001F600";
    EXPECT_EQ(safeFileName(pair), std::u16string(254, u'a'));
    EXPECT_EQ(safeFileName(std::u16string(300, u'b')).size(), 255u);
}

TEST(SpoolText, GzipNames) {
    const std::string head = "\x1f\x8b\x08"s;
    const std::string rest = "\0\0\0\0\0\x0b"s;  // time, extra flags, NTFS
    const struct {
        std::string bytes;
        bool gzip;
        const char* name;  // null: none
    } cases[] = {
        /* 0 */ {head + "\x08"s + rest + "report.txt\0..."s, true, "report.txt"},
        /* 1 an extra field first */ {head + "\x0c"s + rest + "\x03\0abc"s + "n.bin\0"s, true, "n.bin"},
        /* 2 no name */ {head + "\x00"s + rest + "...."s, true, nullptr},
        /* 3 the name cut */ {head + "\x08"s + rest + "repo"s, true, nullptr},
        /* 4 the extra field cut */ {head + "\x0c"s + rest + "\xff\0abc"s, true, nullptr},
        /* 5 not deflate */ {"\x1f\x8b\x07\x08"s + rest + "a\0"s, false, nullptr},
        /* 6 reserved bits */ {head + "\x28"s + rest + "a\0"s, false, nullptr},
        /* 7 */ {head, false, nullptr},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto* p = reinterpret_cast<const unsigned char*>(cases[i].bytes.data());
        EXPECT_EQ(isGzip(p, cases[i].bytes.size()), cases[i].gzip) << "case " << i;
        std::optional<std::string> name = gzipFileName(p, cases[i].bytes.size());
        EXPECT_EQ(name.has_value(), cases[i].name != nullptr) << "case " << i;
        if (name && cases[i].name) EXPECT_EQ(*name, cases[i].name) << "case " << i;
    }
}

TEST(SpoolText, FlagsAndKinds) {
    EXPECT_EQ(flagsText(0), "0x00000000");
    EXPECT_EQ(flagsText(0x80000106), "0x80000106 (in the program-files folder, in the profile folder, properties only, "
                                     "other bits 0x80000000)");
    EXPECT_EQ(flagsText(0x10), "0x00000010 (other bits 0x00000010)");
    EXPECT_EQ(kindText(3), "3 (statistics)");
    EXPECT_EQ(kindText(6), "6 (other)");
    EXPECT_EQ(kindText(0xFFFFFFFF), "4294967295 (other)");
}

}  // namespace
