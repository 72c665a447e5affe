#include <gtest/gtest.h>

#include <string>

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
