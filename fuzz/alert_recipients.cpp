// Recipient texts of a network alert: routing takes the address from the
// text itself, the SMTP list stays a well-formed list of distinct entries
// within its block, and the MAPI log-on text and mailslot name stay within
// their buffers. The SMTP addresses as the alert adds them, one by one, are
// each one the mail client takes.
#include <cstdlib>
#include <string>
#include <vector>

#include "net/core/alert_popup.h"
#include "net/core/alert_route.h"
#include "net/core/smtp_reply.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

// Little-endian UTF-16 texts separated by NUL units.
std::vector<std::u16string> texts(const uint8_t* data, size_t size) {
    std::vector<std::u16string> out(1);
    for (size_t i = 0; i + 1 < size; i += 2) {
        char16_t c = static_cast<char16_t>(data[i] | data[i + 1] << 8);
        if (c == 0)
            out.emplace_back();
        else
            out.back() += c;
    }
    return out;
}

void checkList(const elk::SmtpRecipientList& list, size_t added) {
    const char16_t* data = list.data();
    std::vector<std::u16string_view> entries;
    size_t at = 0;
    while (data[at]) {
        std::u16string_view entry(data + at);
        for (std::u16string_view seen : entries) check(!elk::equalNoCase(seen, entry));
        entries.push_back(entry);
        at += entry.size() + 1;
        check(at < elk::SmtpRecipientList::kCapacity);
    }
    check(entries.size() == added);
    check(list.empty() == (added == 0));
}

// A conversion that keeps ASCII, makes other units '?' and fails on U+FFFF.
bool narrowAscii(std::u16string_view address, std::string& out) {
    out.clear();
    for (char16_t c : address) {
        if (c == 0xFFFF) return false;
        out += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return true;
}

// Every entry of a list built by addSmtpAddresses goes into RCPT TO as it is.
void checkAddresses(const elk::SmtpRecipientList& list) {
    const char16_t* data = list.data();
    for (size_t at = 0; data[at];) {
        std::u16string_view entry(data + at);
        std::string narrow;
        check(narrowAscii(entry, narrow));
        check(narrow.find(';') == std::string::npos);
        check(elk::smtp::checkAddress(narrow) == 0);
        at += entry.size() + 1;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    elk::SmtpRecipientList list, judged;
    elk::MapiLogonText logon;
    size_t added = 0;
    for (const std::u16string& text : texts(data, size)) {
        elk::AlertRoute route = elk::routeRecipient(text);
        size_t colon = text.find(u':');
        if (colon == std::u16string::npos) {
            check(route.address.data() == text.data() && route.address.size() == text.size());
        } else {
            check(route.address.data() == text.data() + colon + 1);
            check(route.address.size() == text.size() - colon - 1);
        }
        if (route.channel == elk::AlertChannel::Smtp && list.add(route.address) == elk::SmtpRecipientList::Added::Yes)
            ++added;
        if (route.channel == elk::AlertChannel::Smtp) elk::addSmtpAddresses(route.address, judged, narrowAscii);
        if (route.channel == elk::AlertChannel::MapiProfile) elk::applyMapiProfile(route.address, logon);
        check(std::u16string_view(logon.profile).size() < elk::MapiLogonText::kCapacity);
        check(std::u16string_view(logon.password).size() < elk::MapiLogonText::kCapacity);

        char16_t name[260];
        if (elk::messengerMailslotName(route.address, name, 260))
            check(std::u16string_view(name).size() == route.address.size() + 19);
        else
            check(name[0] == u'\0');
    }
    checkList(list, added);
    checkAddresses(judged);
    return 0;
}
