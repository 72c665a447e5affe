// Strings of the language module and texts for status codes.
#include <gtest/gtest.h>

#include <string>

#include "include/elkBase.h"
#include "support/guarded.h"
#include "support/library.h"

namespace {

using elktest::GuardedText;

std::wstring errorText(DWORD code, HMODULE strings = nullptr, DWORD size = 256) {
    GuardedText out(size);
    basGetErrorStringEx(code, out.data(), size, strings, 0);
    EXPECT_TRUE(out.intact()) << "wrote past the buffer";
    return out.text();
}

// English and German installed, `language` chosen.
class Texts : public elktest::LibraryTest {
protected:
    void start(const wchar_t* language) {
        tree.addLanguage(1031, L"lang\\1031");
        tree.setIni(L"Languages", L"Engine", language);
        LibraryTest::start(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    }
};

TEST_F(Texts, StringsAreBoundedByTheCallersSize) {
    start(L"1033");
    struct Row {
        DWORD size;
        int result;
        std::wstring text;
    };
    const Row rows[] = {
        /* 0 exact fit */ {6, 5, L"Never"},
        /* 1 one too small */ {5, 4, L"Neve"},
        /* 2 */ {1, 0, L""},
        /* 3 */ {64, 5, L"Never"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        GuardedText out(rows[i].size);
        EXPECT_EQ(basGetString(10, out.data(), rows[i].size), rows[i].result) << "row " << i;
        EXPECT_EQ(out.text(), rows[i].text) << "row " << i;
        EXPECT_TRUE(out.intact()) << "row " << i;
    }
    GuardedText none(0);
    EXPECT_EQ(basGetString(10, none.data(), 0), 0);
    EXPECT_TRUE(none.untouched());
    wchar_t out[8];
    EXPECT_EQ(basGetString(12345, out, 8), 0);
    EXPECT_STREQ(out, L"");
}

TEST_F(Texts, SuiteCodesReadTheirStringInTheChosenLanguage) {
    start(L"1031");
    EXPECT_EQ(errorText(0x7FFF0003), L"Ein benötigter Ordner der Installation fehlt (0x7FFF0003)");
    EXPECT_EQ(errorText(42003), L"Die E-Mail konnte nicht über den SMTP-Server versendet werden (Fehler 42003)");
    // No string for this code: the fallback format, with the code.
    EXPECT_EQ(errorText(0x7FFF0FFF), L"Error 0x7FFF0FFF");
    stop();
    EXPECT_EQ(errorText(0x7FFF0003), L"Error 0x7FFF0003") << "no language module loaded";
}

TEST_F(Texts, SystemCodesUseTheSystemsMessage) {
    start(L"1033");
    std::wstring text = errorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_NE(text.back(), L'.');
    EXPECT_NE(text.find(L"not found"), std::wstring::npos) << text;
    // A code the system has no message for reads string 29999.
    EXPECT_EQ(errorText(0x20001234), L"Unknown error (0x20001234)");
}

TEST_F(Texts, AgentCodesUseTheAgentThenString29999) {
    start(L"1033");
    EXPECT_EQ(errorText(0x80070005), L"Unknown error (0x80070005)") << "no agent library installed";
    tree.addProgramFile(L"Pemx4h.dll");
    std::wstring text = errorText(0x80070005);
    EXPECT_NE(text, L"Unknown error (0x80070005)");
    EXPECT_FALSE(text.empty());
    EXPECT_EQ(text.find_first_of(L"\r\n"), std::wstring::npos);
    EXPECT_EQ(errorText(0x80046399), L"Unknown error (0x80046399)") << "a code the agent does not know";
}

TEST_F(Texts, ShortBuffersAreCutAndTerminated) {
    start(L"1033");
    EXPECT_EQ(errorText(0x7FFF0003, nullptr, 1), L"");
    EXPECT_EQ(errorText(0x7FFF0003, nullptr, 12), L"A required ");
    EXPECT_EQ(errorText(ERROR_FILE_NOT_FOUND, nullptr, 4), L"Unk") << "a system text that does not fit reads 29999";
    GuardedText none(0);
    basGetErrorString(2, none.data(), 0);
    EXPECT_TRUE(none.untouched());
    basGetErrorString(2, nullptr, 10);
}

TEST(BrokenModule, FormatsThatReadOtherArgumentsAreNotUsed) {
    std::wstring path = elktest::binFolder() + L"\\testlang\\broken\\Base.dll";
    HMODULE broken = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(broken, nullptr);
    for (DWORD code : {0x7FFF0003u, 42000u, 42003u, 0x20001234u}) {
        wchar_t expected[32];
        _snwprintf(expected, 32, L"Error 0x%08X", code);
        EXPECT_EQ(errorText(code, broken), expected);
    }
    // A text that reads none of the inserts passed is safe, and used.
    EXPECT_EQ(errorText(0x7FFF0005u, broken), L"no insert at all");
    FreeLibrary(broken);
}

TEST(Classifiers, AreExported) {
    EXPECT_EQ(basHRESULT2DWORD(0x8007000E), 8u);
    EXPECT_EQ(basHRESULT2DWORD(0x80070002), 42000u);
    EXPECT_EQ(basGetErrorType(42019), 4u);
    EXPECT_EQ(basGetErrorType(42050), 1u);
}

}  // namespace
