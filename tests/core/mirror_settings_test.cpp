#include "maint/core/mirror_settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(MirrorSettings, Sources) {
    EXPECT_STREQ("mirror,main", elk::mirrorSources(true));
    EXPECT_STREQ("main", elk::mirrorSources(false));
    EXPECT_STREQ("mirror,main", elk::updaterSources(true));
    EXPECT_STREQ("mirror", elk::updaterSources(false));
}

TEST(MirrorSettings, UpdaterAddress) {
    const struct {
        const char16_t* address;
        uint32_t port;
        const char16_t* expected;
    } rows[] = {
        // A full address stays as it is, whatever the case of its scheme.
        /* 0 */ {u"HTTP://Mirror.Example:8080/updates", 8080, u"HTTP://Mirror.Example:8080/updates"},
        /* 1 */ {u"hTtP://m", 1, u"hTtP://m"},
        /* 2 */ {u"http://", 80, u"http://"},
        // A path without the scheme gets it, and no port.
        /* 3 */ {u"mirror.example/updates", 8080, u"http://mirror.example/updates"},
        /* 4 */ {u"mirror:81/x", 80, u"http://mirror:81/x"},
        /* 5 */ {u"http:/x", 80, u"http://http:/x"},
        // A bare host name gets scheme and port.
        /* 6 */ {u"mirror", 80, u"http://mirror:80"},
        /* 7 */ {u"httpd.example", 0, u"http://httpd.example:0"},
        /* 8 */ {u"m", 4294967295u, u"http://m:4294967295"},
        /* 9 */ {u"10.0.0.1", 8080, u"http://10.0.0.1:8080"},
        /* 10 */ {u"http:", 80, u"http://http::80"},
        /* 11 */ {u"", 80, u"http://:80"},
        /* 12 */ {u"sp\u00e4t", 443, u"http://sp\u00e4t:443"},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(std::u16string(rows[i].expected), elk::updaterAddress(rows[i].address, rows[i].port)) << "row " << i;
}

TEST(MirrorSettings, UpstreamAddressAlwaysGetsThePort) {
    EXPECT_EQ(u"http://up.example:8080", elk::upstreamAddress(u"up.example", 8080));
    EXPECT_EQ(u"http://http://x:0", elk::upstreamAddress(u"http://x", 0));
    EXPECT_EQ(u"http://h:4294967295", elk::upstreamAddress(u"h", 0xFFFFFFFFu));
}

TEST(MirrorSettings, CommandLine) {
    EXPECT_EQ(u"", elk::mirrorCommandLine(u"").value());
    EXPECT_EQ(u" /savelog \"C:\\Logs\\mirror run.log\"", elk::mirrorCommandLine(u"C:\\Logs\\mirror run.log").value());
    EXPECT_EQ(u" /savelog \"\\\\server\\share\\m.log\"", elk::mirrorCommandLine(u"\\\\server\\share\\m.log").value());
    // A quote would end the path early and pass the rest on as switches.
    const char16_t* const quoted[] = {u"\"", u"C:\\a\" /other \"b", u"x\""};
    for (size_t i = 0; i < std::size(quoted); ++i) EXPECT_FALSE(elk::mirrorCommandLine(quoted[i])) << "row " << i;
}

}  // namespace
