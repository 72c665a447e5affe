// One mail from greeting to QUIT, as an explicit state machine over an
// abstract transport: the Windows layer gives it the socket and the files,
// the tests and the fuzzer give it a script.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/core/smtp_reply.h"

namespace elk::smtp {

// The steps of the dialogue, in the order a mail with authentication goes
// through them.
enum class State {
    Greeting,
    Ehlo,
    AuthPlain,
    AuthPlainToken,
    AuthLogin,
    AuthLoginUser,
    AuthLoginPassword,
    Helo,
    MailFrom,
    Recipient,
    Data,
    Message,
    EndOfData,
    Quit,
    Done,
};

// The state's name as a transcript shows it ("MailFrom").
std::string_view stateName(State state);

class AttachmentFile {
public:
    virtual ~AttachmentFile() = default;
    virtual std::uint64_t size() = 0;
    // Reads up to n bytes; fewer than asked (a failure included) ends the file there.
    virtual std::size_t read(unsigned char* at, std::size_t n) = 0;
};

class Transport : public Receiver {
public:
    // One send of the piece: 0 or an error code. A short send is not noticed.
    virtual std::uint32_t send(std::string_view piece) = 0;
    // Null when the file cannot be opened: it is then left out.
    virtual std::unique_ptr<AttachmentFile> open(std::u16string_view path) = 0;
    // Reads one whole reply into buffer (as readReply does). The socket's
    // transport bounds the whole wait, not each receive.
    virtual std::uint32_t awaitReply(char* buffer, std::size_t size) { return readReply(*this, buffer, size); }
    // A file name as 8-bit text for its part header.
    virtual std::string narrow(std::u16string_view text) = 0;
    // Told of every change of the dialogue's state, in order, so that a
    // transcript can name each step.
    virtual void transition([[maybe_unused]] State from, [[maybe_unused]] State to) {}
};

// Everything the dialogue sends, in the form it is sent in.
struct Mail {
    Envelope envelope;
    std::string hostName;  // argument of EHLO and HELO
    std::string subject;
    bool subjectUtf8 = false;
    std::optional<std::string> headers;  // further header lines with their CR LF
    std::string dateLine;                // empty: no Date line
    std::optional<std::string> contentType;
    bool htmlMode = false;
    std::string text;  // UTF-8 (or 8-bit when that could not be had); unused in htmlMode
    std::optional<std::string> html;
    std::vector<std::u16string> attachments;  // full paths
};

class Session {
public:
    Session(Transport& transport, const Mail& mail) : io_(transport), mail_(mail) {}
    // 0 when the server took the mail and answered QUIT with 2xx; otherwise
    // the status of the step that failed.
    std::uint32_t run();

private:
    // Sends a command and reads its reply into reply_ (or the EHLO buffer).
    bool exchange(std::string_view command, char* reply, std::size_t size);
    bool send(std::string_view piece);
    // Every change of state goes through here.
    void transition(State next);
    void fail(std::uint32_t status);
    void step();
    bool sendMessage();
    // The text through a DataText or QuotedPrintable coder, piece by piece.
    template <typename Coder>
    bool sendThrough(std::string_view text);
    bool sendText(std::string_view text);
    bool sendPart(std::string_view header, std::string_view quotedHeader, std::string_view text);
    bool sendAttachment(const std::u16string& path);

    Transport& io_;
    const Mail& mail_;
    State state_ = State::Greeting;
    std::uint32_t status_ = 0;
    std::size_t nextRecipient_ = 0;
    std::vector<const std::string*> accepted_;  // in the order the server took them
    char reply_[kCommandLine] = {};
    char ehloReply_[kEhloReply + 1] = {};
};

}  // namespace elk::smtp
