// Character sets, reading direction, console code pages and fonts against the
// system's locale data, a real console and the screen's fonts.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "include/elkBase.h"
#include "support/install_tree.h"

namespace {

using elktest::InstallTree;

class CodePage : public ::testing::Test {
protected:
    void TearDown() override {
        while (basGetBaseLang()) basFreeLibraryExt(ELK_INIT_LIGHT);
    }

    // Starts the library with `language` (given a module folder of its own),
    // or switches a running library to it. The thread's locales stay as they
    // are: only the language id matters here.
    void use(WORD language) {
        std::wstring id = std::to_wstring(language);
        if (GetFileAttributesW((tree.program() + L"\\" + id).c_str()) == INVALID_FILE_ATTRIBUTES)
            tree.addLanguage(language);
        tree.setIni(L"Languages", L"Engine", id.c_str());
        if (!basGetBaseLang()) {
            tree.point();
            ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES), 0u);
        } else {
            ASSERT_EQ(basReinitLanguage(ELK_INIT_NO_LOCALES), 0u);
        }
        ASSERT_EQ(basGetLanguage(), language);
    }

    InstallTree tree;
};

TEST_F(CodePage, CharacterSetOfTheLanguage) {
    const struct {
        WORD language;
        DWORD charset;
    } rows[] = {
        /* 0 */ {1049, RUSSIAN_CHARSET},     /* 1 */ {1031, ANSI_CHARSET},     /* 2 */ {1032, GREEK_CHARSET},
        /* 3 */ {1041, SHIFTJIS_CHARSET},    /* 4 */ {1037, HEBREW_CHARSET},   /* 5 */ {1025, ARABIC_CHARSET},
        /* 6 */ {1029, EASTEUROPE_CHARSET},  /* 7 */ {1055, TURKISH_CHARSET},  /* 8 */ {1062, BALTIC_CHARSET},
        /* 9 */ {2052, GB2312_CHARSET},      /* 10 */ {1028, CHINESEBIG5_CHARSET}, /* 11 */ {1042, HANGUL_CHARSET},
        /* 12 */ {1054, THAI_CHARSET},       /* 13 */ {1066, VIETNAMESE_CHARSET}, /* 14 */ {2057, ANSI_CHARSET},
        // Hindi has no ANSI code page: no character set to name.
        /* 15 */ {1081, DEFAULT_CHARSET},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        use(rows[i].language);
        EXPECT_EQ(basGetCharacterSet(), rows[i].charset) << "row " << i;
    }
}

TEST_F(CodePage, ReadingDirection) {
    use(1037);
    EXPECT_TRUE(basIsCurrCodePageRTL());
    use(1033);
    EXPECT_FALSE(basIsCurrCodePageRTL());
}

// The console's output code page, with a console of our own when the test
// runs without one (as under CTest).
TEST_F(CodePage, ConsoleCodePage) {
    use(1034);
    UINT original = GetConsoleOutputCP();
    if (original == 0) {
        EXPECT_EQ(basGetConsoleCP(), 0u) << "no console: nothing to follow";
        EXPECT_TRUE(basDoesCurrCodePageSupportExtendedConsoleChars()) << "no console: not known";
        // Wine may hold a console connection that has no console behind it.
        FreeConsole();
        ASSERT_TRUE(AllocConsole()) << "a console needs a display: run under xvfb-run";
    }
    const struct {
        UINT console;
        BOOL singleByte;
    } rows[] = {
        /* 0 */ {932, FALSE}, /* 1 */ {437, TRUE}, /* 2 */ {65001, FALSE}, /* 3 */ {1252, TRUE}, /* 4 */ {936, FALSE},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        ASSERT_TRUE(SetConsoleOutputCP(rows[i].console)) << "row " << i;
        use(1034);  // traditional-sort Spanish has no code page of its own
        EXPECT_EQ(basGetConsoleCP(), rows[i].console) << "row " << i;
        use(3082);  // modern-sort Spanish has
        EXPECT_EQ(basGetConsoleCP(), 850u) << "row " << i;
        use(1049);
        EXPECT_EQ(basGetConsoleCP(), 866u) << "row " << i;
        EXPECT_EQ(basDoesCurrCodePageSupportExtendedConsoleChars(), rows[i].singleByte) << "row " << i;
    }
    if (original == 0)
        FreeConsole();
    else
        SetConsoleOutputCP(original);
}

using FaceCharsets = std::map<std::wstring, std::set<BYTE>>;

int CALLBACK collectFace(const LOGFONTW* font, const TEXTMETRICW*, DWORD, LPARAM param) {
    (*reinterpret_cast<FaceCharsets*>(param))[font->lfFaceName].insert(font->lfCharSet);
    return 1;
}

// Face names of the screen's fonts with the character sets of each.
FaceCharsets screenFonts() {
    FaceCharsets faces;
    HDC screen = GetDC(nullptr);
    LOGFONTW all = {};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(screen, &all, collectFace, reinterpret_cast<LPARAM>(&faces), 0);
    ReleaseDC(nullptr, screen);
    return faces;
}

LOGFONTW face(const std::wstring& name) {
    LOGFONTW font = {};
    name.copy(font.lfFaceName, LF_FACESIZE - 1);
    // Fields other than the face name must not narrow the search.
    font.lfPitchAndFamily = FIXED_PITCH | FF_DECORATIVE;
    font.lfWeight = FW_BOLD;
    return font;
}

TEST(FontCharset, InstalledFaceWithAndWithoutTheCharset) {
    // Which fonts a machine has varies: take a face that has the Western
    // character set and lacks one of the East Asian ones.
    const BYTE rare[] = {SHIFTJIS_CHARSET, HANGUL_CHARSET, GB2312_CHARSET, CHINESEBIG5_CHARSET, THAI_CHARSET};
    std::wstring name;
    BYTE missing = 0;
    for (const auto& [faceName, charsets] : screenFonts()) {
        if (faceName.empty() || faceName[0] == L'@' || !charsets.count(ANSI_CHARSET)) continue;
        for (BYTE charset : rare)
            if (!charsets.count(charset)) {
                name = faceName;
                missing = charset;
                break;
            }
        if (!name.empty()) break;
    }
    ASSERT_FALSE(name.empty()) << "the screen has no font with the Western character set";

    LOGFONTW font = face(name);
    EXPECT_EQ(basFontSupportsCharset(&font, ANSI_CHARSET), 1) << name.c_str();
    EXPECT_EQ(basFontSupportsCharset(&font, missing), 0) << name.c_str() << " " << int(missing);
    LOGFONTW unknown = face(L"Elk No Such Face");
    EXPECT_EQ(basFontSupportsCharset(&unknown, ANSI_CHARSET), 0);
}

TEST(FontCharset, BadArguments) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(basFontSupportsCharset(nullptr, ANSI_CHARSET), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // A face name that fills its field without a terminator, in a record that
    // ends where readable memory ends: no more than the field is read.
    SYSTEM_INFO system;
    GetSystemInfo(&system);
    BYTE* pages = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * system.dwPageSize, MEM_COMMIT, PAGE_READWRITE));
    ASSERT_NE(pages, nullptr);
    DWORD old;
    ASSERT_TRUE(VirtualProtect(pages + system.dwPageSize, system.dwPageSize, PAGE_NOACCESS, &old));
    auto* font = reinterpret_cast<LOGFONTW*>(pages + system.dwPageSize - sizeof(LOGFONTW));
    *font = LOGFONTW{};
    for (WCHAR& c : font->lfFaceName) c = L'Q';
    EXPECT_EQ(basFontSupportsCharset(font, ANSI_CHARSET), 0);
    VirtualFree(pages, 0, MEM_RELEASE);
}

// Runs with the user's locale set to Russian (under Wine: LC_ALL=ru_RU.UTF-8
// for the process, see CMakeLists.txt).
class RussianUser : public CodePage {};

TEST_F(RussianUser, UsEnglishFollowsTheUsersLocale) {
    ASSERT_EQ(PRIMARYLANGID(LANGIDFROMLCID(GetUserDefaultLCID())), LANG_RUSSIAN)
        << "needs a Russian user locale";
    use(1033);
    EXPECT_EQ(basGetCharacterSet(), static_cast<DWORD>(RUSSIAN_CHARSET));
    // Only US English gives way to the user's locale.
    use(2057);
    EXPECT_EQ(basGetCharacterSet(), static_cast<DWORD>(ANSI_CHARSET));
    use(1031);
    EXPECT_EQ(basGetCharacterSet(), static_cast<DWORD>(ANSI_CHARSET));
}

}  // namespace
