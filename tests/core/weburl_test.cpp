#include "convert/core/weburl.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(WebUrl, LanguageCodes) {
    struct Row {
        uint16_t language;
        const char16_t* page;
        const char16_t* site;
    };
    const Row rows[] = {
        /* 0 */ {1033, u"eng", u"eng"}, /* 1 */ {1031, u"eng", u"ger"}, /* 2 */ {1051, u"cze", u"sk"},
        /* 3 */ {1029, u"cze", u"cze"}, /* 4 */ {1036, u"fre", u"fre"}, /* 5 */ {1041, u"jpn", u"jpn"},
        /* 6 */ {2052, u"eng", u"chs"}, /* 7 */ {3082, u"eng", u"esp"}, /* 8 */ {2074, u"eng", u"srb"},
        /* 9 */ {1049, u"eng", u"rus"}, /* 10 */ {0, u"eng", u"eng"},   /* 11 */ {1034, u"eng", u"eng"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(elk::pageLanguageCode(rows[i].language), rows[i].page) << "row " << i;
        EXPECT_EQ(elk::siteLanguageCode(rows[i].language), rows[i].site) << "row " << i;
    }
}

// The address a link gets with the default paths, as basCreateURL builds it.
std::u16string defaultUrl(uint16_t language, std::u16string_view name) {
    const std::u16string_view site = elk::siteLanguageCode(language);
    const elk::UrlLink link = elk::urlLink(name, site);
    return elk::expandUrl(elk::joinUrl(u"https://root.example", link.defaultPath),
                          link.pageCode ? elk::pageLanguageCode(language) : site);
}

TEST(WebUrl, DefaultLinksPerLanguage) {
    struct Row {
        uint16_t language;
        const char16_t* name;
        const char16_t* url;
    };
    const Row rows[] = {
        /* 0 */ {1033, u"HomePage", u"https://root.example/index.html"},
        /* 1 */ {1031, u"HomePage", u"https://root.example/index_eng.html"},
        /* 2 */ {1036, u"homepage", u"https://root.example/index_fre.html"},
        /* 3 */ {1031, u"HomePageEng", u"https://root.example/index.html"},
        /* 4 */ {1031, u"Skins", u"https://root.example/go.php?verb=skins&lang=ger"},
        /* 5 */ {1051, u"Skins", u"https://root.example/go.php?verb=skins&lang=sk"},
        /* 6 */ {1051, u"FAQLinkRpc", u"https://root.example/cze/faq-red-circle.html"},
        /* 7 */ {1033, u"faqlinkskin", u"https://root.example/eng/i_have_installed_tar.html"},
        /* 8 */ {1041, u"FAQLinkStorage", u"https://root.example/jpn/faq_xml.html"},
        /* 9 */ {1036, u"VirusDetailsURL", u"https://root.example/go.php?verb=virus-details&lang=fre&name=%s"},
        /* 10 */ {1049, u"VirusReportURL", u"https://root.example/go.php?verb=virus-report&lang=rus&name=%s&virus=%s"},
        /* 11 */ {2052, u"SubmissionPolicy", u"https://root.example/go.php?verb=submission-policy&lang=chs"},
        /* 12 */ {1045, u"UpdateLink", u"https://root.example/go.php?verb=push-service&lang=pol"},
        /* 13 */ {1031, u"news.html", u"https://root.example/news.html"},
        /* 14 */ {1031, u"/news.html", u"https://root.example/news.html"},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(defaultUrl(rows[i].language, rows[i].name), rows[i].url) << "row " << i;
    EXPECT_EQ(elk::urlLink(u"news.html", u"ger").iniKey, u"InvalidUrlIniEntry");
    EXPECT_EQ(elk::urlLink(u"HomePage", u"ger").iniKey, u"HomePage");
    EXPECT_EQ(elk::urlLink(u"HomePage", u"eng").iniKey, u"HomePageEng");
}

TEST(WebUrl, JoinKeepsOneSlash) {
    EXPECT_EQ(elk::joinUrl(u"http://x", u"a"), u"http://x/a");
    EXPECT_EQ(elk::joinUrl(u"http://x/", u"a"), u"http://x/a");
    EXPECT_EQ(elk::joinUrl(u"http://x/", u"/a"), u"http://x/a");
    EXPECT_EQ(elk::joinUrl(u"http://x", u"//a"), u"http://x//a");
    EXPECT_EQ(elk::joinUrl(u"http://x", u""), u"http://x/");
    EXPECT_EQ(elk::joinUrl(u"", u"a"), u"/a");
}

TEST(WebUrl, OnlyTheLanguagePlaceHolderIsFilled) {
    struct Row {
        const char16_t* address;
        const char16_t* url;
    };
    const Row rows[] = {
        /* 0 */ {u"a?lang=%s&name=%%s", u"a?lang=ger&name=%s"},
        /* 1 escapes in a configured path stay */ {u"a%20b/%s", u"a%20b/ger"},
        /* 2 */ {u"%n%d%x%", u"%n%d%x%"},
        /* 3 */ {u"%s-%s", u"ger-ger"},
        /* 4 */ {u"%%%s", u"%ger"},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::expandUrl(rows[i].address, u"ger"), rows[i].url) << "row " << i;
}

}  // namespace
