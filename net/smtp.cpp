// smtpSendMail: the socket, the files and the text conversions around the
// portable dialogue of net/core/smtp_session.
#include <winsock2.h>
#include <windows.h>

#include <cstdlib>
#include <ctime>
#include <new>
#include <utility>

#include "base/handles.h"
#include "base/wide.h"
#include "include/elkBase.h"
#include "net/address.h"
#include "net/core/smtp_mime.h"
#include "net/core/smtp_session.h"
#include "net/text_copies.h"
#include "net/watchdog.h"

namespace elk::net {

namespace {

using smtp::Mail;

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

    // One deadline for the whole reply: the socket stays in the watchdog's
    // table from the first receive to the final line, so a server that
    // dribbles a byte at a time is broken like a silent one.
    std::uint32_t awaitReply(char* buffer, std::size_t size) override {
        std::uint32_t rc = 0;
        bool broken = false;
        DWORD status = watched(
            s_,
            [&]() -> DWORD {
                rc = smtp::readReply(*this, buffer, size);
                return 0;
            },
            &broken);
        if (status) return status;
        // Whatever the receives made of the broken socket, the reply never came.
        return broken ? kStatusTimeout : rc;
    }

    // Within awaitReply only, which watches the socket.
    std::uint32_t receive(char* at, std::size_t room, std::size_t* received) override {
        int n = recv(s_, at, static_cast<int>(room), 0);
        if (n == SOCKET_ERROR) return WSAGetLastError();
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

// True when a text that exists could not be copied.
bool lost(const wchar_t* source, const UniqueSuiteText& copy) { return source && !copy; }

// The UTF-8 copy, or the 8-bit one when that cannot be had.
UniqueSuiteText utf8OrNarrow(const wchar_t* text) {
    UniqueSuiteText copy = utf8Copy(text);
    return copy ? std::move(copy) : narrowCopy(text);
}

DWORD sendMail(const SmtpMessage* m) {
    if (!m || !m->to || !m->from || !m->server || (!m->htmlMode && !m->text)) return ERROR_INVALID_PARAMETER;
    bool authenticate = m->userName && m->userName[0];
    if (authenticate && !m->password) return ERROR_INVALID_PARAMETER;

    UniqueSuiteText from = narrowCopy(m->from), server = narrowCopy(m->server), headers = narrowCopy(m->headers),
                    contentType = narrowCopy(m->contentType), user, password, subject, text, html;
    if (lost(m->from, from) || lost(m->server, server) || lost(m->headers, headers) ||
        lost(m->contentType, contentType))
        return ERROR_NOT_ENOUGH_MEMORY;
    if (authenticate) {
        user = narrowCopy(m->userName);
        password = narrowCopy(m->password);
        if (!user || !password) return ERROR_NOT_ENOUGH_MEMORY;
    }

    Mail mail;
    mail.envelope.from = from.get();
    for (const wchar_t* entry = m->to; *entry; entry += wcslen(entry) + 1) {
        UniqueSuiteText copy = narrowCopy(entry);
        if (!copy) return ERROR_NOT_ENOUGH_MEMORY;
        smtp::splitAddresses(copy.get(), mail.envelope.recipients);
    }
    if (authenticate) {
        mail.envelope.user = user.get();
        mail.envelope.password = password.get();
    }
    // Nothing goes on the wire before every field is known to fit its line.
    if (DWORD rc = smtp::checkEnvelope(mail.envelope)) return rc;

    if (m->subject && m->subject[0]) {
        subject = utf8Copy(m->subject);
        if (subject)
            mail.subjectUtf8 = true;
        else if (!(subject = narrowCopy(m->subject)))
            return ERROR_NOT_ENOUGH_MEMORY;
        mail.subject = subject.get();
    }
    if (headers) mail.headers = headers.get();
    if (contentType) mail.contentType = contentType.get();
    mail.htmlMode = m->htmlMode != 0;
    if (!mail.htmlMode) {
        text = utf8OrNarrow(m->text);
        if (!text) return ERROR_NOT_ENOUGH_MEMORY;
        mail.text = text.get();
    }
    // The HTML part is declared UTF-8, so it is sent as UTF-8 like the text.
    if (m->html) {
        html = utf8OrNarrow(m->html);
        if (!html) return ERROR_NOT_ENOUGH_MEMORY;
        mail.html = html.get();
    }
    if (m->attachments)
        for (const wchar_t* path = m->attachments; *path; path += wcslen(path) + 1)
            mail.attachments.emplace_back(u16(path));
    mail.dateLine = dateLine();

    in_addr address;
    if (DWORD rc = resolveServer(server.get(), &address)) return rc;
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
