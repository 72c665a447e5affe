// An SmtpMessage with its texts owned by the test.
#pragma once
#include <string>
#include <vector>

#include "include/elkBase.h"

namespace elktest {

using namespace std::string_literals;

struct MailFields {
    // Lists hold their entries with embedded NULs; c_str() adds the empty last entry.
    std::wstring to = L"rcpt@example.com\0"s;
    std::wstring from = L"sender@example.com";
    std::wstring subject = L"Alert";
    std::wstring text = L"Hello";
    std::wstring server = L"127.0.0.1";
    std::wstring attachments;  // empty: no list
    std::wstring userName, password, html, headers, contentType;
    bool nullTo = false, nullFrom = false, nullText = false, nullServer = false, nullPassword = false;
    DWORD htmlMode = 0;
    unsigned short port = 25;

    SmtpMessage message() const {
        auto orNull = [](const std::wstring& s) { return s.empty() ? nullptr : s.c_str(); };
        SmtpMessage m = {};
        m.to = nullTo ? nullptr : to.c_str();
        m.from = nullFrom ? nullptr : from.c_str();
        m.subject = subject.c_str();
        m.text = nullText ? nullptr : text.c_str();
        m.server = nullServer ? nullptr : server.c_str();
        m.headers = orNull(headers);
        m.attachments = orNull(attachments);
        m.userName = orNull(userName);
        m.password = nullPassword ? nullptr : password.c_str();
        m.contentType = orNull(contentType);
        m.html = orNull(html);
        m.htmlMode = htmlMode;
        m.port = port;
        return m;
    }
    DWORD send() const {
        SmtpMessage m = message();
        return smtpSendMail(&m);
    }
};

}  // namespace elktest
