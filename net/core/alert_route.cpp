#include "net/core/alert_route.h"

#include <vector>

#include "net/core/smtp_reply.h"

namespace elk {

namespace {

constexpr std::u16string_view kKeywords[] = {u"MAPI", u"MAPIPROFILE", u"SMTP", u"WINPOPUP", u"PRNT"};
constexpr AlertChannel kKeywordChannels[] = {AlertChannel::Mapi, AlertChannel::MapiProfile, AlertChannel::Smtp,
                                             AlertChannel::WinPopup, AlertChannel::Printer};

size_t copyCut(std::u16string_view text, char16_t* out, size_t capacity) {
    size_t n = text.size() < capacity - 1 ? text.size() : capacity - 1;
    for (size_t i = 0; i < n; ++i) out[i] = text[i];
    out[n] = u'\0';
    return n;
}

// True when the mail client would take every address it makes of this one.
bool sendable(std::u16string_view address, SmtpNarrow narrow) {
    std::string bytes;
    if (!narrow(address, bytes)) return false;
    std::vector<std::string> parts;
    smtp::splitAddresses(bytes, parts);
    if (parts.empty()) return false;
    for (const std::string& part : parts)
        if (part.empty() || smtp::checkAddress(part) != 0) return false;
    return true;
}

}  // namespace

char16_t foldCase(char16_t c) {
    if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 32);
    if (c >= 0x100 && c <= 0x17F) {
        // Latin Extended-A pairs upper and lower case side by side; the odd
        // ones out are the dotted/dotless I, kra, and Y with diaeresis, whose
        // lower case is in Latin-1.
        if (c == 0x130 || c == 0x131 || c == 0x138 || c == 0x149 || c == 0x17F) return c;
        if (c == 0x178) return 0xFF;
        bool upperIsOdd = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        bool isUpper = upperIsOdd ? (c & 1) != 0 : (c & 1) == 0;
        return isUpper ? static_cast<char16_t>(c + 1) : c;
    }
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 32);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 32);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 80);
    return c;
}

bool equalNoCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (foldCase(a[i]) != foldCase(b[i])) return false;
    return true;
}

AlertRoute routeRecipient(std::u16string_view text) {
    size_t colon = text.find(u':');
    if (colon == std::u16string_view::npos) {
        if (equalNoCase(text, u"DOMAIN")) return {AlertChannel::PopupDomain, text};
        if (equalNoCase(text, u"CURRENT")) return {AlertChannel::PopupCurrent, text};
        return {AlertChannel::PopupNamed, text};
    }
    std::u16string_view prefix = text.substr(0, colon);
    std::u16string_view address = text.substr(colon + 1);
    for (size_t k = 0; k < std::size(kKeywords); ++k) {
        std::u16string_view keyword = kKeywords[k];
        if (prefix.size() <= keyword.size() && equalNoCase(prefix, keyword.substr(0, prefix.size())))
            return {kKeywordChannels[k], address};
    }
    return {AlertChannel::Ignored, address};
}

SmtpRecipientList::Added SmtpRecipientList::add(std::u16string_view address) {
    // An embedded NUL would split the entry: only the part before it counts.
    address = address.substr(0, address.find(u'\0'));
    if (address.empty()) return Added::Empty;
    for (size_t at = 0; at < used_;) {
        std::u16string_view entry(buffer_ + at);
        if (equalNoCase(entry, address)) return Added::Duplicate;
        at += entry.size() + 1;
    }
    // Room for the address, its terminator and the list's closing one.
    if (used_ + address.size() + 2 > kCapacity) return Added::NoRoom;
    for (size_t i = 0; i < address.size(); ++i) buffer_[used_ + i] = address[i];
    buffer_[used_ + address.size()] = u'\0';
    used_ += address.size() + 1;
    buffer_[used_] = u'\0';
    return Added::Yes;
}

bool addSmtpAddresses(std::u16string_view text, SmtpRecipientList& list, SmtpNarrow narrow) {
    text = text.substr(0, text.find(u'\0'));
    bool named = false;
    while (!text.empty()) {
        size_t semicolon = text.find(u';');
        std::u16string_view address = text.substr(0, semicolon);
        if (!address.empty()) {
            named = true;
            // Whatever the list says (duplicate, no room), the address is
            // dealt with: a recipient left out is not a failure of the mail.
            if (sendable(address, narrow)) static_cast<void>(list.add(address));
        }
        if (semicolon == std::u16string_view::npos) break;
        text.remove_prefix(semicolon + 1);
    }
    return named;
}

bool applyMapiProfile(std::u16string_view address, MapiLogonText& logon) {
    size_t amp = address.find(u'&');
    if (amp == std::u16string_view::npos) {
        copyCut(address, logon.profile, MapiLogonText::kCapacity);
        return false;
    }
    copyCut(address.substr(0, amp), logon.profile, MapiLogonText::kCapacity);
    copyCut(address.substr(amp + 1), logon.password, MapiLogonText::kCapacity);
    return true;
}

}  // namespace elk
