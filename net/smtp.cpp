// smtpSendMail: the socket, the files and the text conversions around the
// portable dialogue of net/core/smtp_session.
#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <new>

#include "base/handles.h"
#include "base/suite/ozrCmnOS.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "net/core/smtp_mime.h"
#include "net/core/smtp_session.h"
#include "net/watchdog.h"

namespace elk::net {

namespace {

using smtp::Mail;

// A text copy made by the suite's OS layer, released whatever happens.
class SuiteText {
public:
    SuiteText() = default;
    SuiteText(const SuiteText&) = delete;
    SuiteText& operator=(const SuiteText&) = delete;
    ~SuiteText() { dep_strFreeString(text_); }
    // False when a text that exists could not be converted.
    bool normal(const wchar_t* text) { return assign(text, dep_strUnicodeToNewNormal(text, -1)); }
    bool utf8(const wchar_t* text) { return assign(text, dep_strCurrToNewUtf8(text, -1)); }
    const char* get() const { return text_; }
    explicit operator bool() const { return text_ != nullptr; }

private:
    bool assign(const wchar_t* source, char* copy) {
        dep_strFreeString(text_);
        text_ = copy;
        return !source || copy;
    }
    char* text_ = nullptr;
};


class File : public smtp::AttachmentFile {
public:
    File(HANDLE h, ULONGLONG size) : h_(h), size_(size) {}
    std::uint64_t size() override { return size_; }
    std::size_t read(unsigned char* at, std::size_t n) override {
        DWORD got = 0;
        if (!ReadFile(h_.get(), at, static_cast<DWORD>(n), &got, nullptr)) return 0;
        return got;
    }

private:
    UniqueFile h_;
    ULONGLONG size_;
};

class SocketTransport : public smtp::Transport {
public:
    explicit SocketTransport(SOCKET s) : s_(s) {}

    std::uint32_t send(std::string_view piece) override {
        return tcpSend(s_, piece.data(), static_cast<int>(piece.size()), 0);
    }

    std::uint32_t receive(char* at, std::size_t room, std::size_t* received) override {
        DWORD status = 0;
        int slot = registerCall(s_, &status);
        if (slot == kNoSlot) return status;
        int n = recv(s_, at, static_cast<int>(room), 0);
        DWORD error = n == SOCKET_ERROR ? WSAGetLastError() : 0;
        // A reply that never came reads as a timeout, not as the server's close.
        if (releaseCall(slot) && n <= 0) return smtp::kTimedOut;
        if (n == SOCKET_ERROR) return error;
        *received = static_cast<std::size_t>(n);
        return 0;
    }

    std::unique_ptr<smtp::AttachmentFile> open(std::u16string_view path) override {
        std::u16string terminated(path);
        HANDLE h = CreateFileW(wide(terminated.c_str()), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        if (h == INVALID_HANDLE_VALUE) return nullptr;
        UniqueFile owner(h);
        // The whole 64-bit size: a 32-bit one would cut files of 4 GB and more.
        LARGE_INTEGER size;
        if (!GetFileSizeEx(h, &size)) return nullptr;
        auto file = std::make_unique<File>(owner.release(), static_cast<ULONGLONG>(size.QuadPart));
        return file;
    }

    // File names in the process's current locale, as the C runtime converts
    // them; a character it cannot convert becomes '?'.
    std::string narrow(std::u16string_view text) override {
        std::string out;
        char bytes[MB_LEN_MAX];
        for (char16_t c : text) {
            int n = std::wctomb(bytes, static_cast<wchar_t>(c));
            if (n <= 0)
                out += '?';
            else
                out.append(bytes, static_cast<std::size_t>(n));
        }
        return out;
    }

private:
    SOCKET s_;
};

std::string localHostName() {
    char name[101] = {};
    if (gethostname(name, 100) != 0 || name[0] == '\0') return "localhost";
    name[100] = '\0';
    return name;
}

std::string dateLine() {
    std::time_t now = std::time(nullptr);
    if (now == static_cast<std::time_t>(-1)) return {};
    // The C runtime keeps one result per thread for both calls: copy each.
    const std::tm* local = std::localtime(&now);
    if (!local) return {};
    std::tm localCopy = *local;
    const std::tm* utc = std::gmtime(&now);
    if (!utc) return {};
    return smtp::dateLine(localCopy, *utc);
}

// 0 with the server's address, or 11001.
DWORD resolve(const char* server, in_addr* address) {
    address->s_addr = INADDR_NONE;
    if (server[0] >= '0' && server[0] <= '9') {
        address->s_addr = inet_addr(server);
    } else if (hostent* host = gethostbyname(server)) {
        if (host->h_length == 4 && host->h_addr_list && host->h_addr_list[0])
            CopyMemory(&address->s_addr, host->h_addr_list[0], 4);
    }
    return address->s_addr == INADDR_NONE ? WSAHOST_NOT_FOUND : 0;
}

DWORD sendMail(const SmtpMessage* m) {
    if (!m || !m->to || !m->from || !m->server || (!m->htmlMode && !m->text)) return ERROR_INVALID_PARAMETER;
    bool authenticate = m->userName && m->userName[0];
    if (authenticate && !m->password) return ERROR_INVALID_PARAMETER;

    SuiteText from, server, user, password, subject, headers, contentType, text, html;
    if (!from.normal(m->from) || !server.normal(m->server) || !headers.normal(m->headers) ||
        !contentType.normal(m->contentType))
        return ERROR_NOT_ENOUGH_MEMORY;
    if (authenticate && (!user.normal(m->userName) || !password.normal(m->password))) return ERROR_NOT_ENOUGH_MEMORY;

    Mail mail;
    mail.envelope.from = from.get();
    for (const wchar_t* entry = m->to; *entry; entry += wcslen(entry) + 1) {
        SuiteText copy;
        if (!copy.normal(entry)) return ERROR_NOT_ENOUGH_MEMORY;
        smtp::splitAddresses(copy.get(), mail.envelope.recipients);
    }
    if (authenticate) {
        mail.envelope.user = user.get();
        mail.envelope.password = password.get();
    }
    // Nothing goes on the wire before every field is known to fit its line.
    if (DWORD rc = smtp::checkEnvelope(mail.envelope)) return rc;

    if (m->subject && m->subject[0]) {
        if (subject.utf8(m->subject))
            mail.subjectUtf8 = true;
        else if (!subject.normal(m->subject))
            return ERROR_NOT_ENOUGH_MEMORY;
        mail.subject = subject.get();
    }
    if (headers) mail.headers = headers.get();
    if (contentType) mail.contentType = contentType.get();
    mail.htmlMode = m->htmlMode != 0;
    if (!mail.htmlMode) {
        if (!text.utf8(m->text) && !text.normal(m->text)) return ERROR_NOT_ENOUGH_MEMORY;
        mail.text = text.get();
    }
    // The HTML part is declared UTF-8, so it is sent as UTF-8 like the text.
    if (m->html) {
        if (!html.utf8(m->html) && !html.normal(m->html)) return ERROR_NOT_ENOUGH_MEMORY;
        mail.html = html.get();
    }
    if (m->attachments)
        for (const wchar_t* path = m->attachments; *path; path += wcslen(path) + 1)
            mail.attachments.emplace_back(u16(path));
    mail.dateLine = dateLine();

    in_addr address;
    if (DWORD rc = resolve(server.get(), &address)) return rc;
    mail.hostName = localHostName();
    UniqueSocket s(socket(AF_INET, SOCK_STREAM, 0));
    if (!s) return GetLastError();
    sockaddr_in peer = {};
    peer.sin_family = AF_INET;
    peer.sin_port = htons(m->port);
    peer.sin_addr = address;
    if (DWORD rc = tcpConnect(s.get(), reinterpret_cast<const sockaddr*>(&peer), sizeof peer)) return rc;
    SocketTransport transport(s.get());
    return smtp::Session(transport, mail).run();
}

}  // namespace

}  // namespace elk::net

extern "C" DWORD WINAPI smtpSendMail(const SmtpMessage* message) {
    try {
        return elk::net::sendMail(message);
    } catch (const std::bad_alloc&) {
        return ERROR_NOT_ENOUGH_MEMORY;
    } catch (...) {
        return ELK_E_SMTP;
    }
}
