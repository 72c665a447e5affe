// The channels of the network alerts; not exported.
#pragma once
#include <windows.h>

#include "include/elkBase.h"

namespace elk {

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
