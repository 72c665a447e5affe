#include "net/core/smtp_reply.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace elk::smtp;
using namespace elk;

// Hands out the given pieces one receive at a time; an error code ends it.
class Script : public Receiver {
public:
    explicit Script(std::vector<std::string> pieces, std::uint32_t errorAtEnd = 0)
        : pieces_(std::move(pieces)), error_(errorAtEnd) {}
    std::uint32_t receive(char* at, std::size_t room, std::size_t* received) override {
        ++calls;
        if (next_ == pieces_.size()) {
            if (error_) return error_;
            *received = 0;
            return 0;
        }
        std::string& piece = pieces_[next_];
        std::size_t n = std::min(room, piece.size());
        std::memcpy(at, piece.data(), n);
        piece.erase(0, n);
        if (piece.empty()) ++next_;
        *received = n;
        return 0;
    }
    int calls = 0;

private:
    std::vector<std::string> pieces_;
    std::size_t next_ = 0;
    std::uint32_t error_;
};

struct ReplyCase {
    std::vector<std::string> pieces;
    std::size_t size;
    std::uint32_t status;
    std::string buffer;  // what the buffer holds afterwards
};

TEST(ReadReply, Cases) {
    const std::string longLine(300, 'x');
    const ReplyCase cases[] = {
        /* 0 */ {{"220 ready\r\n"}, 256, 0, "220 ready\r\n"},
        /* 1 final line split over packets */ {{"22", "0 rea", "dy\r", "\n"}, 256, 0, "220 ready\r\n"},
        /* 2 multi-line reply read to its final line */
        {{"250-host\r\n250-AUTH", " PLAIN\r\n", "250 OK\r\n"}, 1024, 0, "250-host\r\n250-AUTH PLAIN\r\n250 OK\r\n"},
        /* 3 a bare LF ends a line too */ {{"250 OK\n"}, 256, 0, "250 OK\n"},
        /* 4 a line shorter than "ddd" is not final */ {{"25\r\n", "250 x\r\n"}, 256, 0, "25\r\n250 x\r\n"},
        /* 5 a final line without its LF is not yet final */ {{"250 OK"}, 256, kStatusDisconnected, "250 OK"},
        /* 6 the server closes first */ {{"250-more\r\n"}, 256, kStatusDisconnected, "250-more\r\n"},
        /* 7 closed before anything */ {{}, 256, kStatusDisconnected, ""},
        /* 8 a reply longer than the buffer */ {{longLine}, 256, kStatusInsufficientBuffer, longLine.substr(0, 255)},
        /* 9 exactly fills the room */ {{std::string("250 ") + std::string(249, 'y') + "\r\n"}, 256, 0,
                                        std::string("250 ") + std::string(249, 'y') + "\r\n"},
        /* 10 one byte too long */ {{std::string("250 ") + std::string(250, 'y') + "\r\n"}, 256, kStatusInsufficientBuffer,
                                    std::string("250 ") + std::string(250, 'y') + "\r"},
        /* 11 size 1 holds only the terminator */ {{"250 OK\r\n"}, 1, kStatusInsufficientBuffer, ""},
        /* 12 exactly three digits are a final line; what follows is not read */
        {{"250\r\n", "250 x\r\n"}, 256, 0, "250\r\n"},
        /* 13 with a bare LF */ {{"221\n"}, 256, 0, "221\n"},
        /* 14 split before its CR and before its LF */ {{"25", "0\r", "\n"}, 256, 0, "250\r\n"},
        /* 15 ends a multi-line reply */ {{"250-host\r\n", "250\r\n"}, 1024, 0, "250-host\r\n250\r\n"},
        /* 16 three characters that are not all digits */ {{"25x\r\n", "250 x\r\n"}, 256, 0, "25x\r\n250 x\r\n"},
        /* 17 four digits */ {{"2500\r\n", "250 x\r\n"}, 256, 0, "2500\r\n250 x\r\n"},
        /* 18 a continuation without text */ {{"250-\r\n", "250 x\r\n"}, 256, 0, "250-\r\n250 x\r\n"},
        /* 19 a CR inside is no line end */ {{"250\r\r\n", "250 x\r\n"}, 256, 0, "250\r\r\n250 x\r\n"},
        /* 20 three digits without their LF */ {{"250\r"}, 256, kStatusDisconnected, "250\r"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const ReplyCase& c = cases[i];
        Script script(c.pieces);
        std::vector<char> buffer(c.size + 8, '#');
        EXPECT_EQ(readReply(script, buffer.data(), c.size), c.status) << "row " << i;
        EXPECT_EQ(std::string(buffer.data()), c.buffer) << "row " << i;
        for (std::size_t b = c.size; b < buffer.size(); ++b) ASSERT_EQ(buffer[b], '#') << "row " << i << " wrote past";
    }
}

TEST(ReadReply, EndsAtTheFirstZeroByteReceive) {
    // A closed connection answers every receive with nothing at once: the
    // reader must stop instead of asking forever.
    Script script({"250-a\r\n"});
    char buffer[256];
    EXPECT_EQ(readReply(script, buffer, sizeof buffer), kStatusDisconnected);
    EXPECT_EQ(script.calls, 2);
}

TEST(ReadReply, ReceiveErrorIsTheResult) {
    Script script({"250-a\r\n"}, 10054);
    char buffer[256];
    EXPECT_EQ(readReply(script, buffer, sizeof buffer), 10054u);
}

TEST(ChooseMechanism, Cases) {
    const struct {
        const char* reply;
        Mechanism expected;
    } cases[] = {
        /* 0 */ {"250-host\r\n250-AUTH LOGIN PLAIN\r\n250 OK\r\n", Mechanism::Plain},
        /* 1 */ {"250-host\r\n250 AUTH LOGIN\r\n", Mechanism::Login},
        /* 2 */ {"250-host\r\n250 AUTH CRAM-MD5\r\n", Mechanism::None},
        /* 3 no AUTH line */ {"250-host\r\n250 8BITMIME\r\n", Mechanism::None},
        /* 4 only what follows AUTH counts */ {"250-PLAIN\r\n250 AUTH LOGIN\r\n", Mechanism::Login},
        /* 5 not a 250 reply */ {"502 AUTH PLAIN\r\n", Mechanism::None},
        /* 6 case as written */ {"250 auth plain\r\n", Mechanism::None},
        /* 7 AUTH= form */ {"250-host\r\n250 AUTH=PLAIN\r\n", Mechanism::Plain},
        /* 8 */ {"", Mechanism::None},
    };
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(chooseMechanism(cases[i].reply), cases[i].expected) << "row " << i;
}

TEST(SplitAddresses, Cases) {
    const struct {
        const char* entry;
        std::vector<std::string> expected;
    } cases[] = {
        /* 0 */ {"a@x", {"a@x"}},
        /* 1 */ {"a@x;b@x", {"a@x", "b@x"}},
        /* 2 a final ';' ends the entry */ {"a@x;", {"a@x"}},
        /* 3 an empty address between two ';' stays */ {"a@x;;b@x", {"a@x", "", "b@x"}},
        /* 4 */ {";a@x", {"", "a@x"}},
        /* 5 blanks are kept */ {" a@x ; b", {" a@x ", " b"}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::vector<std::string> out = {"before"};
        splitAddresses(cases[i].entry, out);
        std::vector<std::string> expected = {"before"};
        expected.insert(expected.end(), cases[i].expected.begin(), cases[i].expected.end());
        EXPECT_EQ(out, expected) << "row " << i;
    }
}

TEST(CheckEnvelope, LimitsAndLineEnds) {
    auto envelope = [](std::string from, std::string address, std::string user, std::string password) {
        return Envelope{std::move(from), {"ok@x", std::move(address)}, std::move(user), std::move(password)};
    };
    const std::string s = "s";
    const struct {
        Envelope e;
        std::uint32_t expected;
    } cases[] = {
        /* 0 */ {envelope("a@x", "b@x", "", ""), 0},
        /* 1 from at its limit */ {envelope(std::string(240, 'f'), "b@x", "", ""), 0},
        /* 2 */ {envelope(std::string(241, 'f'), "b@x", "", ""), kStatusFieldTooLong},
        /* 3 address at its limit */ {envelope("a@x", std::string(242, 'r'), "", ""), 0},
        /* 4 */ {envelope("a@x", std::string(243, 'r'), "", ""), kStatusFieldTooLong},
        /* 5 credentials at their limit */ {envelope("a@x", "b@x", std::string(100, 'u'), std::string(87, 'p')), 0},
        /* 6 */ {envelope("a@x", "b@x", std::string(100, 'u'), std::string(88, 'p')), kStatusFieldTooLong},
        /* 7 no user: the password is not used */ {envelope("a@x", "b@x", "", std::string(400, 'p')), 0},
        /* 8 */ {envelope("a@x\r\nRCPT TO: <evil@x>", "b@x", "", ""), kStatusInvalidParameter},
        /* 9 */ {envelope("a@x", "b@x>\r\nDATA", "", ""), kStatusInvalidParameter},
        /* 10 */ {envelope("a@x", "b@x", "u\n", "p"), kStatusInvalidParameter},
        /* 11 */ {envelope("a@x", "b@x", "u", "p\r"), kStatusInvalidParameter},
        /* 12 a line end wins over a length */ {envelope(std::string(300, 'f') + "\n", "b@x", "", ""), kStatusInvalidParameter},
        /* 13 a '>' ends the path: the rest would be ESMTP parameters */
        {envelope("a@x> SIZE=1 AUTH=<victim@x", "b@x", "", ""), kStatusInvalidParameter},
        /* 14 */ {envelope("a@x", "b@x> NOTIFY=SUCCESS", "", ""), kStatusInvalidParameter},
        /* 15 */ {envelope("a@x", "<b@x", "", ""), kStatusInvalidParameter},
        /* 16 a blank alone */ {envelope("a @x", "b@x", "", ""), kStatusInvalidParameter},
        /* 17 */ {envelope("a@x", "b@x ", "", ""), kStatusInvalidParameter},
        /* 18 a tab */ {envelope("a@x\t", "b@x", "", ""), kStatusInvalidParameter},
        /* 19 NUL */ {envelope("a@x", std::string("b@x\0y", 5), "", ""), kStatusInvalidParameter},
        /* 20 */ {envelope("a@x", "b@x\x1f", "", ""), kStatusInvalidParameter},
        /* 21 DEL */ {envelope("a@x\x7f", "b@x", "", ""), kStatusInvalidParameter},
        /* 22 a refused character wins over a length */ {envelope("a@x", std::string(300, 'r') + ">", "", ""), kStatusInvalidParameter},
        /* 23 what an address may hold */
        {envelope("first.last+tag@sub-domain.example", "\"quoted\"@x;#$%&'*/=?^_`{|}~@x\xc3\xbc", "", ""), 0},
        /* 24 blanks and brackets in the credentials are theirs */ {envelope("a@x", "b@x", "u <u>", "p w>"), 0},
        /* 25 an empty address is still sent as "<>" */ {envelope("", "", "", ""), 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(checkEnvelope(cases[i].e), cases[i].expected) << "row " << i;
}

}  // namespace
