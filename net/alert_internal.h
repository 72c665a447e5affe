// The channels of the network alerts; not exported.
#pragma once
#include <windows.h>

#include <utility>

#include "base/suite/ozrCmnOS.h"
#include "include/elkBase.h"

namespace elk {

// An 8-bit copy in the suite's code page (dep_strUnicodeToNewNormal).
class NarrowCopy {
public:
    NarrowCopy() = default;
    explicit NarrowCopy(const wchar_t* text) : text_(dep_strUnicodeToNewNormal(text, -1)) {}
    NarrowCopy(const NarrowCopy&) = delete;
    NarrowCopy& operator=(const NarrowCopy&) = delete;
    NarrowCopy(NarrowCopy&& o) noexcept : text_(std::exchange(o.text_, nullptr)) {}
    NarrowCopy& operator=(NarrowCopy&& o) noexcept {
        if (this != &o) {
            dep_strFreeString(text_);
            text_ = std::exchange(o.text_, nullptr);
        }
        return *this;
    }
    ~NarrowCopy() { dep_strFreeString(text_); }
    char* get() const { return text_; }

private:
    char* text_ = nullptr;
};

// Pop-up through the Messenger service, or its mailslot when the service
// refuses: 0 or a status.
DWORD sendPopup(const wchar_t* target, const wchar_t* sender, const wchar_t* message);

// Prints the message on one page of the named printer, as a document named
// documentName: 0 or 42000.
DWORD printAlert(const wchar_t* printer, const wchar_t* message, const wchar_t* documentName);

// The SMTP mail of an alert to a recipient list (entries each ended by a
// NUL, the list by an empty entry), with the server settings of the INI
// section "Communication": 0 or a status.
DWORD sendSmtpAlert(const wchar_t* recipients, const wchar_t* subject, const wchar_t* message,
                    const wchar_t* attachments);

// One MAPI mail: recipients and attachments are arrays of wide texts (null
// for no attachments). 0, the last-error code of a missing library or entry,
// 8, or the MAPI result.
DWORD sendMapiMail(const CMyPtrArray& recipients, const CMyPtrArray* attachments, const wchar_t* subject,
                   const wchar_t* message, const wchar_t* profile, const wchar_t* password);

}  // namespace elk
