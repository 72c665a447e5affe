// Network alerts: recipients collected, de-duplicated and dispatched to
// their channels.
#include <string>
#include <utility>

#include "base/handles.h"
#include "base/wide.h"
#include "net/alert_channels.h"
#include "net/core/alert_route.h"
#include "net/text_copies.h"

namespace elk {

namespace {

constexpr UINT kAlertSubjectId = 300;

// The text with %NAME% expanded, in a new heap block; null when any step
// fails, and the caller keeps the text as it was.
UniqueHeap<wchar_t> expandedCopy(const wchar_t* text) {
    DWORD size = ExpandEnvironmentStringsW(text, nullptr, 0);
    if (size == 0) return {};
    UniqueHeap<wchar_t> out(static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, size * sizeof(wchar_t))));
    if (!out) return {};
    DWORD used = ExpandEnvironmentStringsW(text, out.get(), size);
    // The environment may have grown between the two calls.
    if (used == 0 || used > size) return {};
    return out;
}

// The 8-bit copy that smtpSendMail makes of each entry of its list.
bool narrowAddress(std::u16string_view address, std::string& out) {
    std::u16string terminated(address);
    UniqueSuiteText copy = narrowCopy(wide(terminated.c_str()));
    if (!copy) return false;
    out = copy.get();
    return true;
}

// The collected recipient texts: heap blocks, each text at most once.
class RecipientTexts {
public:
    RecipientTexts() { texts_.SetGrow(10); }
    RecipientTexts(const RecipientTexts&) = delete;
    RecipientTexts& operator=(const RecipientTexts&) = delete;
    ~RecipientTexts() { basFreeMemArray(&texts_); }

    // 0, or 8 / the array's code when the text could not be kept.
    DWORD collect(const wchar_t* text) {
        UniqueHeap<wchar_t> copy = heapCopy(text);
        if (!copy) return ERROR_NOT_ENOUGH_MEMORY;
        if (UniqueHeap<wchar_t> expanded = expandedCopy(copy.get())) copy = std::move(expanded);
        for (UINT i = 0; i < texts_.GetSize(); ++i)
            if (equalNoCase(u16(at(i)), u16(copy.get()))) return 0;
        if (UINT rc = texts_.Add(copy.get())) return rc;
        // The array holds it now; basFreeMemArray frees it with the others.
        static_cast<void>(copy.release());
        return 0;
    }

    UINT size() const { return texts_.GetSize(); }
    wchar_t* at(UINT i) const { return static_cast<wchar_t*>(texts_.GetAt(i)); }

private:
    CMyPtrArray texts_;
};

// What one basNetAlert call gathers while it dispatches.
struct Dispatch {
    const wchar_t* sender;
    const wchar_t* message;
    const wchar_t* subject;
    SmtpRecipientList smtp;
    CMyPtrArray mapi;
    MapiLogonText logon;
    DWORD result = 0;
    bool smtpNamed = false;  // an "SMTP:" text named an address, listed or not

    void fail(DWORD rc) {
        if (rc) result = rc;
    }

    void route(wchar_t* text) {
        AlertRoute r = routeRecipient(u16(text));
        // The address is the tail of the collected text, so it is terminated.
        const wchar_t* address = wide(r.address.data());
        switch (r.channel) {
        case AlertChannel::Mapi:
            fail(mapi.Add(const_cast<wchar_t*>(address)));
            break;
        case AlertChannel::MapiProfile:
            if (applyMapiProfile(r.address, logon)) basCodeStringPassword(wide(logon.password));
            break;
        case AlertChannel::Smtp:
            // An address left out (one the mail client would refuse, or one
            // beyond the list's room) is not reported while the mail reaches
            // someone, just as a recipient the server refuses is not: a
            // failure beside a delivered mail invites a retry that sends it
            // twice. The result is the mail's own.
            if (addSmtpAddresses(r.address, smtp, narrowAddress)) smtpNamed = true;
            break;
        case AlertChannel::WinPopup:
            fail(sendPopup(address, basGetComputerName(), message));
            break;
        case AlertChannel::Printer:
            fail(printAlert(address, message, subject));
            break;
        case AlertChannel::Ignored:
            break;
        case AlertChannel::PopupDomain:
            fail(sendPopup(basGetDomainName(), sender, message));
            break;
        case AlertChannel::PopupCurrent:
            fail(sendPopup(basGetComputerName(), sender, message));
            break;
        case AlertChannel::PopupNamed:
            fail(sendPopup(address, sender, message));
            break;
        }
    }
};

}  // namespace

}  // namespace elk

DWORD WINAPI basNetAlert(const NetAlertRecipient* recipients, const wchar_t* sender, const wchar_t* message,
                         const wchar_t* attachments) {
    using namespace elk;
    if (!sender || !*sender || !message || !*message) return ERROR_INVALID_PARAMETER;
    try {
        RecipientTexts texts;
        DWORD result = 0;
        for (const NetAlertRecipient* node = recipients; node; node = node->next)
            if (DWORD rc = texts.collect(node->text)) result = rc;
        if (texts.size() == 0) return result;

        wchar_t subject[260];
        basGetString(kAlertSubjectId, subject, ARRAYSIZE(subject));
        Dispatch dispatch{sender, message, subject, {}, {}, {}, result};
        dispatch.mapi.SetGrow(10);
        for (UINT i = 0; i < texts.size(); ++i) dispatch.route(texts.at(i));

        if (!dispatch.smtp.empty())
            dispatch.fail(sendSmtpAlert(wide(dispatch.smtp.data()), subject, message, attachments));
        else if (dispatch.smtpNamed)
            // Every address was left out: the mail reaches nobody, as when the
            // server refuses every recipient, and no connection is made.
            dispatch.fail(ELK_E_SMTP);
        // The MAPI mail, when there is one, decides the result alone.
        if (dispatch.mapi.GetSize() > 0)
            dispatch.result = sendMapiMail(dispatch.mapi, nullptr, subject, message, wide(dispatch.logon.profile),
                                           wide(dispatch.logon.password));
        SecureZeroMemory(dispatch.logon.password, sizeof(dispatch.logon.password));
        return dispatch.result;
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
