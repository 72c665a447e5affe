// Arbitrary server bytes against the SMTP client's reply reader, its EHLO
// parsing, the subject's encoded words, header folding, the text part's
// quoted-printable form and the whole dialogue. The first byte
// chooses how the bytes are cut into receives and whether the client
// authenticates.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "net/core/smtp_mime.h"
#include "net/core/smtp_reply.h"
#include "net/core/smtp_session.h"

namespace {

using namespace elk::smtp;

class ServerBytes : public Transport {
public:
    ServerBytes(const std::uint8_t* data, std::size_t size, std::size_t step)
        : data_(data), size_(size), step_(step) {}

    std::uint32_t receive(char* at, std::size_t room, std::size_t* received) override {
        std::size_t n = std::min({room, step_, size_ - offset_});
        std::memcpy(at, data_ + offset_, n);
        offset_ += n;
        *received = n;
        return 0;
    }
    std::uint32_t send(std::string_view piece) override {
        sent_ += piece.size();
        return 0;
    }
    std::unique_ptr<AttachmentFile> open(std::u16string_view) override {
        class Bytes : public AttachmentFile {
        public:
            std::uint64_t size() override { return 3000; }
            std::size_t read(unsigned char* at, std::size_t n) override {
                std::memset(at, 'z', n);
                return n;
            }
        };
        return std::make_unique<Bytes>();
    }
    std::string narrow(std::u16string_view text) override { return std::string(text.size(), 'n'); }
    void rewind() { offset_ = 0; }
    std::size_t offset() const { return offset_; }

private:
    const std::uint8_t* data_;
    std::size_t size_, offset_ = 0, step_;
    std::size_t sent_ = 0;
};

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Over the bytes themselves, which may hold NULs.
bool holdsFinalLine(const char* bytes, std::size_t size) {
    const char* stop = bytes + size;
    for (const char* line = bytes; const char* end = std::find(line, stop, '\n'); line = end + 1) {
        if (end == stop) return false;
        std::size_t length = static_cast<std::size_t>(end - line);
        if (length >= 4 && line[3] == ' ') return true;
        if (length > 0 && line[length - 1] == '\r') --length;
        if (length == 3 && isDigit(line[0]) && isDigit(line[1]) && isDigit(line[2])) return true;
    }
    return false;
}

bool endsWithLineEnd(const std::string& text) { return text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0; }

// The longest line between CR LF pairs (a lone CR or LF counts as text).
std::size_t longestLine(const std::string& text) {
    std::size_t longest = 0;
    for (std::size_t start = 0;;) {
        std::size_t end = text.find("\r\n", start);
        longest = std::max(longest, (end == std::string::npos ? text.size() : end) - start);
        if (end == std::string::npos) return longest;
        start = end + 2;
    }
}

std::string withoutBlanks(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
    return out;
}

// Line ends as the client makes them: CR LF, lone CR and lone LF all CR LF.
std::string withCrLf(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Quoted-printable decoding; a malformed escape traps, since the coder
// must never write one.
std::string unquote(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '=') {
            out += text[i];
            continue;
        }
        if (text.compare(i, 3, "=\r\n") == 0) {
            i += 2;
            continue;
        }
        if (i + 2 >= text.size() || hexValue(text[i + 1]) < 0 || hexValue(text[i + 2]) < 0) __builtin_trap();
        out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
        i += 2;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    std::size_t step = (data[0] & 0x3F) + 1;
    bool authenticate = data[0] & 0x40;
    ServerBytes server(data + 1, size - 1, step);

    // The reader alone, into both buffer sizes, reply after reply.
    for (std::size_t bufferSize : {kCommandLine, kEhloReply}) {
        server.rewind();
        char buffer[kEhloReply + 1];
        std::size_t before = 0;
        while (readReply(server, buffer, bufferSize) == 0) {
            if (std::strlen(buffer) >= bufferSize) __builtin_trap();
            // A reply is taken only once one of its lines is final: "ddd text" or just "ddd".
            std::size_t taken = server.offset() - before;
            if (!holdsFinalLine(reinterpret_cast<const char*>(data + 1) + before, taken)) __builtin_trap();
            before = server.offset();
            chooseMechanism(buffer);
        }
    }

    // The server's bytes as a subject: split into encoded words whatever they
    // hold, every line of the header field within 78 characters.
    std::string subject(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string line = subjectLine(subject, true);
    for (std::size_t start = 0, end; (end = line.find("\r\n", start)) != std::string::npos; start = end + 2)
        if (end - start > 78) __builtin_trap();

    // The bytes as one header line: every line within 998, nothing lost but
    // the CR LF of the folds (and the blank after a cut that found no blank).
    std::string field = "Subject: " + subject;
    field.erase(std::remove_if(field.begin(), field.end(), [](char c) { return c == '\r' || c == '\n'; }),
                field.end());
    std::string folded = foldHeader(field + "\r\n");
    if (!endsWithLineEnd(folded) || longestLine(folded) > kMaxLine) __builtin_trap();
    if (withoutBlanks(folded) != withoutBlanks(field)) __builtin_trap();
    if (field.size() <= kFoldColumn && folded != field + "\r\n") __builtin_trap();

    // The bytes as a text part: quoted-printable in lines of 76 that decode to
    // the text with its line ends made CR LF, as the 8-bit form would carry it;
    // the 8-bit form is chosen only when all its lines fit.
    std::string plain;
    DataText transparent;
    transparent.put(subject, plain);
    transparent.finish(plain);
    if (needsQuotedPrintable(subject) != (longestLine(plain) > kMaxLine)) __builtin_trap();
    std::string quoted;
    QuotedPrintable coder;
    coder.put(subject, quoted);
    coder.finish(quoted);
    if (longestLine(quoted) > kQuotedLine || unquote(quoted) != withCrLf(subject)) __builtin_trap();
    for (std::size_t at = 0; at < quoted.size(); at = quoted.find("\r\n", at) + 2) {
        if (quoted[at] == '.') __builtin_trap();
        if (quoted.find("\r\n", at) == std::string::npos) break;
    }

    server.rewind();
    Mail mail;
    mail.envelope.from = "sender@example.com";
    mail.envelope.recipients = {"a@example.com", "", "b@example.com"};
    if (authenticate) {
        mail.envelope.user = "user";
        mail.envelope.password = "secret";
    }
    mail.hostName = "client";
    mail.subject = "Subject";
    mail.subjectUtf8 = true;
    // Long enough, the bytes go out as the text part, quoted-printable when a line is too long.
    mail.text = size > 1000 ? subject : "text\r\n.\r\n";
    mail.html = "<p>.</p>";
    mail.attachments = {u"C:\\a.bin"};
    Session(server, mail).run();
    return 0;
}
