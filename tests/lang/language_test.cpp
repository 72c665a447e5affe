// Language choice and language modules against temporary installations.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "include/elkBase.h"
#include "support/guarded.h"
#include "support/install_tree.h"

namespace {

using elktest::InstallTree;

DWORD extensionCalls(HMODULE module) {
    using Calls = DWORD(WINAPI*)(void);
    auto calls = reinterpret_cast<Calls>(reinterpret_cast<void*>(GetProcAddress(module, "ExtensionLibCalls")));
    return calls ? calls() : 0xFFFFFFFF;
}

std::wstring crtLocale() { return _wsetlocale(LC_ALL, nullptr); }

class Language : public ::testing::Test {
protected:
    void TearDown() override {
        while (basGetBaseLang()) basFreeLibraryExt(ELK_INIT_LIGHT);
        _wsetlocale(LC_ALL, L"C");
        SetThreadLocale(MAKELCID(1033, SORT_DEFAULT));
    }
    InstallTree tree;
};

TEST_F(Language, ChosenByTheIniFile) {
    tree.addLanguage(1033);
    tree.addLanguage(1031, L"lang\\1031");
    tree.setIni(L"Languages", L"Engine", L"1031");
    tree.point();
    ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT), 0u);
    EXPECT_EQ(basGetLanguage(), 1031);
    EXPECT_EQ(std::wstring(basGetLanguagePath()), tree.program() + L"\\1031");
    EXPECT_EQ(LANGIDFROMLCID(GetThreadLocale()), 1031);
    EXPECT_EQ(crtLocale().rfind(L"German", 0), 0u) << crtLocale();
    wchar_t text[64];
    EXPECT_GT(basGetString(10, text, 64), 0);
    EXPECT_STREQ(text, L"Nie");
}

TEST_F(Language, ProbedWhenNotConfigured) {
    tree.addLanguage(1049);
    tree.addLanguage(2074);
    tree.point();
    ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT), 0u);
    EXPECT_EQ(basGetLanguage(), 1049);
    basFreeLibraryExt(ELK_INIT_LIGHT);

    tree.addLanguage(1033);
    ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT), 0u);
    EXPECT_EQ(basGetLanguage(), 1033) << "1033 is tried before the list";
}

TEST_F(Language, ChineseLocaleNames) {
    for (auto [id, name] : {std::pair{2052, L"Chinese (Simplified)"}, std::pair{1028, L"Chinese (Traditional)"}}) {
        tree.addLanguage(id);
        tree.setIni(L"Languages", L"Engine", std::to_wstring(id).c_str());
        tree.point();
        ASSERT_EQ(basInitLibraryExt(ELK_INIT_NO_LOCALES | ELK_INIT_LIGHT), 0u);
        basInitThreadLocaleExt(0);
        EXPECT_EQ(crtLocale().rfind(L"Chinese", 0), 0u) << name << ": " << crtLocale();
        basFreeLibraryExt(ELK_INIT_LIGHT);
    }
}

TEST_F(Language, LocaleFlags) {
    tree.addLanguage(1031, L"lang\\1031");
    tree.setIni(L"Languages", L"Engine", L"1031");
    tree.point();
    ASSERT_EQ(basInitLibraryExt(ELK_INIT_NO_LOCALES | ELK_INIT_LIGHT), 0u);
    EXPECT_EQ(LANGIDFROMLCID(GetThreadLocale()), 1033) << "0x04 keeps the thread locale";
    EXPECT_EQ(crtLocale(), L"C") << "0x04 keeps the runtime locale";
    basFreeLibraryExt(ELK_INIT_LIGHT);

    ASSERT_EQ(basInitLibraryExt(ELK_INIT_NO_CRT_LOCALE | ELK_INIT_LIGHT), 0u);
    EXPECT_EQ(LANGIDFROMLCID(GetThreadLocale()), 1031);
    EXPECT_EQ(crtLocale(), L"C") << "0x01 keeps the runtime locale";
    basFreeLibraryExt(ELK_INIT_LIGHT);
}

TEST_F(Language, ReinitSwapsTheModuleOnlyWhenTheNewOneLoads) {
    tree.addLanguage(1033);
    tree.addLanguage(1031, L"lang\\1031");
    tree.point();
    ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT), 0u);
    HMODULE english = basGetBaseLang();
    std::wstring englishPath = tree.program() + L"\\1033\\Base.dll";

    tree.setIni(L"Languages", L"Engine", L"1031");
    ASSERT_EQ(basReinitLanguage(0), 0u);
    EXPECT_EQ(basGetLanguage(), 1031);
    EXPECT_NE(basGetBaseLang(), english);
    EXPECT_EQ(GetModuleHandleW(englishPath.c_str()), nullptr) << "the old module is released";
    HMODULE german = basGetBaseLang();

    // A language folder without its module: the code of the failed load, old module kept.
    CreateDirectoryW((tree.program() + L"\\1036").c_str(), nullptr);
    tree.setIni(L"Languages", L"Engine", L"1036");
    EXPECT_EQ(basReinitLanguage(0), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(basGetBaseLang(), german);
    // No folder at all.
    tree.setIni(L"Languages", L"Engine", L"1040");
    EXPECT_EQ(basReinitLanguage(0), ELK_E_FOLDER_MISSING);
    EXPECT_EQ(basGetBaseLang(), german);
}

TEST_F(Language, ExtensionEntriesPairUp) {
    tree.addLanguage(1033);
    tree.point();
    ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT), 0u);
    HMODULE base = basGetBaseLang();
    EXPECT_EQ(extensionCalls(base), 0x00010001u) << "the base module was initialised once";
    HMODULE again = basLoadLanguage(L"Base.dll");
    ASSERT_EQ(again, base);
    EXPECT_EQ(extensionCalls(base), 0x00020002u);
    EXPECT_EQ(basFreeLanguage(again), 0u);
    EXPECT_EQ(extensionCalls(base), 0x00020001u);

    SetLastError(0);
    EXPECT_EQ(basLoadLanguage(L"Missing.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    EXPECT_EQ(basLoadLanguage(nullptr), nullptr);
    EXPECT_EQ(basFreeLanguage(nullptr), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(LanguagePath, JoinsTheProgramFolderAndTheId) {
    InstallTree tree;
    tree.point();
    ASSERT_EQ(basInitLibraryExt(0), ELK_E_FOLDER_MISSING);  // nothing to load, but the folders are set
    elktest::GuardedText out(8);
    DWORD start = basCreateLanguagePath(1031, out.data(), 8);
    EXPECT_EQ(start, 8u);
    EXPECT_TRUE(out.intact());
    wchar_t full[520];
    EXPECT_EQ(basCreateLanguagePath(2052, full, 520), tree.program().size() + 1);
    EXPECT_EQ(std::wstring(full), tree.program() + L"\\2052");
}

}  // namespace
