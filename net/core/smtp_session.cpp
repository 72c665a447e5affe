#include "net/core/smtp_session.h"

#include "net/core/smtp_mime.h"

namespace elk::smtp {

namespace {

// Encoded attachment bytes sent at a time (at most one chunk's output more).
constexpr std::size_t kSendBatch = 16 * 1024;

std::string base64Line(std::string_view bytes) {
    std::string line;
    appendBase64(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), line);
    line += "\r\n";
    return line;
}

}  // namespace

std::uint32_t Session::run() {
    if (std::uint32_t rc = checkEnvelope(mail_.envelope)) return rc;
    while (state_ != State::Done) step();
    return status_;
}

std::string_view stateName(State state) {
    switch (state) {
    case State::Greeting: return "Greeting";
    case State::Ehlo: return "Ehlo";
    case State::AuthPlain: return "AuthPlain";
    case State::AuthPlainToken: return "AuthPlainToken";
    case State::AuthLogin: return "AuthLogin";
    case State::AuthLoginUser: return "AuthLoginUser";
    case State::AuthLoginPassword: return "AuthLoginPassword";
    case State::Helo: return "Helo";
    case State::MailFrom: return "MailFrom";
    case State::Recipient: return "Recipient";
    case State::Data: return "Data";
    case State::Message: return "Message";
    case State::EndOfData: return "EndOfData";
    case State::Quit: return "Quit";
    case State::Done: return "Done";
    }
    return "?";
}

void Session::transition(State next) {
    io_.transition(state_, next);
    state_ = next;
}

void Session::fail(std::uint32_t status) {
    status_ = status;
    transition(State::Done);
}

bool Session::send(std::string_view piece) {
    if (std::uint32_t rc = io_.send(piece)) {
        fail(rc);
        return false;
    }
    return true;
}

bool Session::exchange(std::string_view command, char* reply, std::size_t size) {
    if (!command.empty() && !send(command)) return false;
    if (std::uint32_t rc = io_.awaitReply(reply, size)) {
        fail(rc);
        return false;
    }
    return true;
}

void Session::step() {
    const Envelope& e = mail_.envelope;
    switch (state_) {
    case State::Greeting:
        if (!exchange({}, reply_, sizeof reply_)) return;
        if (!replyClass(reply_, '2')) return fail(kStatusGeneral);
        transition(e.user.empty() ? State::Helo : State::Ehlo);
        return;
    case State::Ehlo:
        if (!exchange("EHLO " + mail_.hostName + "\r\n", ehloReply_, kEhloReply)) return;
        switch (chooseMechanism(ehloReply_)) {
        case Mechanism::Plain: transition(State::AuthPlain); return;
        case Mechanism::Login: transition(State::AuthLogin); return;
        case Mechanism::None: transition(State::Helo); return;
        }
        return;
    case State::AuthPlain:
        // The server's answer to the mechanism itself decides nothing; the
        // answer to the credentials does.
        if (exchange("AUTH PLAIN\r\n", reply_, sizeof reply_)) transition(State::AuthPlainToken);
        return;
    case State::AuthPlainToken: {
        std::string token(1, '\0');
        token += e.user;
        token += '\0';
        token += e.password;
        if (!exchange(base64Line(token), reply_, sizeof reply_)) return;
        transition(replyCode(reply_, "235") ? State::MailFrom : State::Helo);
        return;
    }
    case State::AuthLogin:
        if (exchange("AUTH LOGIN\r\n", reply_, sizeof reply_)) transition(State::AuthLoginUser);
        return;
    case State::AuthLoginUser:
        if (exchange(base64Line(e.user), reply_, sizeof reply_)) transition(State::AuthLoginPassword);
        return;
    case State::AuthLoginPassword:
        if (!exchange(base64Line(e.password), reply_, sizeof reply_)) return;
        // Refused credentials: greet again and go on without them.
        transition(replyCode(reply_, "235") ? State::MailFrom : State::Helo);
        return;
    case State::Helo:
        if (!exchange("HELO " + mail_.hostName + "\r\n", reply_, sizeof reply_)) return;
        if (!replyClass(reply_, '2')) return fail(kStatusGeneral);
        transition(State::MailFrom);
        return;
    case State::MailFrom:
        if (!exchange("MAIL FROM: <" + e.from + ">\r\n", reply_, sizeof reply_)) return;
        if (!replyClass(reply_, '2')) return fail(kStatusGeneral);
        transition(State::Recipient);
        return;
    case State::Recipient: {
        if (nextRecipient_ == e.recipients.size()) {
            if (accepted_.empty()) return fail(kStatusSmtp);
            transition(State::Data);
            return;
        }
        const std::string& address = e.recipients[nextRecipient_++];
        if (!exchange("RCPT TO: <" + address + ">\r\n", reply_, sizeof reply_)) return;
        // A refused address is only left out.
        if (replyClass(reply_, '2')) accepted_.push_back(&address);
        return;
    }
    case State::Data:
        if (!exchange("DATA\r\n", reply_, sizeof reply_)) return;
        if (!replyClass(reply_, '3')) return fail(kStatusGeneral);
        transition(State::Message);
        return;
    case State::Message:
        if (sendMessage()) transition(State::EndOfData);
        return;
    case State::EndOfData:
        if (!send(kClosingBoundaryLine) || !exchange("\r\n.\r\n", reply_, sizeof reply_)) return;
        if (!replyClass(reply_, '2')) return fail(kStatusGeneral);
        transition(State::Quit);
        return;
    case State::Quit:
        if (!exchange("QUIT\r\n", reply_, sizeof reply_)) return;
        if (!replyClass(reply_, '2')) return fail(kStatusGeneral);
        status_ = 0;
        transition(State::Done);
        return;
    case State::Done:
        return;
    }
}

template <typename Coder>
bool Session::sendThrough(std::string_view text) {
    // Pieces of at most 1024 bytes of the caller's text, so that a long text
    // needs no second copy.
    Coder coder;
    std::string out;
    while (!text.empty()) {
        std::string_view piece = text.substr(0, 1024);
        text.remove_prefix(piece.size());
        out.clear();
        coder.put(piece, out);
        if (text.empty()) coder.finish(out);
        if (!out.empty() && !send(out)) return false;
    }
    return true;
}

bool Session::sendText(std::string_view text) { return sendThrough<DataText>(text); }

bool Session::sendPart(std::string_view header, std::string_view quotedHeader, std::string_view text) {
    // A part goes out as it stands unless a line of it is too long for the
    // servers; then quoted-printable, so that it still arrives unchanged.
    bool quoted = needsQuotedPrintable(text);
    return send(kBoundaryLine) && send(quoted ? quotedHeader : header) && (quoted ? sendThrough<QuotedPrintable>(text) : sendText(text)) &&
           send("\r\n");
}

bool Session::sendMessage() {
    // Newest recipient first; a long list is folded after its commas.
    std::string to = "To: ";
    for (auto it = accepted_.rbegin(); it != accepted_.rend(); ++it) {
        if (it != accepted_.rbegin()) to += ", ";
        to += **it;
    }
    to += "\r\n";
    if (!send(foldHeader("From: " + mail_.envelope.from + "\r\n")) || !send(foldHeader(to)) ||
        !send(subjectLine(mail_.subject, mail_.subjectUtf8)))
        return false;
    // The caller's own header lines: kept as they are, except that they too
    // cannot end the data.
    if (mail_.headers && !sendText(*mail_.headers)) return false;
    if (!mail_.dateLine.empty() && !send(mail_.dateLine)) return false;
    if (!send(mimeHeader(mail_.contentType)) || !send(kPreamble)) return false;
    if (!mail_.htmlMode && !sendPart(kTextPartHeader, kTextPartHeaderQuoted, mail_.text)) return false;
    if (mail_.html && !sendPart(kHtmlPartHeader, kHtmlPartHeaderQuoted, *mail_.html)) return false;
    for (const std::u16string& path : mail_.attachments)
        if (!sendAttachment(path)) return false;
    return true;
}

bool Session::sendAttachment(const std::u16string& path) {
    if (mail_.htmlMode && path.find(u".htm") != std::u16string::npos) return true;
    std::unique_ptr<AttachmentFile> file = io_.open(path);
    if (!file) return true;
    if (!send(kBoundaryLine)) return false;
    std::u16string_view name = fileNameOf(path);
    std::string header = mail_.htmlMode
                             ? inlineImageHeader(io_.narrow(imageTypeOf(path)), io_.narrow(contentIdOf(name)))
                             : attachmentHeader(io_.narrow(name));
    if (!send(header)) return false;
    unsigned char chunk[kFileChunk];
    Base64Lines lines;
    std::string out;
    out.reserve(kSendBatch + 2 * kFileChunk);
    std::uint64_t left = file->size();
    while (left > 0) {
        std::size_t want = left < kFileChunk ? static_cast<std::size_t>(left) : kFileChunk;
        std::size_t got = file->read(chunk, want);
        if (got > want) got = want;
        lines.put(chunk, got, out);
        // A short read ends the part early; the mail goes on.
        bool last = got < want || left == got;
        // The encoded chunks go out together once a batch is full: one send
        // per chunk costs a system call (and under Wine a server round trip)
        // per 1.5 KB.
        if (out.size() >= kSendBatch || last) {
            if (!out.empty() && !send(out)) return false;
            out.clear();
        }
        if (got < want) break;
        left -= got;
    }
    return send("\r\n\r\n");
}

}  // namespace elk::smtp
