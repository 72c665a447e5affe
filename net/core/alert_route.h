// Recipients of a network alert: which channel a recipient text names, the
// case-blind comparison that de-duplicates them, the SMTP recipient list and
// the MAPI log-on text.
#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace elk {

enum class AlertChannel {
    Mapi,         // "MAPI:address"
    MapiProfile,  // "MAPIPROFILE:profile" or "MAPIPROFILE:profile&coded password"
    Smtp,         // "SMTP:address"
    WinPopup,     // "WINPOPUP:target": pop-up sent in the name of this computer
    Printer,      // "PRNT:printer"
    Ignored,      // a keyword that names no channel ("FAX:1234")
    PopupDomain,  // bare "DOMAIN": pop-up to this computer's domain
    PopupCurrent, // bare "CURRENT": pop-up to this computer
    PopupNamed,   // any other bare name: pop-up to that computer or user
};

struct AlertRoute {
    AlertChannel channel;
    std::u16string_view address;  // after the first ':'; the whole text for bare names
};

// The text before the first ':' is compared, case-blind and over its own
// length, with the start of each keyword in the order MAPI, MAPIPROFILE,
// SMTP, WINPOPUP, PRNT: an abbreviation picks the first keyword it starts,
// and an empty one picks MAPI.
AlertRoute routeRecipient(std::u16string_view text);

// Case folding for recipient texts and addresses: ASCII, Latin-1, Latin
// Extended-A, Greek and Cyrillic letters. Other units compare as they are.
char16_t foldCase(char16_t c);
bool equalNoCase(std::u16string_view a, std::u16string_view b);

// The SMTP recipients as a list of entries each ended by a NUL, the list ended
// by an empty entry, in a fixed block of 520 units (terminators included).
class SmtpRecipientList {
public:
    static constexpr size_t kCapacity = 520;

    enum class Added { Yes, Duplicate, Empty, NoRoom };
    // Adds an address unless an equal one (case-blind) is listed or it does
    // not fit with its terminator and the closing one. An empty address is
    // refused too: it would read as the end of the list.
    Added add(std::u16string_view address);
    bool empty() const { return used_ == 0; }
    const char16_t* data() const { return buffer_; }

private:
    char16_t buffer_[kCapacity] = {};
    size_t used_ = 0;  // units of the entries with their terminators
};

// The 8-bit form the mail client gives an address: false when it cannot be had.
using SmtpNarrow = bool (*)(std::u16string_view address, std::string& out);

// Adds the addresses of one "SMTP:" text, split at each ';' as the mail client
// splits its entries (an empty text after a final ';' ends the text), each as
// an entry of its own. The client refuses a whole mail for one address that
// cannot go into its RCPT TO line, so such an address is judged here, in the
// 8-bit form `narrow` gives it (split once more at ';', which a conversion
// may have made), and skipped: the mail goes to the others, as it does when
// the server refuses a recipient. An address that cannot be converted, an
// empty one, a duplicate and one the list has no room for are skipped too.
// True when the text named an address at all (empty ones name nobody), so
// that the caller can tell a mail to nobody from no mail asked for.
bool addSmtpAddresses(std::u16string_view text, SmtpRecipientList& list, SmtpNarrow narrow);

// Profile name and password for the MAPI log-on, at most 99 units each.
struct MapiLogonText {
    static constexpr size_t kCapacity = 100;
    char16_t profile[kCapacity] = {};
    char16_t password[kCapacity] = {};
};

// Applies a "MAPIPROFILE" address: without '&' it replaces the profile and
// keeps the password; with '&' the text before the first '&' is the profile
// and the text after it the password (still coded). Returns true when the
// password was replaced, so that the caller decodes it.
bool applyMapiProfile(std::u16string_view address, MapiLogonText& logon);

}  // namespace elk
