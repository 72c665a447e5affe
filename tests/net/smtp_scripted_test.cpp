// The SMTP client against a scripted server: the dialogue on the wire
// compared with the expected transcript, and the failures of each step.
#include <algorithm>
#include <regex>

#include "tests/net/loopback.h"
#include "tests/net/scripted_server.h"
#include "tests/net/smtp_mail.h"

namespace {

using elktest::MailFields;
using elktest::secondsSince;
using S = elktest::ScriptedServer;
using Script = std::vector<S::Step>;
using namespace std::string_literals;

const std::string B = "------=_NextPart_tarvo!_mail_system_AA_BB_CC_DD_EE_FF\r\n";

std::string hostName() {
    char name[256] = {};
    gethostname(name, sizeof name);
    return name;
}

// Greeting to DATA's reply for a mail without authentication and one recipient.
Script plainStart() {
    return {S::send("220 scripted ESMTP\r\n"), S::line(), S::send("250 hello\r\n"), S::line(),
            S::send("250 sender ok\r\n"), S::line(), S::send("250 rcpt ok\r\n")};
}

// DATA to QUIT, all accepted.
Script dataToQuit() {
    return {S::line(), S::send("354 go ahead\r\n"), S::data(), S::send("250 queued\r\n"), S::line(),
            S::send("221 bye\r\n")};
}

Script operator+(Script a, const Script& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class SmtpScripted : public elktest::NetLibrary {
protected:
    struct Outcome {
        DWORD status;
        std::string transcript;
        double seconds;
    };
    Outcome run(const Script& script, MailFields mail) {
        S server(script);
        mail.port = server.port();
        ULONGLONG start = GetTickCount64();
        DWORD status = mail.send();
        double took = secondsSince(start);
        return {status, server.transcript(), took};
    }
    std::wstring writeFile(const std::wstring& name, const std::string& bytes) {
        std::wstring path = tree.root() + L"\\" + name;
        EXPECT_TRUE(elktest::writeFile(path, bytes));
        return path;
    }
    const std::string host = hostName();
};

TEST_F(SmtpScripted, WholeMailByteForByte) {
    MailFields mail;
    mail.to = L"first@example.com;second@example.com\0third@example.com\0"s;
    mail.subject = L"Alert";
    mail.headers = L"X-Priority: 1\r\n";
    mail.text = L"Line one\r\n.\r\nlone LF\nlone CR\r..dots\r\nGr\u00fc\u00dfe";
    mail.html = L"<p>Gr\u00fc\u00dfe</p>\n.\n";
    mail.attachments = writeFile(L"empty.bin", "") + L'\0' + writeFile(L"a57.bin", std::string(57, 'a')) + L'\0' +
                       tree.root() + L"\\missing.bin" + L'\0' + writeFile(L"a58.bin", std::string(58, 'a')) + L'\0';
    Outcome o = run(plainStart() + Script{S::line(), S::send("250 ok\r\n"), S::line(), S::send("250 ok\r\n")} +
                        dataToQuit(),
                    mail);
    EXPECT_EQ(o.status, 0u);
    std::string attachment = "Content-Type: application/octet-stream;\r\n\tname=\"%\"\r\n"
                             "Content-Transfer-Encoding: base64\r\nContent-Disposition: attachment;\r\n"
                             "\tfilename=\"%\"\r\n\r\n";
    auto named = [&](const std::string& name) {
        return std::regex_replace(attachment, std::regex("%"), name);
    };
    const std::string line57 = "YWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFhYWFh";
    const std::string expected =
        "HELO " + host + "\r\n" +
        "MAIL FROM: <sender@example.com>\r\n"
        "RCPT TO: <first@example.com>\r\n"
        "RCPT TO: <second@example.com>\r\n"
        "RCPT TO: <third@example.com>\r\n"
        "DATA\r\n"
        "From: sender@example.com\r\n"
        "To: third@example.com, second@example.com, first@example.com\r\n"
        "Subject: =?UTF-8?b?QWxlcnQ=?=\r\n"
        "X-Priority: 1\r\n"
        "Date: *\r\n"
        "MIME-Version: 1.0\r\nContent-Type: multipart/mixed;\r\n"
        "\tboundary=\"----=_NextPart_tarvo!_mail_system_AA_BB_CC_DD_EE_FF\"\r\n\r\n"
        "This is a multi-part message in MIME format.\r\n\r\n" +
        B + "Content-Type: text/plain;\r\n\tcharset=\"utf-8\"\r\nContent-Transfer-Encoding: 8bit\r\n\r\n" +
        "Line one\r\n..\r\nlone LF\r\nlone CR\r\n...dots\r\nGr\xC3\xBC\xC3\x9F" "e\r\n" +
        B + "Content-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n\r\n" + "<p>Gr\xC3\xBC\xC3\x9F" "e</p>\r\n..\r\n\r\n" +
        B + named("empty.bin") + "\r\n\r\n" +
        B + named("a57.bin") + line57 + "\r\n\r\n" +
        B + named("a58.bin") + line57 + "\r\nYQ==" + "\r\n\r\n" +
        "------=_NextPart_tarvo!_mail_system_AA_BB_CC_DD_EE_FF--\r\n"
        "\r\n.\r\n"
        "QUIT\r\n";
    std::smatch date;
    ASSERT_TRUE(std::regex_search(o.transcript, date,
                                  std::regex("\r\nDate: (Sun|Mon|Tue|Wed|Thu|Fri|Sat), [1-9][0-9]? "
                                             "(Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) 2[0-9]{3} "
                                             "[0-2][0-9]:[0-5][0-9]:[0-6][0-9] [+-][01][0-9][0-5][0-9]\r\n")))
        << o.transcript;
    std::string masked = std::regex_replace(o.transcript, std::regex("\r\nDate: [^\r]*\r\n"), "\r\nDate: *\r\n");
    EXPECT_EQ(masked, expected);
}

// A subject longer than one encoded word goes out as several, each on a
// folded line of its own; the header fields around it stay as they were.
TEST_F(SmtpScripted, LongSubjectIsFolded) {
    MailFields mail;
    mail.subject = std::wstring(50, L'A');
    Outcome o = run(plainStart() + dataToQuit(), mail);
    EXPECT_EQ(o.status, 0u);
    EXPECT_NE(o.transcript.find("\r\nTo: rcpt@example.com\r\n"
                                "Subject: =?UTF-8?b?QUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFBQUFB?=\r\n"
                                " =?UTF-8?b?QUFBQUFBQUE=?=\r\n"
                                "Date: "),
              std::string::npos)
        << o.transcript;
}

// The header lines of the mail, unfolded: each CR LF that a blank follows taken out.
std::vector<std::string> headerOf(const std::string& transcript, std::vector<std::string>* physical = nullptr) {
    size_t start = transcript.find("DATA\r\n") + 6, end = transcript.find("\r\n\r\n", start);
    std::vector<std::string> lines;
    for (size_t at = start; at < end + 2;) {
        size_t next = transcript.find("\r\n", at);
        std::string line = transcript.substr(at, next - at);
        if (physical) physical->push_back(line);
        if (!lines.empty() && (line[0] == ' ' || line[0] == '\t'))
            lines.back() += line;
        else
            lines.push_back(line);
        at = next + 2;
    }
    return lines;
}

// 70 recipients of 24 characters: one To line would be 1,672 bytes, which
// servers refuse; it is folded after its commas into lines of at most 78.
TEST_F(SmtpScripted, ManyRecipientsFoldTheToLine) {
    MailFields mail;
    mail.to.clear();
    Script script = {S::send("220 hi\r\n"), S::line(), S::send("250 hello\r\n"), S::line(), S::send("250 ok\r\n")};
    std::string to = "To: ";
    for (int i = 0; i < 70; ++i) {
        std::wstring address = L"recipient" + std::to_wstring(1000 + i) + L"@x.example";
        mail.to += address + L'\0';
        script.push_back(S::line());
        script.push_back(S::send("250 ok\r\n"));
        to.insert(4, std::string(address.begin(), address.end()) + (i ? ", " : ""));
    }
    Outcome o = run(script + dataToQuit(), mail);
    EXPECT_EQ(o.status, 0u);
    std::vector<std::string> physical;
    std::vector<std::string> header = headerOf(o.transcript, &physical);
    EXPECT_NE(std::find(header.begin(), header.end(), to), header.end()) << o.transcript;
    for (const std::string& line : physical) EXPECT_LE(line.size(), 78u) << line;
}

// A part with a line over 998 bytes goes quoted-printable, declared so; a
// line of exactly 998 keeps the part as it is.
TEST_F(SmtpScripted, OverlongLinesGoQuotedPrintable) {
    MailFields mail;
    mail.text = std::wstring(998, L'a') + L"\r\nb";
    mail.html = L"<p>" + std::wstring(1000, L'h') + L" </p> ";
    Outcome o = run(plainStart() + dataToQuit(), mail);
    EXPECT_EQ(o.status, 0u);
    EXPECT_NE(o.transcript.find(B + "Content-Type: text/plain;\r\n\tcharset=\"utf-8\"\r\n"
                                    "Content-Transfer-Encoding: 8bit\r\n\r\n" +
                                std::string(998, 'a') + "\r\nb\r\n" + B),
              std::string::npos);
    std::string html = "<p>" + std::string(72, 'h') + "=\r\n";
    for (int i = 0; i < 12; ++i) html += std::string(75, 'h') + "=\r\n";
    html += std::string(28, 'h') + " </p>=20";
    EXPECT_NE(o.transcript.find(B + "Content-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n"
                                    "Content-Transfer-Encoding: quoted-printable\r\n\r\n" +
                                html + "\r\n" + "------=_NextPart"),
              std::string::npos)
        << o.transcript;
}

TEST_F(SmtpScripted, HtmlModeSendsInlineImages) {
    CreateDirectoryW((tree.root() + L"\\img").c_str(), nullptr);
    MailFields mail;
    mail.htmlMode = 1;
    mail.nullText = true;
    mail.subject = L"";
    mail.contentType = L"multipart/related";
    mail.html = L"<img src=\"cid:@12xAB@.gif\">";
    mail.attachments = writeFile(L"img\\{12-AB}.gif", "GIF") + L'\0' + writeFile(L"img\\page.html", "<p>") + L'\0' +
                       writeFile(L"img\\logo", "PNG") + L'\0';
    Outcome o = run(plainStart() + dataToQuit(), mail);
    EXPECT_EQ(o.status, 0u);
    const std::string body = "Subject: \r\n" "Date: *\r\n"
        "MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n"
        "\tboundary=\"----=_NextPart_tarvo!_mail_system_AA_BB_CC_DD_EE_FF\"\r\n\r\n"
        "This is a multi-part message in MIME format.\r\n\r\n" +
        B + "Content-Type: text/html;\r\n\tcharset=\"utf-8\"\r\n\r\n<img src=\"cid:@12xAB@.gif\">\r\n" +
        B + "Content-Type: image/gif;\r\n\tname=\"@12xAB@.gif\"\r\nContent-ID: <@12xAB@.gif>\r\n"
            "Content-Transfer-Encoding: base64\r\nContent-Disposition: inline\r\n\r\nR0lG\r\n\r\n" +
        B + "Content-Type: image/png;\r\n\tname=\"logo\"\r\nContent-ID: <logo>\r\n"
            "Content-Transfer-Encoding: base64\r\nContent-Disposition: inline\r\n\r\nUE5H\r\n\r\n" +
        "------=_NextPart_tarvo!_mail_system_AA_BB_CC_DD_EE_FF--\r\n\r\n.\r\nQUIT\r\n";
    std::string masked = std::regex_replace(o.transcript, std::regex("\r\nDate: [^\r]*\r\n"), "\r\nDate: *\r\n");
    size_t at = masked.find("Subject: ");
    ASSERT_NE(at, std::string::npos) << o.transcript;
    EXPECT_EQ(masked.substr(at), body);
}

TEST_F(SmtpScripted, AuthenticationChoices) {
    const std::string ehlo = "EHLO " + host + "\r\n";
    const std::string helo = "HELO " + host + "\r\n";
    const std::string plain = "AUTH PLAIN\r\nAHVzZXIAc2VjcmV0\r\n";
    const std::string login = "AUTH LOGIN\r\ndXNlcg==\r\nc2VjcmV0\r\n";
    const std::string mailFrom = "MAIL FROM: <sender@example.com>\r\n";
    const Script rest = Script{S::line(), S::send("250 sender ok\r\n"), S::line(), S::send("250 rcpt ok\r\n")} +
                        dataToQuit();
    const Script greet = {S::send("220 scripted ESMTP\r\n"), S::line()};
    const struct {
        Script script;
        std::string start;  // the transcript up to and including MAIL FROM
    } rows[] = {
        /* 0 PLAIN and LOGIN offered, the reply split across packets and lines */
        {greet + Script{S::sendSplit({"250-mail.example\r\n250-AU", "TH LOGIN PLAIN\r\n250-SIZE 1000\r", "\n250 HELP\r\n"}),
                        S::line(), S::send("334 \r\n"), S::line(), S::send("235 2.7.0 accepted\r\n")} + rest,
         ehlo + plain + mailFrom},
        /* 1 LOGIN only */
        {greet + Script{S::send("250-mail.example\r\n250 AUTH LOGIN\r\n"), S::line(), S::send("334 VXNlcm5hbWU6\r\n"),
                        S::line(), S::send("334 UGFzc3dvcmQ6\r\n"), S::line(), S::send("235 accepted\r\n")} + rest,
         ehlo + login + mailFrom},
        /* 2 no AUTH line: HELO and no authentication */
        {greet + Script{S::send("250-mail.example\r\n250 8BITMIME\r\n"), S::line(), S::send("250 hello\r\n")} + rest,
         ehlo + helo + mailFrom},
        /* 3 refused credentials: HELO and on without them */
        {greet + Script{S::send("250 AUTH PLAIN\r\n"), S::line(), S::send("334 \r\n"), S::line(),
                        S::send("535 5.7.8 bad credentials\r\n"), S::line(), S::send("250 hello\r\n")} + rest,
         ehlo + plain + helo + mailFrom},
        /* 4 a mechanism the client lacks */
        {greet + Script{S::send("250 AUTH CRAM-MD5\r\n"), S::line(), S::send("250 hello\r\n")} + rest,
         ehlo + helo + mailFrom},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        MailFields mail;
        mail.userName = L"user";
        mail.password = L"secret";
        Outcome o = run(rows[i].script, mail);
        EXPECT_EQ(o.status, 0u) << "row " << i;
        EXPECT_EQ(o.transcript.substr(0, rows[i].start.size()), rows[i].start) << "row " << i;
        EXPECT_NE(o.transcript.find("\r\n.\r\nQUIT\r\n"), std::string::npos) << "row " << i;
    }
}

TEST_F(SmtpScripted, RefusedRecipients) {
    MailFields mail;
    mail.to = L"first@x;second@x;third@x\0"s;
    Script greetToMail = {S::send("220 hi\r\n"), S::line(), S::send("250 hello\r\n"), S::line(), S::send("250 ok\r\n")};
    // One refused: left out of the To line, the mail goes on.
    Outcome some = run(greetToMail + Script{S::line(), S::send("250 ok\r\n"), S::line(), S::send("550 no such user\r\n"),
                                            S::line(), S::send("250 ok\r\n")} + dataToQuit(),
                       mail);
    EXPECT_EQ(some.status, 0u);
    EXPECT_NE(some.transcript.find("\r\nTo: third@x, first@x\r\n"), std::string::npos) << some.transcript;
    // All refused: no DATA, no QUIT.
    Outcome none = run(greetToMail + Script{S::line(), S::send("550 no\r\n"), S::line(), S::send("550 no\r\n"),
                                            S::line(), S::send("551 no\r\n")},
                       mail);
    EXPECT_EQ(none.status, ELK_E_SMTP);
    EXPECT_EQ(none.transcript, "HELO " + host + "\r\nMAIL FROM: <sender@example.com>\r\nRCPT TO: <first@x>\r\n"
                               "RCPT TO: <second@x>\r\nRCPT TO: <third@x>\r\n");
}

// Replies of a bare code without text, with authentication so that the
// multi-line EHLO reply is ended by one too; the watchdog would break a wait
// that missed any of them (2 s here).
TEST_F(SmtpScripted, BareReplyCodes) {
    MailFields mail;
    mail.userName = L"user";
    mail.password = L"secret";
    Outcome o = run({S::send("220\r\n"), S::line(), S::send("250-mail.example\r\n250-AUTH PLAIN\r\n250\r\n"),
                     S::line(), S::send("334\r\n"), S::line(), S::send("235\r\n"), S::line(), S::send("250\n"),
                     S::line(), S::send("250\r\n"), S::line(), S::send("354\r\n"), S::data(), S::send("250\r\n"),
                     S::line(), S::send("221\r\n")},
                    mail);
    EXPECT_EQ(o.status, 0u);
    EXPECT_LT(o.seconds, 1.5);
    const std::string start = "EHLO " + host + "\r\nAUTH PLAIN\r\nAHVzZXIAc2VjcmV0\r\n"
                              "MAIL FROM: <sender@example.com>\r\nRCPT TO: <rcpt@example.com>\r\nDATA\r\n";
    EXPECT_EQ(o.transcript.substr(0, start.size()), start) << o.transcript;
    const std::string end = "\r\n.\r\nQUIT\r\n";
    ASSERT_GE(o.transcript.size(), end.size());
    EXPECT_EQ(o.transcript.substr(o.transcript.size() - end.size()), end);
}

TEST_F(SmtpScripted, UnexpectedReplyEndsTheDialogue) {
    const std::string helo = "HELO " + host + "\r\n";
    const std::string upToData = helo + "MAIL FROM: <sender@example.com>\r\nRCPT TO: <rcpt@example.com>\r\nDATA\r\n";
    const struct {
        Script script;
        std::string transcript;  // "" when only a prefix is checked
        std::string ends;        // what the transcript ends with
    } rows[] = {
        /* 0 greeting */ {{S::send("554 go away\r\n")}, "", ""},
        /* 1 HELO */ {{S::send("220 hi\r\n"), S::line(), S::send("501 bad\r\n")}, helo, ""},
        /* 2 MAIL FROM */
        {{S::send("220 hi\r\n"), S::line(), S::send("250 x\r\n"), S::line(), S::send("451 later\r\n")},
         helo + "MAIL FROM: <sender@example.com>\r\n", ""},
        /* 3 DATA */ {plainStart() + Script{S::line(), S::send("250 not 354\r\n")}, upToData, ""},
        /* 4 end of data */
        {plainStart() + Script{S::line(), S::send("354 go\r\n"), S::data(), S::send("552 too big\r\n")}, "",
         "--\r\n\r\n.\r\n"},
        /* 5 QUIT */ {plainStart() + Script{S::line(), S::send("354 go\r\n"), S::data(), S::send("250 ok\r\n"),
                                            S::line(), S::send("500 what\r\n")},
                      "", "\r\n.\r\nQUIT\r\n"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Outcome o = run(rows[i].script, MailFields{});
        EXPECT_EQ(o.status, ELK_E_GENERAL) << "row " << i;
        if (!rows[i].transcript.empty() || rows[i].ends.empty()) {
            EXPECT_EQ(o.transcript, rows[i].transcript) << "row " << i;
        }
        if (!rows[i].ends.empty()) {
            ASSERT_GE(o.transcript.size(), rows[i].ends.size()) << "row " << i;
            EXPECT_EQ(o.transcript.substr(o.transcript.size() - rows[i].ends.size()), rows[i].ends) << "row " << i;
        }
    }
}

std::vector<std::string> dribble(const std::string& text) {
    std::vector<std::string> bytes;
    for (char c : text) bytes.emplace_back(1, c);
    return bytes;
}

TEST_F(SmtpScripted, BrokenConversations) {
    MailFields ehloMail;
    ehloMail.userName = L"user";
    ehloMail.password = L"secret";
    std::string longEhlo;
    for (int i = 0; i < 60; ++i) longEhlo += "250-EXTENSION-NUMBER-" + std::to_string(i) + "\r\n";
    const struct {
        Script script;
        MailFields mail;
        DWORD status;
        double atMost;  // seconds
    } rows[] = {
        /* 0 closed in the middle of a multi-line reply */
        {{S::send("220 hi\r\n"), S::line(), S::send("250-partial\r\n"), S::close()}, MailFields{}, ELK_E_SMTP_CLOSED, 2},
        /* 1 closed before the greeting */ {{S::close()}, MailFields{}, ELK_E_SMTP_CLOSED, 2},
        /* 2 a greeting longer than the 256-byte buffer */
        {{S::send("220-" + std::string(300, 'x'))}, MailFields{}, ERROR_INSUFFICIENT_BUFFER, 2},
        /* 3 an EHLO reply longer than its 1024-byte buffer */
        {{S::send("220 hi\r\n"), S::line(), S::send(longEhlo + "250 AUTH PLAIN\r\n")}, ehloMail,
         ERROR_INSUFFICIENT_BUFFER, 2},
        /* 4 a server that says nothing: the watchdog (2 s here) breaks the wait */
        {{}, MailFields{}, ELK_E_SMTP_TIMEOUT, 4.5},
        /* 5 silent after the greeting */
        {{S::send("220 hi\r\n"), S::line()}, MailFields{}, ELK_E_SMTP_TIMEOUT, 4.5},
        /* 6 a greeting a byte every 50 ms (6 s in all): the limit holds for the whole reply */
        {{S::sendSplit(dribble("220 " + std::string(116, 'x') + "\r\n"))}, MailFields{}, ELK_E_SMTP_TIMEOUT, 4.5},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Outcome o = run(rows[i].script, rows[i].mail);
        EXPECT_EQ(o.status, rows[i].status) << "row " << i;
        EXPECT_LT(o.seconds, rows[i].atMost) << "row " << i;
        if (rows[i].status == ELK_E_SMTP_TIMEOUT) {
            EXPECT_GT(o.seconds, 1.9) << "row " << i;
        }
    }
}

// Refused before anything goes on the wire: the port has no listener, so a
// mail that got as far as connecting would fail with 10061 instead.
TEST_F(SmtpScripted, RefusedBeforeTheDialogue) {
    unsigned short port;
    SOCKET probe = elktest::listenLoopback(&port);
    closesocket(probe);
    auto with = [&](auto change) {
        MailFields m;
        m.port = port;
        m.userName = L"user";
        m.password = L"secret";
        change(m);
        return m;
    };
    const struct {
        MailFields mail;
        DWORD status;
    } rows[] = {
        /* 0 */ {with([](MailFields& m) { m.from = L"a@x>\r\nRCPT TO: <victim@x"; }), ERROR_INVALID_PARAMETER},
        /* 1 */ {with([](MailFields& m) { m.to = L"ok@x;b@x\nDATA\0"s; }), ERROR_INVALID_PARAMETER},
        /* 2 */ {with([](MailFields& m) { m.to = L"ok@x\0b@x\r\0"s; }), ERROR_INVALID_PARAMETER},
        /* 3 */ {with([](MailFields& m) { m.userName = L"user\r\nQUIT"; }), ERROR_INVALID_PARAMETER},
        /* 4 */ {with([](MailFields& m) { m.password = L"pass\n"; }), ERROR_INVALID_PARAMETER},
        /* 5 */ {with([](MailFields& m) { m.from = std::wstring(241, L'f'); }), ELK_E_SMTP_TOO_LONG},
        /* 6 */ {with([](MailFields& m) { m.to = L"ok@x;" + std::wstring(243, L'r') + L'\0'; }), ELK_E_SMTP_TOO_LONG},
        /* 7 */ {with([](MailFields& m) { m.password = std::wstring(184, L'p'); }), ELK_E_SMTP_TOO_LONG},
        /* 8 */ {with([](MailFields& m) { m.nullTo = true; }), ERROR_INVALID_PARAMETER},
        /* 9 */ {with([](MailFields& m) { m.nullFrom = true; }), ERROR_INVALID_PARAMETER},
        /* 10 */ {with([](MailFields& m) { m.nullServer = true; }), ERROR_INVALID_PARAMETER},
        /* 11 */ {with([](MailFields& m) { m.nullText = true; }), ERROR_INVALID_PARAMETER},
        /* 12 */ {with([](MailFields& m) { m.nullPassword = true; }), ERROR_INVALID_PARAMETER},
        /* 13 a digit-led name is not looked up */ {with([](MailFields& m) { m.server = L"1mail"; }), WSAHOST_NOT_FOUND},
        /* 14 */ {with([](MailFields& m) { m.server = L"no-such-host.invalid"; }), WSAHOST_NOT_FOUND},
        /* 15 the limits themselves fit */
        {with([](MailFields& m) {
             m.from = std::wstring(240, L'f');
             m.to = std::wstring(242, L'r') + L'\0';
             m.password = std::wstring(183, L'p');
         }),
         WSAECONNREFUSED},
        /* 16 control: everything fine, nobody listening */ {with([](MailFields&) {}), WSAECONNREFUSED},
        /* 17 ESMTP parameters smuggled into MAIL FROM */
        {with([](MailFields& m) { m.from = L"a@x.example> SIZE=1 BODY=8BITMIME AUTH=<victim@x"; }),
         ERROR_INVALID_PARAMETER},
        /* 18 and into a later RCPT */
        {with([](MailFields& m) { m.to = L"ok@x\0b@x> NOTIFY=SUCCESS,FAILURE ORCPT=rfc822;victim@x\0"s; }),
         ERROR_INVALID_PARAMETER},
        /* 19 */ {with([](MailFields& m) { m.to = L"ok@x;<b@x\0"s; }), ERROR_INVALID_PARAMETER},
        /* 20 */ {with([](MailFields& m) { m.from = L"a @x"; }), ERROR_INVALID_PARAMETER},
        /* 21 */ {with([](MailFields& m) { m.to = L"ok@x;b@x\t\0"s; }), ERROR_INVALID_PARAMETER},
        /* 22 */ {with([](MailFields& m) { m.from = L"a@x\x7f"; }), ERROR_INVALID_PARAMETER},
    };
    for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(rows[i].mail.send(), rows[i].status) << "row " << i;
    EXPECT_EQ(smtpSendMail(nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
