// The library's table of texts against the shipped language modules, texts
// that use fewer inserts than passed or cannot be formatted, and language
// switches while other threads read texts.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "include/elkBase.h"
#include "lang/core/texts.h"
#include "support/install_tree.h"

namespace {

using elktest::InstallTree;

class DataModule {
public:
    explicit DataModule(const std::wstring& relative)
        : module_(LoadLibraryExW((elktest::binFolder() + L"\\" + relative).c_str(), nullptr,
                                 LOAD_LIBRARY_AS_DATAFILE)) {}
    ~DataModule() {
        if (module_) FreeLibrary(module_);
    }
    HMODULE get() const { return module_; }

private:
    HMODULE module_;
};

TEST(ShippedModules, HoldEveryTextOfTheTableWithinItsArguments) {
    for (const wchar_t* language : {L"lang\\1033\\Base.dll", L"lang\\1031\\Base.dll"}) {
        DataModule module(language);
        ASSERT_NE(module.get(), nullptr) << language;
        for (const elk::TextEntry& entry : elk::textTable()) {
            std::wstring text(entry.room + 1, L'\0');
            const int n = LoadStringW(module.get(), entry.id, text.data(), static_cast<int>(text.size()));
            ASSERT_GT(n, 0) << language << ": no text " << entry.id;
            text.resize(static_cast<size_t>(n));
            EXPECT_LT(text.size(), entry.room) << language << ": text " << entry.id << " is cut by its room";
            EXPECT_TRUE(elk::textFitsEntry(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()),
                                                               text.size()),
                                           entry))
                << language << ": text " << entry.id << " \"" << std::string(text.begin(), text.end()) << "\"";
        }
    }
}

std::wstring errorText(DWORD code, HMODULE strings, DWORD size = 128) {
    std::wstring out(size + 4, L'#');
    basGetErrorStringEx(code, out.data(), size, strings, 0);
    EXPECT_EQ(out.substr(size), L"####") << "wrote past the buffer";
    return out.c_str();
}

TEST(PartialModule, FewerInsertsAreUsedAndUnformattableTextsFallBack) {
    DataModule partial(L"testlang\\partial\\Base.dll");
    ASSERT_NE(partial.get(), nullptr);
    struct Row {
        DWORD code;
        DWORD size;
        const wchar_t* text;
    };
    const Row rows[] = {
        /* 0 text 29999 without its insert */ {0x20001234, 128, L"Unknown error"},
        /* 1 */ {0x20001234, 8, L"Unknown"},
        /* 2 */ {0x7FFF0003, 128, L"Folder missing"},
        /* 3 a whole insert */ {42003, 128, L"Mail failed (42003)"},
        // A width no buffer holds passes the check, yet the runtime refuses
        // it: the built-in text stands in, not an empty one.
        /* 4 */ {0x7FFF0008, 128, L"Error 0x7FFF0008"},
        /* 5 */ {42000, 128, L"Error 0x0000A410"},
        /* 6 */ {42000, 6, L"Error"},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(errorText(rows[i].code, partial.get(), rows[i].size), rows[i].text) << "row " << i;
}

class Library : public ::testing::Test {
protected:
    void start(const wchar_t* engine) {
        tree.addLanguage(1033);
        tree.addLanguage(1031, L"lang\\1031");
        tree.addLanguage(1049, L"testlang\\partial");
        tree.setIni(L"Languages", L"Engine", engine);
        tree.point();
        ASSERT_EQ(basInitLibraryExt(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES), 0u);
    }
    void switchTo(const wchar_t* engine) {
        tree.setIni(L"Languages", L"Engine", engine);
        ASSERT_EQ(basReinitLanguage(ELK_INIT_NO_LOCALES), 0u) << engine;
    }
    void TearDown() override {
        while (basGetBaseLang()) basFreeLibraryExt(ELK_INIT_LIGHT);
    }
    InstallTree tree;
};

std::wstring friendName(const wchar_t* name) {
    wchar_t out[128];
    basCreateFriendFileName(0, name, out, ARRAYSIZE(out));
    return out;
}

TEST_F(Library, ObjectTextsWithFewerInserts) {
    start(L"1049");
    EXPECT_EQ(friendName(L"*MBR1"), L"A boot record");
    EXPECT_EQ(friendName(L"*PROCESS:1F4\\x.exe\\10"), L"Process 500 (x.exe)");
    wchar_t out[64];
    basGetErrorString(0x7FFF0008, out, ARRAYSIZE(out));
    EXPECT_STREQ(out, L"Error 0x7FFF0008");
}

std::wstring number(__int64 value) {
    wchar_t out[32];
    basFormatNumber(value, out, ARRAYSIZE(out));
    return out;
}

TEST_F(Library, ASwitchOfLanguageRebuildsTheSizeUnits) {
    start(L"1033");
    EXPECT_EQ(number(5), L"5.0 B");
    switchTo(L"1031");
    EXPECT_EQ(number(5), L"5.0 Byte");
    EXPECT_EQ(number(2048), L"2.0 KB");
    switchTo(L"1033");
    EXPECT_EQ(number(5), L"5.0 B");
    // A module without unit texts: the built-in units.
    switchTo(L"1049");
    EXPECT_EQ(number(5), L"5.0 B");
}

TEST_F(Library, ReadersSurviveLanguageSwitches) {
    start(L"1033");
    std::atomic<bool> stop{false};
    std::atomic<int> wrong{0}, reads{0};
    auto oneOf = [&](const std::wstring& text, std::initializer_list<const wchar_t*> allowed) {
        for (const wchar_t* a : allowed)
            if (text == a) return;
        ++wrong;
    };
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                wchar_t text[128];
                basGetString(10, text, ARRAYSIZE(text));
                oneOf(text, {L"Never", L"Nie"});
                oneOf(number(5), {L"5.0 B", L"5.0 Byte"});
                basGetErrorString(0x7FFF0003, text, ARRAYSIZE(text));
                oneOf(text, {L"A required folder of the installation is missing (0x7FFF0003)",
                             L"Ein benötigter Ordner der Installation fehlt (0x7FFF0003)"});
                oneOf(friendName(L"*MBR1"),
                      {L"Master boot record of hard disk 1", L"Master Boot Record der Festplatte 1"});
                ++reads;
            }
        });
    }
    for (int i = 0; i < 40; ++i) switchTo(i % 2 ? L"1033" : L"1031");
    stop = true;
    for (std::thread& t : readers) t.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_GT(reads.load(), 0);
}

}  // namespace
