// The SMTP channel of the network alerts: settings from the INI file, one
// mail for all SMTP recipients. AlertSmtp runs against aiosmtpd, started by
// alert_smtpd.py (skipped without it); the others against a server in the
// test that refuses every session.
#include <algorithm>
#include <atomic>
#include <thread>

#include "tests/net/alert_support.h"

namespace {

using namespace elktest;
using namespace std::string_literals;

std::wstring env(const wchar_t* name) {
    wchar_t value[1024];
    DWORD n = GetEnvironmentVariableW(name, value, ARRAYSIZE(value));
    return n > 0 && n < ARRAYSIZE(value) ? std::wstring(value, n) : std::wstring();
}

// One mail as the server took it (see alert_smtpd.py).
struct ReceivedMail {
    std::string from, auth, content;
    std::vector<std::string> rcpt;

    std::string header(const std::string& name) const {
        size_t at = content.find("\r\n" + name + ": ");
        if (at == std::string::npos) return "(none)";
        at += name.size() + 4;
        return content.substr(at, content.find("\r\n", at) - at);
    }
};

std::vector<ReceivedMail> receivedMails(const std::wstring& spool) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry;
    HANDLE find = FindFirstFileW((spool + L"\\mail*.txt").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do names.push_back(entry.cFileName);
        while (FindNextFileW(find, &entry));
        FindClose(find);
    }
    std::sort(names.begin(), names.end());
    std::vector<ReceivedMail> mails;
    for (const std::wstring& name : names) {
        std::string text = readFile(spool + L"\\" + name);
        size_t headEnd = text.find("\n\n");
        ReceivedMail mail;
        mail.content = text.substr(headEnd + 2);
        size_t at = 0;
        while (at < headEnd) {
            size_t end = text.find('\n', at);
            std::string line = text.substr(at, end - at);
            at = end + 1;
            if (line.rfind("from=", 0) == 0) mail.from = line.substr(5);
            if (line.rfind("rcpt=", 0) == 0) mail.rcpt.push_back(line.substr(5));
            if (line.rfind("auth=", 0) == 0) mail.auth = line.substr(5);
        }
        mails.push_back(mail);
    }
    return mails;
}

std::wstring encodedForStorage(const std::wstring& text) {
    wchar_t out[260];
    DWORD count = ARRAYSIZE(out);
    EXPECT_EQ(strEncode(out, text.c_str(), &count), 0u);
    return out;
}

class AlertSmtp : public Alert {
protected:
    void SetUp() override {
        port = env(L"ELK_ALERT_SMTP_PORT");
        if (port.empty()) GTEST_SKIP() << "run through alert_smtpd.py";
        Alert::SetUp();
        spool = env(L"ELK_ALERT_SMTP_SPOOL");
        tree.setIni(L"Communication", L"SMTPServer", L"127.0.0.1");
        tree.setIni(L"Communication", L"SMTPPort", port.c_str());
        tree.setIni(L"Communication", L"SMTPFrom", L"alerts@example.org");
        tree.setIni(L"Communication", L"SMTPUserName", env(L"ELK_ALERT_SMTP_USER").c_str());
    }
    void TearDown() override {
        if (!port.empty()) Alert::TearDown();
    }
    // The mails that arrived since the last call.
    std::vector<ReceivedMail> newMails() {
        std::vector<ReceivedMail> all = receivedMails(spool);
        std::vector<ReceivedMail> fresh(all.begin() + static_cast<std::ptrdiff_t>(seen), all.end());
        seen = all.size();
        return fresh;
    }

    std::wstring port, spool;
    size_t seen = receivedMails(env(L"ELK_ALERT_SMTP_SPOOL")).size();
};

TEST_F(AlertSmtp, OneMailForTheDistinctRecipients) {
    std::wstring attachment = tempPath(L"elk-scan");
    ASSERT_TRUE(writeFile(attachment, "scan log\r\n"));
    std::wstring attachments = attachment + L'\0';

    const std::wstring password = env(L"ELK_ALERT_SMTP_PASSWORD");
    const struct {
        std::wstring stored;
        const wchar_t* message;
    } rows[] = {
        /* 0 */ {password, L"Virus found: plain password"},
        /* 1 */ {encodedForStorage(password), L"Virus found: encoded password"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        tree.setIni(L"Communication", L"SMTPUserPassword", rows[i].stored.c_str());
        Recipients recipients{L"SMTP:first@example.org", L"smtp:FIRST@example.org", L"MAPIX:x", L"SMTP:second@example.org"};
        EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", rows[i].message, attachments.c_str()), 0u) << "row " << i;
        std::vector<ReceivedMail> mails = newMails();
        ASSERT_EQ(mails.size(), 1u) << "row " << i;
        const ReceivedMail& mail = mails[0];
        EXPECT_EQ(mail.auth, "PLAIN") << "row " << i;
        EXPECT_EQ(mail.from, "alerts@example.org") << "row " << i;
        EXPECT_EQ(mail.rcpt, (std::vector<std::string>{"first@example.org", "second@example.org"})) << "row " << i;
        EXPECT_EQ(mail.header("Subject"), "=?UTF-8?b?VGFydm8gc2VjdXJpdHkgYWxlcnQ=?=") << "row " << i;
        EXPECT_NE(mail.content.find("\r\n\r\n" + utf8(rows[i].message) + "\r\n"), std::string::npos) << "row " << i;
        std::string name = utf8(attachment.substr(attachment.rfind(L'\\') + 1));
        EXPECT_NE(mail.content.find("filename=\"" + name + "\""), std::string::npos) << "row " << i;
        EXPECT_NE(mail.content.find("\r\n\r\nc2NhbiBsb2cNCg==\r\n"), std::string::npos) << "row " << i;
    }
    EXPECT_EQ(mapiCalls(), "");
    DeleteFileW(attachment.c_str());
}

// An address the mail client would refuse would cost every recipient the
// mail: it is left out, and the others get it.
TEST_F(AlertSmtp, AddressesTheClientWouldRefuseAreLeftOut) {
    tree.setIni(L"Communication", L"SMTPUserPassword", env(L"ELK_ALERT_SMTP_PASSWORD").c_str());
    SetEnvironmentVariableW(L"ELK_TEST_RCPT", L"x@example.org\r\nRCPT TO:<y@example.org>");
    const std::wstring tooLong = std::wstring(231, L'l') + L"@example.org";  // 243 bytes
    const std::string first = "first@example.org", second = "second@example.org", third = "third@example.org";
    const struct {
        std::vector<std::wstring> texts;
        std::vector<std::string> rcpt;
    } rows[] = {
        /* 0 */ {{L"SMTP:first@example.org", L"SMTP:evil@example.org\r\nRCPT TO:<x@example.org>",
                  L"SMTP:second@example.org"},
                 {first, second}},
        /* 1 a line end from the environment */ {{L"SMTP:first@example.org", L"SMTP:%ELK_TEST_RCPT%"}, {first}},
        /* 2 */ {{L"SMTP:" + tooLong, L"SMTP:first@example.org"}, {first}},
        /* 3 split at ';' */ {{L"SMTP:first@example.org;second@example.org",
                              L"SMTP:third@example.org; blank@example.org;"},
                             {first, second, third}},
        /* 4 once per address */ {{L"SMTP:first@example.org;second@example.org",
                                  L"SMTP:SECOND@example.org;first@example.org"},
                                 {first, second}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Recipients recipients(rows[i].texts);
        EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), 0u) << "row " << i;
        std::vector<ReceivedMail> mails = newMails();
        EXPECT_EQ(mails.size(), 1u) << "row " << i;
        if (mails.size() == 1) {
            EXPECT_EQ(mails[0].rcpt, rows[i].rcpt) << "row " << i;
        }
    }
}

// The recipients that fit the list get the mail; the result is the mail's,
// so that a caller does not retry and send it twice.
TEST_F(AlertSmtp, RecipientsBeyondTheListAreLeftOut) {
    tree.setIni(L"Communication", L"SMTPUserPassword", env(L"ELK_ALERT_SMTP_PASSWORD").c_str());
    // 19 characters with the terminator each: 27 fit the 520 of the list.
    std::vector<std::wstring> texts;
    std::vector<std::string> fitting;
    for (int i = 10; i < 40; ++i) {
        texts.push_back(L"SMTP:user" + std::to_wstring(i) + L"@example.org");
        if (i < 37) fitting.push_back("user" + std::to_string(i) + "@example.org");
    }
    Recipients recipients(texts);
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), 0u);
    std::vector<ReceivedMail> mails = newMails();
    ASSERT_EQ(mails.size(), 1u);
    EXPECT_EQ(mails[0].rcpt, fitting);
}

// A server on 127.0.0.1 that answers every connection with "554" and counts them.
class RefusingServer {
public:
    explicit RefusingServer(unsigned short port = 0) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a = {};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(port);
        int size = sizeof(a);
        if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&a), sizeof(a)) != 0 ||
            listen(listener_, 8) != 0 || getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &size) != 0)
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { serve(); });
    }
    ~RefusingServer() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (listener_ != INVALID_SOCKET) closesocket(listener_);
        WSACleanup();
    }
    unsigned short port() const { return port_; }  // 0 when it could not listen
    int connections() const { return connections_; }

private:
    void serve() {
        while (!stop_) {
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(listener_, &ready);
            timeval wait = {0, 50000};
            if (select(0, &ready, nullptr, nullptr, &wait) != 1) continue;
            SOCKET s = accept(listener_, nullptr, nullptr);
            if (s == INVALID_SOCKET) continue;
            // Counted before the reply: the client may return as soon as it reads it.
            ++connections_;
            static const char kRefusal[] = "554 5.3.2 no service here\r\n";
            send(s, kRefusal, sizeof(kRefusal) - 1, 0);
            shutdown(s, SD_BOTH);
            closesocket(s);
        }
    }

    SOCKET listener_ = INVALID_SOCKET;
    unsigned short port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

TEST_F(Alert, SmtpFailureIsTheResult) {
    RefusingServer server;
    ASSERT_NE(server.port(), 0);
    tree.setIni(L"Communication", L"SMTPServer", L"127.0.0.1");
    tree.setIni(L"Communication", L"SMTPPort", std::to_wstring(server.port()).c_str());
    tree.setIni(L"Communication", L"SMTPFrom", L"alerts@example.org");
    Recipients recipients{L"SMTP:admin@example.org", L"current"};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), ELK_E_GENERAL);
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(popups(), popup(basGetComputerName(), L"Scanner", L"Virus found")) << "one channel stopped another";
    // A MAPI mail decides the result alone, even over a failed SMTP mail.
    Recipients withMapi{L"SMTP:admin@example.org", L"MAPI:boss"};
    EXPECT_EQ(basNetAlert(withMapi.head(), L"Scanner", L"Virus found", nullptr), 0u);
    EXPECT_EQ(server.connections(), 2);
}

// With every address left out the mail reaches nobody: it fails as when
// the server refuses every recipient, without a connection.
TEST_F(Alert, SmtpWithEveryAddressLeftOutFails) {
    RefusingServer server;
    ASSERT_NE(server.port(), 0);
    tree.setIni(L"Communication", L"SMTPServer", L"127.0.0.1");
    tree.setIni(L"Communication", L"SMTPPort", std::to_wstring(server.port()).c_str());
    tree.setIni(L"Communication", L"SMTPFrom", L"alerts@example.org");
    SetEnvironmentVariableW(L"ELK_TEST_RCPT", L"x@example.org\r\nDATA");
    const std::vector<std::wstring> rows[] = {
        /* 0 */ {L"SMTP:evil@example.org\r\nDATA"},
        /* 1 */ {L"SMTP:%ELK_TEST_RCPT%"},
        /* 2 */ {L"SMTP:" + std::wstring(231, L'l') + L"@example.org;<a@example.org>"},
        /* 3 a text that names nobody adds no one */ {L"SMTP:a b@example.org", L"SMTP:;"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Recipients recipients(rows[i]);
        EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), ELK_E_SMTP) << "row " << i;
    }
    EXPECT_EQ(server.connections(), 0);
    // The other channels still go.
    Recipients withPopup{L"SMTP:a b@example.org", L"current"};
    EXPECT_EQ(basNetAlert(withPopup.head(), L"Scanner", L"Virus found", nullptr), ELK_E_SMTP);
    EXPECT_EQ(popups(), popup(basGetComputerName(), L"Scanner", L"Virus found"));
}

TEST_F(Alert, SmtpSettingsThatCannotBeUsedAreReported) {
    RefusingServer server;
    ASSERT_NE(server.port(), 0);
    const std::wstring port = std::to_wstring(server.port());
    tree.setIni(L"Communication", L"SMTPServer", L"127.0.0.1");
    tree.setIni(L"Communication", L"SMTPUserName", L"alerter");
    const struct {
        const wchar_t* password;
        std::wstring port;
    } rows[] = {
        /* 0 a lone character before the pad */ {L"b?Q===", port},
        /* 1 Base64 cut short */ {L"b?cw", port},
        /* 2 */ {L"secret", L"70000"},
        /* 3 */ {L"secret", L"0"},
        /* 4 */ {L"secret", L"-25"},
    };
    Recipients recipients{L"SMTP:admin@example.org"};
    for (size_t i = 0; i < std::size(rows); ++i) {
        tree.setIni(L"Communication", L"SMTPUserPassword", rows[i].password);
        tree.setIni(L"Communication", L"SMTPPort", rows[i].port.c_str());
        EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), DWORD(ERROR_INVALID_DATA))
            << "row " << i;
    }
    EXPECT_EQ(server.connections(), 0) << "a mail went out with settings that could not be read";
    // "B?" is not the marker of this value: it is a plain password.
    tree.setIni(L"Communication", L"SMTPUserPassword", L"B?***");
    tree.setIni(L"Communication", L"SMTPPort", port.c_str());
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), ELK_E_GENERAL);
    EXPECT_EQ(server.connections(), 1);
}

// Without a server name the mail has nowhere to go: an empty name must not
// be looked up as this machine's own (whose server would then get the mail).
TEST_F(Alert, SmtpWithoutServerIsReported) {
    RefusingServer server;
    ASSERT_NE(server.port(), 0);
    tree.setIni(L"Communication", L"SMTPPort", std::to_wstring(server.port()).c_str());
    tree.setIni(L"Communication", L"SMTPFrom", L"alerts@example.org");
    const wchar_t* rows[] = {/* 0 missing */ nullptr, /* 1 */ L"", /* 2 blanks, which the INI file drops */ L"   "};
    for (size_t i = 0; i < std::size(rows); ++i) {
        tree.setIni(L"Communication", L"SMTPServer", rows[i]);
        Recipients recipients{L"SMTP:admin@example.org"};
        EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), ELK_E_INI_VALUE_EMPTY)
            << "row " << i;
    }
    EXPECT_EQ(server.connections(), 0);
    // The same settings with a server name: the mail goes out.
    tree.setIni(L"Communication", L"SMTPServer", L"127.0.0.1");
    Recipients recipients{L"SMTP:admin@example.org"};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), ELK_E_GENERAL);
    EXPECT_EQ(server.connections(), 1);
}

TEST_F(Alert, SmtpPortDefaultsTo25) {
    RefusingServer server(25);
    if (server.port() != 25) GTEST_SKIP() << "cannot listen on port 25 here";
    tree.setIni(L"Communication", L"SMTPServer", L"127.0.0.1");
    Recipients recipients{L"SMTP:admin@example.org"};
    EXPECT_EQ(basNetAlert(recipients.head(), L"Scanner", L"Virus found", nullptr), ELK_E_GENERAL);
    EXPECT_EQ(server.connections(), 1);
}

}  // namespace
