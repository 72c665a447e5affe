// The SMTP client's side of the conversation that needs no socket: reading a
// server reply, choosing an authentication mechanism from the EHLO reply, and
// the checks that keep every command within its line.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/core/status.h"

namespace elk::smtp {

// Status codes of the client, all from base/core/status.h:
//   kStatusInvalidParameter    a field is missing or holds CR or LF, or an
//                              address holds '<', '>', a blank or a control character
//   kStatusFieldTooLong        a field does not fit its command line
//   kStatusInsufficientBuffer  a reply does not fit its buffer
//   kStatusDisconnected        the server closed before its final reply line
//   kStatusTimeout             the watchdog broke a receive
//   kStatusHostNotFound        the server's name has no address
//   kStatusGeneral             an unexpected reply code
//   kStatusSmtp                no recipient was accepted

// The buffer every command is built in and most replies are read into.
constexpr std::size_t kCommandLine = 256;
constexpr std::size_t kEhloReply = 1024;
// What fits the command line with its keyword, "<", ">", CR LF and terminator.
constexpr std::size_t kMaxFrom = 240;
constexpr std::size_t kMaxAddress = 242;
constexpr std::size_t kMaxPlainCredentials = 187;  // user name and password together
constexpr std::size_t kMaxLoginCredential = 189;   // each of them

// Where a reply comes from: the socket, or a script in the tests and the fuzzer.
class Receiver {
public:
    virtual ~Receiver() = default;
    // One receive of at most `room` bytes into `at`: 0 with the count in
    // *received (0 when the peer has closed), or an error code.
    virtual std::uint32_t receive(char* at, std::size_t room, std::size_t* received) = 0;
};

// Reads into buffer (size bytes, terminator included) until a final reply
// line ("ddd text", fourth character a space, or just "ddd") has come. 0,
// kStatusInsufficientBuffer when the buffer fills first, kStatusDisconnected
// when the server closes first, or the receiver's error. The buffer is
// always terminated.
std::uint32_t readReply(Receiver& from, char* buffer, std::size_t size);

// Reply code tests over the start of a reply buffer.
inline bool replyClass(const char* reply, char digit) { return reply[0] == digit; }
bool replyCode(const char* reply, const char (&code)[4]);

enum class Mechanism { None, Plain, Login };

// PLAIN when the "250" reply names it after "AUTH", else LOGIN, else none.
Mechanism chooseMechanism(const char* ehloReply);

// Splits one recipient entry at each ';'. An empty text after a final ';'
// ends the entry; an empty address between two ';' stays.
void splitAddresses(std::string_view entry, std::vector<std::string>& out);

struct Envelope {
    std::string from;
    std::vector<std::string> recipients;  // split, in the caller's order
    std::string user;                     // empty: no authentication
    std::string password;
};

// 0 when one recipient address can go into "RCPT TO: <...>": at most
// kMaxAddress bytes, no '<', '>', blank or control character; otherwise
// kStatusInvalidParameter or kStatusFieldTooLong.
std::uint32_t checkAddress(std::string_view address);

// 0 when every field fits its command line, none holds CR or LF (which
// would let the field end its command and start another) and no address
// holds '<', '>', a blank or a control character (which would let it add
// parameters to MAIL FROM or RCPT TO); otherwise kStatusInvalidParameter or
// kStatusFieldTooLong.
std::uint32_t checkEnvelope(const Envelope& envelope);

}  // namespace elk::smtp
