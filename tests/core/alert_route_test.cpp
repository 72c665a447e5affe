#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/core/alert_popup.h"
#include "net/core/alert_route.h"

namespace {

using elk::AlertChannel;

TEST(AlertRoute, ChannelByPrefix) {
    const struct {
        const char16_t* text;
        AlertChannel channel;
        const char16_t* address;
    } rows[] = {
        /* 0 */ {u"SMTP:admin@example.org", AlertChannel::Smtp, u"admin@example.org"},
        /* 1 */ {u"smtp:admin@example.org", AlertChannel::Smtp, u"admin@example.org"},
        /* 2 abbreviation */ {u"S:name", AlertChannel::Smtp, u"name"},
        /* 3 empty prefix picks the first keyword */ {u":name", AlertChannel::Mapi, u"name"},
        /* 4 */ {u"MAPI:boss", AlertChannel::Mapi, u"boss"},
        /* 5 MAPI comes before MAPIPROFILE */ {u"map:boss", AlertChannel::Mapi, u"boss"},
        /* 6 */ {u"MAPIPROFILE:Outlook&pw", AlertChannel::MapiProfile, u"Outlook&pw"},
        /* 7 */ {u"mapip:Outlook", AlertChannel::MapiProfile, u"Outlook"},
        /* 8 longer than every keyword */ {u"MAPIPROFILES:x", AlertChannel::Ignored, u"x"},
        /* 9 */ {u"MAPIX:x", AlertChannel::Ignored, u"x"},
        /* 10 */ {u"WINPOPUP:host", AlertChannel::WinPopup, u"host"},
        /* 11 */ {u"w:host", AlertChannel::WinPopup, u"host"},
        /* 12 */ {u"PRNT:Laser 2", AlertChannel::Printer, u"Laser 2"},
        /* 13 */ {u"p:Laser", AlertChannel::Printer, u"Laser"},
        /* 14 */ {u"FAX:1234", AlertChannel::Ignored, u"1234"},
        /* 15 the first ':' separates */ {u"SMTP:a:b", AlertChannel::Smtp, u"a:b"},
        /* 16 */ {u"SMTP:", AlertChannel::Smtp, u""},
        /* 17 */ {u"current", AlertChannel::PopupCurrent, u"current"},
        /* 18 */ {u"Domain", AlertChannel::PopupDomain, u"Domain"},
        /* 19 */ {u"DOMAINS", AlertChannel::PopupNamed, u"DOMAINS"},
        /* 20 */ {u"host-7", AlertChannel::PopupNamed, u"host-7"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        elk::AlertRoute route = elk::routeRecipient(rows[i].text);
        EXPECT_EQ(route.channel, rows[i].channel) << "row " << i;
        EXPECT_EQ(route.address, std::u16string_view(rows[i].address)) << "row " << i;
    }
}

TEST(AlertRoute, CaseBlindComparison) {
    EXPECT_TRUE(elk::equalNoCase(u"Admin@Example.ORG", u"admin@example.org"));
    EXPECT_TRUE(elk::equalNoCase(u"\u00C4RGER \u0152 \u0178", u"\u00E4rger \u0153 \u00FF"));
    EXPECT_TRUE(elk::equalNoCase(u"\u0416\u0401\u03A3", u"\u0436\u0451\u03C3"));
    EXPECT_FALSE(elk::equalNoCase(u"abc", u"abcd"));
    EXPECT_FALSE(elk::equalNoCase(u"\u00D7", u"\u00F7"));  // multiplication and division signs
    EXPECT_FALSE(elk::equalNoCase(u"\u0130", u"i"));        // dotted capital I has no simple pair
    EXPECT_FALSE(elk::equalNoCase(u"[", u"{"));
}

TEST(SmtpRecipientList, DropsDuplicatesAndEmptyAddresses) {
    using Added = elk::SmtpRecipientList::Added;
    elk::SmtpRecipientList list;
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.add(u"first"), Added::Yes);
    EXPECT_EQ(list.add(u"FIRST"), Added::Duplicate);
    EXPECT_EQ(list.add(u""), Added::Empty);
    EXPECT_EQ(list.add(u"second"), Added::Yes);
    EXPECT_EQ(list.add(u"Second"), Added::Duplicate);
    EXPECT_FALSE(list.empty());
    EXPECT_EQ(std::u16string(list.data(), 15), std::u16string(u"first\0second\0\0", 15));
}

TEST(SmtpRecipientList, AddsOnlyWhatFitsWithBothTerminators) {
    using Added = elk::SmtpRecipientList::Added;
    const size_t capacity = elk::SmtpRecipientList::kCapacity;
    elk::SmtpRecipientList tooLong;
    EXPECT_EQ(tooLong.add(std::u16string(capacity - 1, u'x')), Added::NoRoom);
    EXPECT_TRUE(tooLong.empty());

    elk::SmtpRecipientList list;
    ASSERT_EQ(list.add(u"ab"), Added::Yes);
    // Two units used, three more for terminators: one address of capacity - 5 fits exactly.
    EXPECT_EQ(list.add(std::u16string(capacity - 4, u'y')), Added::NoRoom);
    ASSERT_EQ(list.add(std::u16string(capacity - 5, u'y')), Added::Yes);
    EXPECT_EQ(list.add(u"z"), Added::NoRoom);
    EXPECT_EQ(list.add(u"AB"), Added::Duplicate) << "a full list still knows its entries";
    const char16_t* data = list.data();
    EXPECT_EQ(std::u16string(data), u"ab");
    EXPECT_EQ(std::u16string(data + 3), std::u16string(capacity - 5, u'y'));
    EXPECT_EQ(data[capacity - 2], u'\0');
    EXPECT_EQ(data[capacity - 1], u'\0');
}

// A conversion with the traits that matter: U+00E9 takes two bytes, U+FF1B
// becomes ';' (as a best-fit conversion may make it), U+FFFF cannot be
// converted, and the rest is ASCII or '?'.
bool testNarrow(std::u16string_view address, std::string& out) {
    out.clear();
    for (char16_t c : address) {
        if (c == u'\uFFFF') return false;
        if (c == u'\u00E9')
            out += "\xC3\xA9";
        else if (c == u'\uFF1B')
            out += ';';
        else
            out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return true;
}

// The list's entries in order.
std::vector<std::u16string> entries(const elk::SmtpRecipientList& list) {
    std::vector<std::u16string> out;
    for (const char16_t* at = list.data(); *at; at += out.back().size() + 1) out.emplace_back(at);
    return out;
}

TEST(SmtpAddresses, EachAddressIsJudgedOnItsOwn) {
    const std::u16string at242 = std::u16string(230, u'a') + u"@example.org";
    const struct {
        std::u16string text;
        bool named;
        std::vector<std::u16string> listed;
    } rows[] = {
        /* 0 */ {u"a@x;b@x", true, {u"a@x", u"b@x"}},
        /* 1 a final ';' ends the text */ {u"a@x;", true, {u"a@x"}},
        /* 2 an empty address names nobody */ {u"a@x;;b@x", true, {u"a@x", u"b@x"}},
        /* 3 */ {u"", false, {}},
        /* 4 */ {u";", false, {}},
        /* 5 */ {u";;", false, {}},
        /* 6 one line end among good addresses */ {u"a@x;evil@x\r\nRCPT TO:<c@x>;b@x", true, {u"a@x", u"b@x"}},
        /* 7 */ {u"a@x\n", true, {}},
        /* 8 */ {u"a b@x;c@x", true, {u"c@x"}},
        /* 9 */ {u"<a@x>;a@x>;c@x", true, {u"c@x"}},
        /* 10 */ {u"a@x\t;\x7F;c@x", true, {u"c@x"}},
        /* 11 */ {at242, true, {at242}},
        /* 12 */ {u"a" + at242 + u";c@x", true, {u"c@x"}},
        /* 13 judged in bytes: 121 units, 242 bytes */ {std::u16string(121, u'\u00E9'), true,
                                                        {std::u16string(121, u'\u00E9')}},
        /* 14 122 units, 244 bytes */ {std::u16string(122, u'\u00E9') + u";c@x", true, {u"c@x"}},
        /* 15 not convertible */ {u"a\uFFFF@x;c@x", true, {u"c@x"}},
        /* 16 one address to the list, two to the client */ {u"a@x\uFF1Bb@x", true, {u"a@x\uFF1Bb@x"}},
        /* 17 and the client's second one is judged too */ {u"a@x\uFF1B<b@x>;c@x", true, {u"c@x"}},
        /* 18 each of the client's addresses within its line */ {u"a@x\uFF1B" + at242, true,
                                                                 {u"a@x\uFF1B" + at242}},
        /* 19 */ {u"a@x\uFF1B", true, {u"a@x\uFF1B"}},
        /* 20 */ {u"\uFF1Bb@x;c@x", true, {u"c@x"}},
        /* 21 duplicates per address, any case */ {u"a@x;b@x;A@X;B@x", true, {u"a@x", u"b@x"}},
        /* 22 nothing after a NUL */ {std::u16string(u"a@x\0b@x", 7), true, {u"a@x"}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        elk::SmtpRecipientList list;
        EXPECT_EQ(elk::addSmtpAddresses(rows[i].text, list, testNarrow), rows[i].named) << "row " << i;
        EXPECT_EQ(entries(list), rows[i].listed) << "row " << i;
    }
}

TEST(SmtpAddresses, AcrossTextsAndBeyondTheRoom) {
    elk::SmtpRecipientList list;
    EXPECT_TRUE(elk::addSmtpAddresses(u"first@x;second@x", list, testNarrow));
    EXPECT_TRUE(elk::addSmtpAddresses(u"SECOND@x;third@x", list, testNarrow));
    const std::u16string a = std::u16string(238, u'a') + u"@x", b = std::u16string(238, u'b') + u"@x";
    EXPECT_TRUE(elk::addSmtpAddresses(a + u";" + b, list, testNarrow));
    // 507 of 520 used: an address of 12 units does not fit with both
    // terminators, a shorter one after it still does.
    EXPECT_TRUE(elk::addSmtpAddresses(u"cccccccccc@x;dd@x;eeeeeee@x;f@x", list, testNarrow));
    EXPECT_EQ(entries(list), (std::vector<std::u16string>{u"first@x", u"second@x", u"third@x", a, b, u"dd@x", u"f@x"}));
}

TEST(MapiProfile, ProfileAndPassword) {
    elk::MapiLogonText logon;
    std::char_traits<char16_t>::copy(logon.password, u"old", 4);
    EXPECT_FALSE(elk::applyMapiProfile(u"Office", logon));
    EXPECT_EQ(std::u16string(logon.profile), u"Office");
    EXPECT_EQ(std::u16string(logon.password), u"old") << "a profile alone keeps the password";

    const struct {
        std::u16string address, profile, password;
    } rows[] = {
        /* 0 */ {u"Office&secret", u"Office", u"secret"},
        /* 1 the first '&' separates */ {u"a&b&c", u"a", u"b&c"},
        /* 2 */ {u"&pw", u"", u"pw"},
        /* 3 */ {u"Office&", u"Office", u""},
        /* 4 cut at 99 units each */
        {std::u16string(150, u'p') + u"&" + std::u16string(150, u'w'), std::u16string(99, u'p'),
         std::u16string(99, u'w')},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        elk::MapiLogonText l;
        EXPECT_TRUE(elk::applyMapiProfile(rows[i].address, l)) << "row " << i;
        EXPECT_EQ(std::u16string(l.profile), rows[i].profile) << "row " << i;
        EXPECT_EQ(std::u16string(l.password), rows[i].password) << "row " << i;
    }
}

TEST(MessengerMailslot, NameIsNeverCut) {
    char16_t name[260];
    ASSERT_TRUE(elk::messengerMailslotName(u".", name, std::size(name)));
    EXPECT_EQ(std::u16string(name), u"\\\\.\\MAILSLOT\\messngr");
    // 2 + 240 + 17 units and the terminator fill 260 exactly.
    std::u16string longest(240, u'h');
    ASSERT_TRUE(elk::messengerMailslotName(longest, name, std::size(name)));
    EXPECT_EQ(std::u16string(name), u"\\\\" + longest + u"\\MAILSLOT\\messngr");
    EXPECT_FALSE(elk::messengerMailslotName(longest + u"h", name, std::size(name)));
    EXPECT_EQ(name[0], u'\0');
    EXPECT_FALSE(elk::messengerMailslotName(std::u16string(u"a\0b", 3), name, std::size(name)));
}

TEST(MessengerMailslot, DatagramLayout) {
    EXPECT_EQ(elk::messengerDatagram("ALPHA", "beta", "Virus found"), std::string("ALPHA\0beta\0Virus found\0\0", 24));
    EXPECT_EQ(elk::messengerDatagram("", "", ""), std::string(4, '\0'));
}

}  // namespace
