// Arbitrary server bytes against the SMTP client's reply reader, its EHLO
// parsing, the subject's encoded words and the whole dialogue. The first byte
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
    mail.text = "text\r\n.\r\n";
    mail.html = "<p>.</p>";
    mail.attachments = {u"C:\\a.bin"};
    Session(server, mail).run();
    return 0;
}
