// The SMTP mail of an alert, with the server settings of the INI file.
#include <cwchar>

#include "net/alert_channels.h"

namespace elk {

namespace {

constexpr const wchar_t* kSection = L"Communication";
constexpr DWORD kTextSize = 260;

// The stored password: text that begins with "b?" is in the encoded form of
// the settings and is decoded. 0 or a status; a stored value that does not
// decode is reported rather than sent as an empty password.
DWORD storedPassword(wchar_t* out) {
    wchar_t stored[kTextSize];
    basGetProfileString(kSection, L"SMTPUserPassword", L"", stored, kTextSize);
    if (std::wcsncmp(stored, L"b?", 2) != 0) {
        std::wmemcpy(out, stored, kTextSize);
        SecureZeroMemory(stored, sizeof(stored));
        return 0;
    }
    DWORD count = kTextSize;
    DWORD rc = strDecode(out, stored, &count);
    SecureZeroMemory(stored, sizeof(stored));
    if (rc == ERROR_NOT_ENOUGH_MEMORY) return rc;
    return rc ? ERROR_INVALID_DATA : 0;
}

}  // namespace

DWORD sendSmtpAlert(const wchar_t* recipients, const wchar_t* subject, const wchar_t* message,
                    const wchar_t* attachments) {
    wchar_t server[kTextSize], from[kTextSize], userName[kTextSize], password[kTextSize];
    basGetProfileString(kSection, L"SMTPServer", L"", server, kTextSize);
    // An empty name would be looked up as this machine's own.
    if (server[0] == L'\0') return ELK_E_INI_VALUE_EMPTY;
    basGetProfileString(kSection, L"SMTPFrom", L"", from, kTextSize);
    basGetProfileString(kSection, L"SMTPUserName", L"", userName, kTextSize);
    if (DWORD rc = storedPassword(password)) return rc;
    // A port the INI file cannot mean (0, negative, above 65535) would
    // otherwise be cut to some other port.
    UINT port = basGetProfileInt(kSection, L"SMTPPort", 25);
    if (port == 0 || port > 0xFFFF) return ERROR_INVALID_DATA;

    SmtpMessage mail = {};
    mail.to = recipients;
    mail.from = from;
    mail.subject = subject;
    mail.text = message;
    mail.server = server;
    mail.attachments = attachments;
    mail.userName = userName;
    mail.password = password;
    mail.port = static_cast<WORD>(port);
    DWORD rc = smtpSendMail(&mail);
    SecureZeroMemory(password, sizeof(password));
    return rc;
}

}  // namespace elk
