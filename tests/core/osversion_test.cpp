#include "convert/core/osversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "lang/core/printf_args.h"

namespace {

using elk::OsVersionRecord;

OsVersionRecord record(uint32_t size, uint32_t major, uint32_t minor, uint32_t build, uint32_t platform,
                       const char16_t* servicePack = u"", uint8_t productType = 1) {
    OsVersionRecord r{};
    r.size = size;
    r.major = major;
    r.minor = minor;
    r.build = build;
    r.platform = platform;
    for (size_t i = 0; servicePack[i]; ++i) r.servicePack[i] = servicePack[i];
    r.productType = productType;
    return r;
}

std::u16string toText(const OsVersionRecord& r) {
    char16_t out[300];
    EXPECT_GE(elk::osVersionToText(r, out, std::size(out)), 0);
    return out;
}

TEST(OsVersionText, ShortAndLongRecords) {
    OsVersionRecord shortRecord = record(276, 5, 1, 2600, 2, u"Service Pack 3");
    // A short record's caller has no long fields: whatever sits there is not read.
    shortRecord.servicePackMajor = 3;
    shortRecord.suiteMask = 0x100;
    EXPECT_EQ(toText(shortRecord), u"276,5,1,2600,2,0,0,0,0,Service Pack 3");

    OsVersionRecord longRecord = record(284, 6, 1, 7601, 0x102, u"Service Pack 1, v.1130", 3);
    longRecord.servicePackMajor = 1;
    longRecord.suiteMask = 0x8110;
    EXPECT_EQ(toText(longRecord), u"284,6,1,7601,258,1,0,33040,3,Service Pack 1, v.1130");

    // Numbers are signed; a full field without a terminator is read to its end.
    OsVersionRecord odd = record(0, 0xFFFFFFFF, 0, 0x80000000, 1);
    for (char16_t& c : odd.servicePack) c = u'x';
    EXPECT_EQ(toText(odd), u"0,-1,0,-2147483648,1,0,0,0,1," + std::u16string(128, u'x'));
}

TEST(OsVersionText, IsCutToTheBufferAndTerminated) {
    OsVersionRecord r = record(276, 5, 1, 2600, 2, u"SP3");
    const std::u16string full = u"276,5,1,2600,2,0,0,0,0,SP3";
    for (size_t size : {full.size() + 1, full.size(), size_t{1}}) {
        std::u16string out(size + 4, u'#');
        int result = elk::osVersionToText(r, out.data(), size);
        EXPECT_EQ(result, size > full.size() ? static_cast<int>(full.size()) : -1) << size;
        EXPECT_EQ(std::u16string(out.c_str()), full.substr(0, size - 1)) << size;
        EXPECT_EQ(out.substr(size), u"####") << size;
    }
    char16_t canary = u'#';
    EXPECT_EQ(elk::osVersionToText(r, &canary, 0), -1);
    EXPECT_EQ(canary, u'#');
}

TEST(OsVersionFromText, ReadsWhatToTextWrites) {
    OsVersionRecord shortRecord = record(276, 5, 1, 2600, 2, u"Service Pack 3");
    OsVersionRecord back{};
    elk::osVersionFromText(toText(shortRecord).c_str(), back);
    EXPECT_EQ(back.size, 276u);
    EXPECT_EQ(std::u16string(back.servicePack), u"Service Pack 3");
    EXPECT_EQ(back.build, 2600u);
    EXPECT_EQ(back.productType, 0);

    OsVersionRecord longRecord = record(284, 6, 0, 0xFFFFFFFF, 0x102, u"SP2", 2);
    longRecord.servicePackMajor = 2;
    longRecord.servicePackMinor = 65535;
    longRecord.suiteMask = 0x8000;
    back = {};
    elk::osVersionFromText(toText(longRecord).c_str(), back);
    EXPECT_EQ(0, std::memcmp(&back, &longRecord, sizeof back));
}

TEST(OsVersionFromText, PartialAndOddTexts) {
    OsVersionRecord r;
    std::memset(&r, 0x55, sizeof r);
    elk::osVersionFromText(u"", r);
    EXPECT_EQ(r.size, 0u);
    EXPECT_EQ(r.productType, 0) << "an empty text clears the whole record";
    std::memset(&r, 0x55, sizeof r);
    elk::osVersionFromText(nullptr, r);
    EXPECT_EQ(r.suiteMask, 0);

    // Fewer numbers: the fields after them keep what they held.
    std::memset(&r, 0x55, sizeof r);
    elk::osVersionFromText(u"284,6,x,7,8", r);
    EXPECT_EQ(r.size, 284u);
    EXPECT_EQ(r.major, 6u);
    EXPECT_EQ(r.minor, 0x55555555u);
    EXPECT_EQ(r.build, 0x55555555u);
    EXPECT_EQ(r.productType, 0x55);
    EXPECT_EQ(std::u16string(r.servicePack), u"8") << "the text after the last comma";

    // No comma: the size only, and an empty service pack.
    elk::osVersionFromText(u"276", r);
    EXPECT_EQ(r.size, 276u);
    EXPECT_EQ(r.servicePack[0], 0);

    // Short fields keep the low bits; a comma inside the service pack text
    // leaves only its last part.
    elk::osVersionFromText(u" 284, -1,2,3,2,70000,1,65537,258,Service Pack 1, v.2", r);
    EXPECT_EQ(r.major, 0xFFFFFFFFu);
    EXPECT_EQ(r.servicePackMajor, 70000 & 0xFFFF);
    EXPECT_EQ(r.suiteMask, 1);
    EXPECT_EQ(r.productType, 2);
    EXPECT_EQ(std::u16string(r.servicePack), u" v.2");

    // A service pack longer than the field is cut to fit with its terminator.
    elk::osVersionFromText((u"276,5,1,2600,2,0,0,0,0," + std::u16string(300, u'y')).c_str(), r);
    EXPECT_EQ(std::u16string(r.servicePack), std::u16string(127, u'y'));
}

// Texts as a language module holds them; formats filled in order, as the
// runtime would for these simple conversions.
class FakeTexts final : public elk::OsNameTexts {
public:
    std::map<uint32_t, std::u16string> module = {
        {50, u"NT %d.%d (%s)"}, {51, u"2000 %s (%s)"}, {52, u"95"}, {53, u"95 OSR2"}, {54, u"95 OSR2.5"},
        {55, u"98"}, {56, u"98 SE"}, {57, u"other"}, {58, u"unknown"}, {59, u"Me"}, {60, u"XP %s (%s)"},
        {61, u"Vista+ %s (%s)"}, {68, u"Workstation"}, {69, u"Server"}, {70, u"2003 %s (%s)"},
    };

    void copy(uint32_t id, bool ownModule, char16_t* out, size_t n) override {
        put(ownModule ? u"own " + module.at(id) : module.at(id), out, n);
    }
    void formatNumbers(uint32_t id, char16_t* out, size_t n, int32_t major, int32_t minor,
                       const char16_t* servicePack) override {
        put(fill(module.at(id), {number(major), number(minor), servicePack}), out, n);
    }
    void formatEdition(uint32_t id, char16_t* out, size_t n, const char16_t* edition,
                       const char16_t* servicePack) override {
        put(fill(module.at(id), {edition, servicePack}), out, n);
    }

private:
    static std::u16string number(int32_t v) {
        std::string s = std::to_string(v);
        return std::u16string(s.begin(), s.end());
    }
    static std::u16string fill(const std::u16string& format, std::initializer_list<std::u16string> args) {
        std::u16string out;
        auto arg = args.begin();
        for (size_t i = 0; i < format.size(); ++i) {
            if (format[i] == u'%' && i + 1 < format.size()) {
                out += *arg++;
                ++i;
            } else {
                out += format[i];
            }
        }
        return out;
    }
    static void put(const std::u16string& text, char16_t* out, size_t n) {
        size_t len = std::min(text.size(), n - 1);
        std::copy_n(text.begin(), len, out);
        out[len] = 0;
    }
};

TEST(OsName, ChoosesTheTextByTheRecord) {
    constexpr uint32_t kServer = elk::kPlatformServerFlag, k64 = elk::kPlatform64BitFlag;
    struct Row {
        OsVersionRecord record;
        std::u16string name;
    };
    const Row rows[] = {
        /* 0 no version: the library's own module */ {record(284, 0, 0, 0, 2), u"own unknown"},
        /* 1 */ {record(284, 4, 0, 1381, 2, u"Service Pack 6"), u"NT 4.0 (Service Pack 6)"},
        /* 2 no service pack: the parenthesised part goes */ {record(276, 3, 51, 1057, 2), u"NT 3.51"},
        /* 3 */ {record(284, 5, 0, 2195, 2, u"Service Pack 4", 1), u"2000 Workstation (Service Pack 4)"},
        /* 4 */ {record(284, 5, 0, 2195, 2, u"", 3), u"2000 Server"},
        /* 5 */ {record(284, 5, 1, 2600, 2, u"Service Pack 3", 1), u"XP Workstation (Service Pack 3)"},
        /* 6 */ {record(284, 5, 1, 2600, 2, u"", 1), u"XP Workstation"},
        /* 7 64-bit is appended after the cut */ {record(284, 5, 1, 2600, 2 | k64, u"", 1), u"XP Workstation 64-bit"},
        /* 8 */ {record(284, 5, 1, 2600, 2 | k64, u"SP2", 1), u"XP Workstation (SP2) 64-bit"},
        /* 9 NT 5.2 workstation on 64-bit is XP */ {record(284, 5, 2, 3790, 2 | k64, u"SP2", 1), u"Windows XP 64-bit"},
        /* 10 short record, no server flag */ {record(276, 5, 2, 3790, 2 | k64, u"SP2"), u"Windows XP 64-bit"},
        /* 11 */ {record(276, 5, 2, 3790, 2 | k64 | kServer, u"SP2"), u"2003 Server (SP2) 64-bit"},
        /* 12 the long record's product type decides, not the flag */
        {record(284, 5, 2, 3790, 2 | kServer, u"", 3), u"2003 Server"},
        /* 13 */ {record(284, 5, 2, 3790, 2 | k64, u"SP1", 2), u"2003 Server (SP1) 64-bit"},
        /* 14 a short record without the server flag has no edition word */ {record(276, 5, 2, 3790, 2, u"SP1"), u"2003  (SP1)"},
        /* 15 */ {record(284, 6, 1, 7601, 2, u"Service Pack 1", 1), u"Vista+ Workstation (Service Pack 1)"},
        /* 16 */ {record(284, 10, 0, 19045, 2 | k64, u"", 1), u"Vista+ Workstation 64-bit"},
        /* 17 the NT 4 text never gets 64-bit */ {record(284, 4, 0, 1381, 2 | k64), u"NT 4.0"},
        /* 18 */ {record(276, 4, 0, 950, 1), u"95"},
        /* 19 the build is the low 16 bits */ {record(276, 4, 0, 0x04000457, 1), u"95 OSR2"},
        /* 20 */ {record(276, 4, 0, 1212, 1), u"95 OSR2.5"},
        /* 21 */ {record(276, 4, 10, 1998, 1), u"98"},
        /* 22 */ {record(276, 4, 10, 2222, 1), u"98 SE"},
        /* 23 */ {record(276, 4, 89, 3000, 1), u"98 SE"},
        /* 24 */ {record(276, 4, 90, 3000, 1), u"Me"},
        /* 25 */ {record(276, 3, 10, 0, 0), u"other"},
        /* 26 no size: the module's own unknown text */ {record(0, 3, 10, 0, 0), u"unknown"},
        /* 27 flags above the low four bits do not change the platform */ {record(276, 4, 90, 0, 0x11), u"Me"},
    };
    FakeTexts texts;
    for (size_t i = 0; i < std::size(rows); ++i) {
        char16_t out[300];
        std::fill(std::begin(out), std::end(out), u'#');
        elk::composeOsName(rows[i].record, texts, out, std::size(out));
        EXPECT_EQ(std::u16string(out), rows[i].name) << "row " << i;
    }
}

TEST(OsName, SixtyFourBitOnlyWhenTheWholeTextFits) {
    FakeTexts texts;
    OsVersionRecord r = record(284, 5, 1, 2600, 2 | elk::kPlatform64BitFlag, u"SP2", 1);
    // "XP Workstation (SP2)" is 20 characters: " 64-bit" needs length + 8 < size.
    struct Row {
        size_t size;
        std::u16string name;
    };
    const Row rows[] = {
        /* 0 */ {29, u"XP Workstation (SP2) 64-bit"},
        /* 1 */ {28, u"XP Workstation (SP2)"},
        /* 2 */ {21, u"XP Workstation (SP2)"},
        /* 3 */ {20, u"XP Workstation (SP2"},
        /* 4 */ {1, u""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        std::u16string out(rows[i].size + 4, u'#');
        elk::composeOsName(r, texts, out.data(), rows[i].size);
        EXPECT_EQ(std::u16string(out.c_str()), rows[i].name) << "row " << i;
        EXPECT_EQ(out.substr(rows[i].size), u"####") << "row " << i;
    }
    // A cut text loses the service-pack part only when there is none.
    r.servicePack[0] = 0;
    std::u16string out(10 + 4, u'#');
    elk::composeOsName(r, texts, out.data(), 10);
    EXPECT_EQ(std::u16string(out.c_str()), u"XP Workst");
}

TEST(OsName, BuiltInTextsFitTheirArguments) {
    using elk::PrintfArg;
    for (uint32_t id : {50u}) EXPECT_TRUE(elk::printfArgsMatch(elk::builtinOsText(id), {PrintfArg::Int, PrintfArg::Int, PrintfArg::WideStr}));
    for (uint32_t id : {51u, 60u, 61u, 70u})
        EXPECT_TRUE(elk::printfArgsMatch(elk::builtinOsText(id), {PrintfArg::WideStr, PrintfArg::WideStr})) << id;
    for (uint32_t id : {52u, 53u, 54u, 55u, 56u, 57u, 58u, 59u, 68u, 69u})
        EXPECT_TRUE(elk::printfArgsMatch(elk::builtinOsText(id), {})) << id;
    EXPECT_TRUE(elk::printfArgsMatch(elk::kOsNameFallbackFormat, {PrintfArg::Int, PrintfArg::Int, PrintfArg::WideStr}));
    EXPECT_EQ(elk::builtinOsText(62), nullptr);
}

}  // namespace
