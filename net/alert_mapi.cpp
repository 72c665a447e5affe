// Mail through the system's MAPI client (Simple MAPI of MAPI32.dll).
#include <windows.h>
// mapi.h needs the Windows types declared first.
#include <mapi.h>

#include <memory>
#include <new>

#include "base/handles.h"
#include "base/bind.h"
#include "net/alert_channels.h"
#include "net/text_copies.h"

namespace elk {

namespace {

// Recipient and attachment descriptors with the 8-bit texts they point to.
class MapiMessageParts {
public:
    // False when a descriptor or a copy cannot be had.
    bool build(const CMyPtrArray& recipients, const CMyPtrArray* attachments, const wchar_t* subject,
               const wchar_t* message) {
        UINT recipientCount = recipients.GetSize();
        UINT fileCount = attachments ? attachments->GetSize() : 0;
        recipients_.reset(new (std::nothrow) MapiRecipDesc[recipientCount]());
        recipientTexts_.reset(new (std::nothrow) UniqueSuiteText[recipientCount]);
        files_.reset(new (std::nothrow) MapiFileDesc[fileCount ? fileCount : 1]());
        fileTexts_.reset(new (std::nothrow) UniqueSuiteText[fileCount ? fileCount : 1]);
        if (!recipients_ || !recipientTexts_ || !files_ || !fileTexts_) return false;

        for (UINT i = 0; i < recipientCount; ++i) {
            recipientTexts_[i] = narrowCopy(static_cast<const wchar_t*>(recipients.GetAt(i)));
            if (!recipientTexts_[i]) return false;
            recipients_[i].ulRecipClass = MAPI_TO;
            recipients_[i].lpszName = recipientTexts_[i].get();
            recipients_[i].lpszAddress = recipientTexts_[i].get();
        }
        for (UINT i = 0; i < fileCount; ++i) {
            fileTexts_[i] = narrowCopy(static_cast<const wchar_t*>(attachments->GetAt(i)));
            if (!fileTexts_[i]) return false;
            files_[i].nPosition = static_cast<ULONG>(-1);
            files_[i].lpszPathName = fileTexts_[i].get();
        }
        subject_ = narrowCopy(subject);
        text_ = narrowCopy(message);
        if ((subject && !subject_) || (message && !text_)) return false;

        message_.lpszSubject = subject_.get();
        message_.lpszNoteText = text_.get();
        message_.nRecipCount = recipientCount;
        message_.lpRecips = recipients_.get();
        message_.nFileCount = fileCount;
        message_.lpFiles = fileCount ? files_.get() : nullptr;
        return true;
    }

    MapiMessage* message() { return &message_; }

private:
    std::unique_ptr<MapiRecipDesc[]> recipients_;
    std::unique_ptr<UniqueSuiteText[]> recipientTexts_;
    std::unique_ptr<MapiFileDesc[]> files_;
    std::unique_ptr<UniqueSuiteText[]> fileTexts_;
    UniqueSuiteText subject_, text_;
    MapiMessage message_ = {};
};

// Pointers to the entries of a list ended by an empty entry.
UINT splitList(const wchar_t* list, CMyPtrArray& entries) {
    for (const wchar_t* entry = list; entry && *entry; entry += wcslen(entry) + 1)
        if (UINT rc = entries.Add(const_cast<wchar_t*>(entry))) return rc;
    return 0;
}

}  // namespace

DWORD sendMapiMail(const CMyPtrArray& recipients, const CMyPtrArray* attachments, const wchar_t* subject,
                   const wchar_t* message, const wchar_t* profile, const wchar_t* password) {
    if (recipients.GetSize() == 0) return 0;
    UniqueModule mapi(LoadLibraryW(L"MAPI32.dll"));
    if (!mapi) return GetLastError();
    auto logon = bindProc<LPMAPILOGON>(mapi.get(), "MAPILogon");
    auto logoff = bindProc<LPMAPILOGOFF>(mapi.get(), "MAPILogoff");
    auto sendMail = bindProc<LPMAPISENDMAIL>(mapi.get(), "MAPISendMail");
    if (!logon || !logoff || !sendMail) return GetLastError();

    char profileText[260], passwordText[260];
    basU2A(profile ? profile : L"", profileText, sizeof profileText);
    basU2A(password ? password : L"", passwordText, sizeof passwordText);
    LHANDLE session = 0;
    ULONG rc = logon(0, profileText, passwordText, MAPI_LOGON_UI, 0, &session);
    SecureZeroMemory(passwordText, sizeof passwordText);
    if (rc) return rc;

    DWORD status;
    {
        MapiMessageParts parts;
        status = parts.build(recipients, attachments, subject, message)
                     ? sendMail(session, 0, parts.message(), 0, 0)
                     : ERROR_NOT_ENOUGH_MEMORY;
    }
    logoff(session, 0, 0, 0);
    return status;
}

}  // namespace elk

DWORD WINAPI basSendMAPIMail(const wchar_t* recipients, const wchar_t* subject, const wchar_t* message,
                             const wchar_t* attachments, const wchar_t* profile, const wchar_t* password) {
    try {
        CMyPtrArray to, files;
        if (UINT rc = elk::splitList(recipients, to)) return rc;
        if (UINT rc = elk::splitList(attachments, files)) return rc;
        return elk::sendMapiMail(to, &files, subject, message, profile, password);
    } catch (...) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
}
