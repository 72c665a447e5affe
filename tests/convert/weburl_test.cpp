// Web addresses through the DLL: the library's language and the INI file's
// "URL" section.
#include <gtest/gtest.h>

#include <string>

#include "convert/text_fixture.h"

namespace {

using Guarded = elktest::GuardedText;
using elktest::LibraryTest;

const std::wstring kRoot = ELK_DEFAULT_URL_ROOT;

std::wstring url(const wchar_t* name) {
    wchar_t out[300];
    basCreateURL(name, out, ARRAYSIZE(out));
    return out;
}

class WebAddress : public LibraryTest {};

TEST_F(WebAddress, LanguagesOfTheInstallation) {
    struct Row {
        unsigned language;
        const wchar_t* name;
        const wchar_t* path;
    };
    const Row rows[] = {
        /* 0 */ {1033, L"HomePage", L"/index.html"},
        /* 1 */ {1031, L"HomePage", L"/index_eng.html"},
        /* 2 */ {1031, L"Skins", L"/go.php?verb=skins&lang=ger"},
        /* 3 */ {1051, L"Skins", L"/go.php?verb=skins&lang=sk"},
        /* 4 */ {1051, L"FAQLinkRpc", L"/cze/faq-red-circle.html"},
        /* 5 */ {1036, L"VirusDetailsURL", L"/go.php?verb=virus-details&lang=fre&name=%s"},
        /* 6 */ {1033, L"news.html", L"/news.html"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        startIn(rows[i].language);
        EXPECT_EQ(url(rows[i].name), kRoot + rows[i].path) << "row " << i;
        stop();
    }
}

TEST_F(WebAddress, HomePageIsTheHomePageLink) {
    startIn(1031, L"lang\\1031");
    wchar_t out[300];
    basGetHomePage(out, ARRAYSIZE(out));
    EXPECT_EQ(out, kRoot + L"/index_eng.html");
}

TEST_F(WebAddress, IniOverrides) {
    tree.setIni(L"URL", L"UrlRoot", L"http://mirror.example/site/");
    tree.setIni(L"URL", L"Skins", L"/custom/%s.html");
    tree.setIni(L"URL", L"InvalidUrlIniEntry", L"other.html");
    tree.setIni(L"URL", L"VirusReportURL", L"r?l=%s&x=%20&n=%%s%n%d");
    startIn(1031, L"lang\\1031");
    EXPECT_EQ(url(L"Skins"), L"http://mirror.example/site/custom/ger.html");
    EXPECT_EQ(url(L"news.html"), L"http://mirror.example/site/other.html");
    EXPECT_EQ(url(L"HomePage"), L"http://mirror.example/site/index_eng.html");
    EXPECT_EQ(url(L"VirusReportURL"), L"http://mirror.example/site/r?l=ger&x=%20&n=%s%n%d")
        << "a configured address is no format";
    stop();
    tree.setIni(L"URL", L"UrlRoot", L"http://bare.example");
    startIn(1031, L"lang\\1031");
    EXPECT_EQ(url(L"Skins"), L"http://bare.example/custom/ger.html");
}

TEST_F(WebAddress, CutToTheBuffer) {
    startIn(1033);
    const std::wstring full = kRoot + L"/index.html";
    const DWORD exact = static_cast<DWORD>(full.size() + 1);
    struct Row {
        DWORD size;
        std::wstring text;
    };
    const Row rows[] = {{exact, full}, {exact - 1, full.substr(0, full.size() - 1)}, {1, L""}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        Guarded out(rows[i].size);
        basCreateURL(L"HomePage", out.data(), out.size());
        EXPECT_EQ(out.text(), rows[i].text) << "row " << i;
        EXPECT_TRUE(out.intact()) << "row " << i;
    }
    Guarded none(0);
    basCreateURL(L"HomePage", none.data(), 0);
    basGetHomePage(none.data(), 0);
    EXPECT_TRUE(none.untouched());
}

}  // namespace
