// Mails to a real SMTP server (aiosmtpd), started by with_smtpd.py, which
// afterwards parses what the server received. Without that script around
// (ELK_SMTP_PORT unset) these tests are skipped.
#include <cstdlib>

#include "tests/net/loopback.h"
#include "tests/net/smtp_mail.h"

namespace {

using elktest::MailFields;
using namespace std::string_literals;

std::wstring env(const wchar_t* name) {
    wchar_t value[1024];
    DWORD n = GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
    return n > 0 && n < ARRAYSIZE(value) ? std::wstring(value, n) : std::wstring();
}

class RealServer : public elktest::NetLibrary {
protected:
    void SetUp() override {
        port = static_cast<unsigned short>(_wtoi(env(L"ELK_SMTP_PORT").c_str()));
        if (port == 0) GTEST_SKIP() << "run through with_smtpd.py";
        NetLibrary::SetUp();
        files = env(L"ELK_SMTP_FILES");
        user = env(L"ELK_SMTP_USER");
        password = env(L"ELK_SMTP_PASSWORD");
    }
    void TearDown() override {
        if (port != 0) NetLibrary::TearDown();
    }
    MailFields mail(const wchar_t* subject) const {
        MailFields m;
        m.port = port;
        m.subject = subject;
        m.userName = user;
        m.password = password;
        return m;
    }
    std::wstring file(const wchar_t* name) const { return files + L"\\" + name + L'\0'; }

    unsigned short port = 0;
    std::wstring files, user, password;
};

// What arrives is checked by the script: recipients, the decoded subject,
// the text with its dot lines, and every attachment's bytes.
TEST_F(RealServer, MailWithAttachments) {
    MailFields m = mail(L"Pr\u00fcfung \u2713 attachments");
    m.to = L"a@example.com;b@example.com\0c@example.com\0"s;
    m.text = L"First line\r\n.\r\n..\r\n.leading dot\nlone LF\r\nGr\u00fc\u00dfe \u2713\r\nlast";
    m.attachments = file(L"empty.bin") + file(L"b57.bin") + file(L"b58.bin") + file(L"big.bin");
    EXPECT_EQ(m.send(), 0u);
}

// A subject of over 1,000 bytes of UTF-8: as one encoded word its line was
// too long for the server; the script checks that it arrives intact.
TEST_F(RealServer, LongUtf8Subject) {
    std::wstring subject = L"long ";
    for (int i = 0; i < 111; ++i) subject += L"\u00fc\u20ac\u2713 ";
    subject += L"end";
    MailFields m = mail(subject.c_str());
    EXPECT_EQ(m.send(), 0u);
}

// 200 recipients: the To line they make is folded, one line unfolded it
// would be far beyond what the server takes.
TEST_F(RealServer, TwoHundredRecipients) {
    MailFields m = mail(L"two hundred recipients");
    m.to.clear();
    for (int i = 0; i < 200; ++i) m.to += L"recipient" + std::to_wstring(1000 + i) + L"@example.com" + (i % 2 ? L'\0' : L';');
    EXPECT_EQ(m.send(), 0u);
}

// A text line of 10,000 characters goes out quoted-printable and arrives as
// it was written.
TEST_F(RealServer, TenThousandCharacterLine) {
    MailFields m = mail(L"ten thousand characters");
    m.text = L"short line\r\n";
    for (int i = 0; i < 1000; ++i) m.text += L"0123456\u00fc. ";
    m.text += L"\r\n.\r\nend = ";
    EXPECT_EQ(m.send(), 0u);
}

TEST_F(RealServer, HtmlModeWithInlineImages) {
    MailFields m = mail(L"inline images");
    m.htmlMode = 1;
    m.nullText = true;
    m.contentType = L"multipart/related";
    m.html = L"<html><body><img src=\"cid:@12xAB@.gif\"><img src=\"cid:logo.png\"></body></html>";
    m.attachments = file(L"{12-AB}.gif") + file(L"logo.png") + file(L"skipped.html");
    EXPECT_EQ(m.send(), 0u);
}

TEST_F(RealServer, WrongPasswordIsNotAuthenticated) {
    if (user.empty()) GTEST_SKIP() << "the server asks for no authentication";
    MailFields m = mail(L"wrong password");
    m.password = L"not-the-password";
    // Refused credentials: HELO, and the server then refuses the sender.
    EXPECT_EQ(m.send(), ELK_E_GENERAL);
}

TEST_F(RealServer, LoginWhenPlainIsNotOffered) {
    unsigned short loginPort = static_cast<unsigned short>(_wtoi(env(L"ELK_SMTP_LOGIN_PORT").c_str()));
    if (loginPort == 0) GTEST_SKIP() << "no LOGIN-only server";
    MailFields m = mail(L"login only");
    m.port = loginPort;
    EXPECT_EQ(m.send(), 0u);
}

}  // namespace
