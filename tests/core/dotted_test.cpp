#include "net/core/dotted.h"

#include <gtest/gtest.h>

#include <array>

namespace {

struct DottedCase {
    const char* text;
    bool read;
    std::array<std::uint8_t, 4> bytes;  // when read
};

TEST(ParseDotted, Cases) {
    const DottedCase cases[] = {
        /* 0 */ {"192.168.1.20", true, {192, 168, 1, 20}},
        /* 1 leading zeros are decimal */ {"010.0.0.1", true, {10, 0, 0, 1}},
        /* 2 nothing after a fourth number's '.' is read */ {"10.1.2.3.4", true, {10, 1, 2, 3}},
        /* 3 */ {"10.1.2.3.x", true, {10, 1, 2, 3}},
        /* 4 */ {"0.0.0.0", true, {0, 0, 0, 0}},
        /* 5 */ {"255.255.255.255", true, {255, 255, 255, 255}},
        /* 6 */ {"256.1.1.1", false, {}},
        /* 7 */ {"1.2.3", false, {}},
        /* 8 */ {"1..2.3", false, {}},
        /* 9 */ {"1.2.3.4x", false, {}},
        /* 10 */ {".1.2.3", false, {}},
        /* 11 */ {"1.2.3.", false, {}},
        /* 12 */ {"", false, {}},
        /* 13 */ {"mail.example.com", false, {}},
        /* 14 no wrap-around on long digit runs */ {"4294967297.1.1.1", false, {}},
        /* 15 */ {"1.2.3.99999999999999999999", false, {}},
        /* 16 */ {"1 .2.3.4", false, {}},
        /* 17 */ {"-1.2.3.4", false, {}},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::uint8_t out[6] = {0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
        EXPECT_EQ(elk::net::parseDotted(cases[i].text, out), cases[i].read) << "row " << i;
        if (cases[i].read)
            for (int b = 0; b < 4; ++b) EXPECT_EQ(out[b], cases[i].bytes[b]) << "row " << i << " byte " << b;
        EXPECT_EQ(out[4], 0xAA) << "row " << i;
        EXPECT_EQ(out[5], 0xAA) << "row " << i;
    }
    std::uint8_t out[4];
    EXPECT_FALSE(elk::net::parseDotted(nullptr, out));
}

}  // namespace
