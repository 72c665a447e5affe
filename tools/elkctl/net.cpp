// elkctl mail: one mail through the library's SMTP client.
#include <windows.h>

#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "include/elkBase.h"
#include "tools/elkctl/commands.h"
#include "tools/elkctl/console.h"
#include "tools/elkctl/number.h"
#include "tools/elkctl/started.h"

namespace elkctl {

namespace {

// What a failure of smtpSendMail means for the person who asked for the mail.
const wchar_t* failureText(DWORD code) {
    switch (code) {
    case ERROR_INVALID_PARAMETER: return L"a required field is missing, or a field holds a line break";
    case ELK_E_SMTP_TOO_LONG: return L"a sender, address, user name or password is too long for its SMTP command";
    case ELK_E_SMTP_CLOSED: return L"the server closed the connection before it answered";
    case ELK_E_SMTP_TIMEOUT: return L"the server did not answer in time";
    case ERROR_INSUFFICIENT_BUFFER: return L"a reply of the server was too long";
    case ELK_E_GENERAL: return L"the server refused a step of the dialogue";
    case ELK_E_SMTP: return L"the server accepted none of the recipients";
    case 11001: return L"the server's name was not found";
    case 10061: return L"the server refused the connection";
    case 10060: return L"the server did not answer the connection in time";
    default: return L"the mail was not sent";
    }
}

// The file's text: UTF-8 (with or without its mark), else the ANSI code page.
bool readTextFile(const std::wstring& path, std::wstring& text) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    bool ok = true;
    while ((ok = ReadFile(h, chunk, sizeof chunk, &got, nullptr)) && got > 0) bytes.append(chunk, got);
    CloseHandle(h);
    if (!ok) return false;
    if (bytes.rfind("\xEF\xBB\xBF", 0) == 0) bytes.erase(0, 3);
    text.clear();
    if (bytes.empty()) return true;
    UINT codePage = CP_UTF8;
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) {
        codePage = CP_ACP;
        n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    }
    if (n <= 0) return false;
    text.resize(static_cast<size_t>(n));
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return true;
}

}  // namespace

int mail(int argc, wchar_t** argv) {
    std::wstring server, from, to, subject, text, attachments, user, password;
    bool haveText = false, haveUser = false, havePassword = false;
    unsigned port = 25;
    int recipients = 0;
    for (int i = 0; i < argc; ++i) {
        std::wstring arg = argv[i];
        if (arg.rfind(L"--", 0) != 0) return misused(L"unexpected argument " + arg);
        if (i + 1 >= argc) return misused(arg + L" needs a value");
        std::wstring value = argv[++i];
        if (arg == L"--server") {
            size_t colon = value.rfind(L':');
            server = value.substr(0, colon);
            if (colon != std::wstring::npos) {
                std::wstring digits = value.substr(colon + 1);
                std::optional<long long> n = parseNumber(digits, 1, 65535);
                if (!n) return misused(L"not a port (1 to 65535): " + digits);
                port = static_cast<unsigned>(*n);
            }
        } else if (arg == L"--from") {
            from = value;
        } else if (arg == L"--to") {
            if (value.empty()) return misused(L"--to needs an address");
            to += value;
            to += L'\0';
            ++recipients;
        } else if (arg == L"--subject") {
            subject = value;
        } else if (arg == L"--text" || arg == L"--text-file") {
            if (haveText) return misused(L"give the text once, with --text or --text-file");
            haveText = true;
            if (arg == L"--text")
                text = value;
            else if (!readTextFile(value, text))
                return misused(L"cannot read the text file " + value + L": " + codeText(GetLastError()));
        } else if (arg == L"--attach") {
            wchar_t full[MAX_PATH];
            DWORD n = GetFullPathNameW(value.c_str(), MAX_PATH, full, nullptr);
            if (value.empty() || n == 0 || n >= MAX_PATH) return misused(L"cannot use the attachment path " + value);
            if (GetFileAttributesW(full) == INVALID_FILE_ATTRIBUTES)
                return misused(std::wstring(L"no attachment file ") + full);
            attachments += full;
            attachments += L'\0';
        } else if (arg == L"--user") {
            user = value;
            haveUser = true;
        } else if (arg == L"--password") {
            password = value;
            havePassword = true;
        } else {
            return misused(L"unknown option " + arg);
        }
    }
    if (server.empty()) return misused(L"--server must name the mail server");
    if (from.empty()) return misused(L"--from must give the sender's address");
    if (recipients == 0) return misused(L"--to must give at least one recipient");
    if (haveUser != havePassword) return misused(L"--user and --password go together");

    Started library(0);
    if (library.status() != 0) {
        printError(L"elkctl: start-up failed: " + codeText(library.status()) + L"\n");
        return 1;
    }
    SmtpMessage message = {};
    message.to = to.c_str();  // c_str() ends the list with its empty entry
    message.from = from.c_str();
    message.subject = subject.c_str();
    message.text = text.c_str();
    message.server = server.c_str();
    message.attachments = attachments.empty() ? nullptr : attachments.c_str();
    message.userName = haveUser ? user.c_str() : nullptr;
    message.password = havePassword ? password.c_str() : nullptr;
    message.port = static_cast<WORD>(port);
    if (DWORD rc = smtpSendMail(&message)) {
        printError(L"elkctl: mail to " + server + L":" + std::to_wstring(port) + L" failed: " + failureText(rc) +
                   L".\n  status " + codeText(rc) + L"\n");
        return 1;
    }
    print(L"Mail sent to " + server + L":" + std::to_wstring(port) + L".\n");
    return 0;
}

}  // namespace elkctl
