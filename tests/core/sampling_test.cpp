#include "submit/core/sampling.h"

#include <gtest/gtest.h>

namespace {

using namespace elk::submit;

TEST(Sampling, OneInNRoundedUpToAPowerOfTwo) {
    // The first field rotated by 16: 0x00010000 becomes 1, 0x00020000 becomes 2.
    const struct {
        unsigned n;
        std::optional<std::uint32_t> first;
        bool sends;
    } rows[] = {
        /* 0 never */ {0, 0u, false},
        /* 1 */ {0, std::nullopt, false},
        /* 2 always */ {1, 0x00010000u, true},
        /* 3 even rotated field */ {2, 0x00020000u, true},
        /* 4 odd */ {2, 0x00010000u, false},
        /* 5 N = 3 acts as 4 */ {3, 0x00040000u, true},
        /* 6 */ {3, 0x00020000u, false},
        /* 7 */ {8, 0x00080000u, true},
        /* 8 */ {8, 0x00040000u, false},
        /* 9 the high half rotates into the low one */ {64, 0x00000040u << 16, true},
        /* 10 */ {64, 0x00200000u, false},
        /* 11 no usable identifier: sends */ {64, std::nullopt, true},
        /* 12 above 2^31 the divisor is 2^32 */ {0x80000001u, 0u, true},
        /* 13 */ {0x80000001u, 0x00010000u, false},
    };
    for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(selects(rows[i].n, rows[i].first), rows[i].sends) << "row " << i;
}

TEST(Sampling, IdentifierText) {
    EXPECT_EQ(firstFieldOf(L"0A1b2C3d-0000-0000-0000-000000000000"), 0x0A1B2C3Du);
    const wchar_t* bad[] = {
        L"", L"0A1B2C3D-0000-0000-0000-00000000000",  // 35
        L"{A1B2C3D-0000-0000-0000-000000000000}",      // braces are not part of it
        L"0A1B2C3D-0000-0000-0000-00000000000G", L"0A1B2C3D00000-0000-0000-000000000000",
    };
    for (const wchar_t* text : bad) EXPECT_FALSE(firstFieldOf(text)) << static_cast<const void*>(text);
}

TEST(Sampling, KeysAndDefaults) {
    EXPECT_STREQ(filterKeyOf(3).name, L"SendStatsFilter");
    EXPECT_EQ(filterKeyOf(3).defaultValue, 8u);
    EXPECT_EQ(filterKeyOf(5).defaultValue, 64u);
    EXPECT_STREQ(filterKeyOf(6).name, L"SendFilter");
    EXPECT_STREQ(filterKeyOf(0xFFFFFFFFu).name, L"SendFilter");
}

}  // namespace
