#include "net/core/smtp_reply.h"

#include <cstring>

namespace elk::smtp {

namespace {

bool holdsLineEnd(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// An address goes between "<" and ">" of its command: an angle bracket or a
// blank would end the path there and let the rest pass for ESMTP parameters,
// a control character (CR and LF among them) would end the command.
bool breaksPath(std::string_view address) {
    for (char c : address) {
        auto u = static_cast<unsigned char>(c);
        if (c == '<' || c == '>' || c == ' ' || u < 0x20 || u == 0x7F) return true;
    }
    return false;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A final line is "ddd text" (fourth character a space) or, without text,
// exactly three digits.
bool isFinalLine(const char* line, std::size_t length) {
    if (length >= 4 && line[3] == ' ') return true;
    if (length > 0 && line[length - 1] == '\r') --length;
    return length == 3 && isDigit(line[0]) && isDigit(line[1]) && isDigit(line[2]);
}

// True when buffer[0..fill) holds a final reply line ended by LF.
bool hasFinalLine(const char* buffer, std::size_t fill) {
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < fill; ++i) {
        if (buffer[i] != '\n') continue;
        if (isFinalLine(buffer + lineStart, i - lineStart)) return true;
        lineStart = i + 1;
    }
    return false;
}

}  // namespace

std::uint32_t readReply(Receiver& from, char* buffer, std::size_t size) {
    if (size == 0) return kStatusInsufficientBuffer;
    std::size_t fill = 0;
    buffer[0] = '\0';
    for (;;) {
        if (fill + 1 >= size) return kStatusInsufficientBuffer;
        std::size_t room = size - fill - 1;
        std::size_t received = 0;
        if (std::uint32_t rc = from.receive(buffer + fill, room, &received)) return rc;
        // A receive of nothing means the server has gone: asking again would
        // only get nothing again.
        if (received == 0) return kStatusDisconnected;
        if (received > room) received = room;
        // Scan from the start of the last incomplete line only.
        std::size_t scanFrom = fill;
        while (scanFrom > 0 && buffer[scanFrom - 1] != '\n') --scanFrom;
        fill += received;
        buffer[fill] = '\0';
        if (hasFinalLine(buffer + scanFrom, fill - scanFrom)) return 0;
    }
}

bool replyCode(const char* reply, const char (&code)[4]) {
    for (int i = 0; i < 3; ++i) {
        char a = reply[i], b = code[i];
        if (a >= 'A' && a <= 'Z') a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z') b = static_cast<char>(b - 'A' + 'a');
        if (a != b) return false;
    }
    return true;
}

Mechanism chooseMechanism(const char* ehloReply) {
    if (!replyCode(ehloReply, "250")) return Mechanism::None;
    const char* auth = std::strstr(ehloReply, "AUTH");
    if (!auth) return Mechanism::None;
    if (std::strstr(auth, "PLAIN")) return Mechanism::Plain;
    if (std::strstr(auth, "LOGIN")) return Mechanism::Login;
    return Mechanism::None;
}

void splitAddresses(std::string_view entry, std::vector<std::string>& out) {
    while (!entry.empty()) {
        std::size_t semicolon = entry.find(';');
        out.emplace_back(entry.substr(0, semicolon));
        if (semicolon == std::string_view::npos) break;
        entry.remove_prefix(semicolon + 1);
    }
}

std::uint32_t checkAddress(std::string_view address) {
    if (breaksPath(address)) return kStatusInvalidParameter;
    return address.size() > kMaxAddress ? kStatusFieldTooLong : 0;
}

std::uint32_t checkEnvelope(const Envelope& e) {
    if (breaksPath(e.from) || holdsLineEnd(e.user) || holdsLineEnd(e.password)) return kStatusInvalidParameter;
    for (const std::string& address : e.recipients)
        if (breaksPath(address)) return kStatusInvalidParameter;
    if (e.from.size() > kMaxFrom) return kStatusFieldTooLong;
    for (const std::string& address : e.recipients)
        if (address.size() > kMaxAddress) return kStatusFieldTooLong;
    if (!e.user.empty()) {
        // The mechanism is known only once the server has answered, so the
        // check is PLAIN's, which is the tighter one: within it each field
        // also fits LOGIN's line.
        static_assert(kMaxPlainCredentials <= kMaxLoginCredential);
        if (e.user.size() + e.password.size() > kMaxPlainCredentials) return kStatusFieldTooLong;
    }
    return 0;
}

}  // namespace elk::smtp
