// Labels, descriptions, task and object names, fitted paths and file-type
// descriptions through the DLL.
#include <gtest/gtest.h>

#include <string>

#include "base/handles.h"
#include "convert/text_fixture.h"
#include "support/install_tree.h"

namespace {

using Guarded = elktest::GuardedText;
using elktest::LibraryTest;
using texttest::localTime;

std::wstring label(DWORD first, DWORD second, __time64_t time, DWORD flags) {
    wchar_t out[64];
    basVPS2Label(first, second, time, out, ARRAYSIZE(out), flags);
    return out;
}

class DatabaseLabel : public LibraryTest {};

TEST_F(DatabaseLabel, NoVersionIsTheModulesText) {
    EXPECT_EQ(label(0, 0, localTime(2009, 2, 13, 12), 0), L"Unknown") << "built in, no module";
    startIn(1031, L"lang\\1031");
    for (DWORD flags : {0x00u, 0x04u, 0x08u, 0x1Eu})
        EXPECT_EQ(label(0, 0, localTime(2009, 2, 13, 12), flags), L"Unbekannt");
}

TEST_F(DatabaseLabel, UsUserLocale) {
    const __time64_t time = localTime(2009, 2, 13, 12);
    struct Row {
        DWORD flags;
        const wchar_t* label;
    };
    const Row rows[] = {
        /* 0 */ {0x00, L"090213-1, 02/13/2009"},
        /* 1 */ {0x02, L"090213-1, 02/13/09"},
        /* 2 */ {0x10, L"090213-1, 02/13"},
        /* 3 */ {0x04, L"02/13/2009"},
        /* 4 */ {0x08, L"090213-1"},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(label(0x090213, 1, time, rows[i].flags), rows[i].label) << "row " << i;
    EXPECT_EQ(label(0x090213, 1, -1, 0), L"090213-1") << "a time that cannot be shown";
}

TEST_F(DatabaseLabel, CutToTheBuffer) {
    const __time64_t time = localTime(2009, 2, 13, 12);
    struct Row {
        DWORD size;
        const wchar_t* text;
    };
    const Row rows[] = {{21, L"090213-1, 02/13/2009"}, {20, L"090213-1, 02/13/200"}, {1, L""}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        Guarded out(rows[i].size);
        basVPS2Label(0x090213, 1, time, out.data(), out.size(), 0);
        EXPECT_EQ(out.text(), rows[i].text) << "row " << i;
        EXPECT_TRUE(out.intact()) << "row " << i;
    }
    Guarded none(0);
    basVPS2Label(0x090213, 1, time, none.data(), 0, 0);
    basVPS2Label(0, 0, time, none.data(), 0, 0);
    EXPECT_TRUE(none.untouched());
}

// Run with LC_ALL=de_DE.UTF-8: the label follows the user's locale, whatever
// the interface language.
class GermanUserLabel : public LibraryTest {};

TEST_F(GermanUserLabel, DayMonthYearWithDots) {
    startIn(1033);
    const __time64_t time = localTime(2009, 2, 13, 12);
    EXPECT_EQ(label(0x090213, 1, time, 0), L"090213-1, 13.02.2009");
    EXPECT_EQ(label(0x090213, 1, time, 0x02), L"090213-1, 13.02.09");
    EXPECT_EQ(label(0x090213, 1, time, 0x10), L"090213-1, 13.02");
}

TEST_F(GermanUserLabel, ATwoCharacterSeparatorIsReplaced) {
    wchar_t saved[8] = {};
    ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, saved, ARRAYSIZE(saved)), 0);
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, L"::"));
    const std::wstring text = label(0x090213, 1, localTime(2009, 2, 13, 12), 0);
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDATE, saved));
    EXPECT_EQ(text, L"090213-1, 13/02/2009");
}

// The suite's modules hand in their own module for these words; the base
// language module carries them too.
class VirusDescription : public ::testing::Test {
protected:
    void SetUp() override {
        module.reset(LoadLibraryExW((elktest::binFolder() + L"\\lang\\1033\\Base.dll").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE));
        ASSERT_TRUE(module);
    }
    elk::UniqueModule module;
};

TEST_F(VirusDescription, WordsByFlags) {
    struct Row {
        BYTE flags;
        const wchar_t* text;
    };
    const Row rows[] = {
        /* 0 */ {0x00, L""},
        /* 1 */ {0x01, L"Virus "},
        /* 2 */ {0x05, L"Virus variant of "},
        /* 3 */ {0x18, L"Potentially unwanted program "},
        /* 4 */ {0x3F, L"Virus or unwanted program similar to "},
        /* 5 */ {0x20, L"similar to "},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        wchar_t out[64] = L"old";
        EXPECT_TRUE(basCreateVirusDescription(module.get(), out, ARRAYSIZE(out), rows[i].flags, 0)) << "row " << i;
        EXPECT_STREQ(out, rows[i].text) << "row " << i;
    }
}

TEST_F(VirusDescription, SmallBuffersLeaveWordsOut) {
    struct Row {
        DWORD size;
        const wchar_t* text;
    };
    const Row rows[] = {
        /* 0 */ {19, L"Virus variant of "},
        /* 1 the second word needs one more */ {18, L"Virus "},
        /* 2 */ {8, L"Virus "},
        /* 3 only the second fits */ {7, L""},
        /* 4 */ {1, L""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Guarded out(rows[i].size);
        EXPECT_TRUE(basCreateVirusDescription(module.get(), out.data(), out.size(), 0x05, 0)) << "row " << i;
        EXPECT_EQ(out.text(), rows[i].text) << "row " << i;
        EXPECT_TRUE(out.intact()) << "row " << i;
    }
    Guarded none(0);
    EXPECT_TRUE(basCreateVirusDescription(module.get(), none.data(), 0, 0x05, 0));
    EXPECT_TRUE(none.untouched());
}

TEST(VirusDescriptionTexts, AMissingWordIsFalse) {
    // The test program has no string table.
    wchar_t out[64] = L"old";
    EXPECT_FALSE(basCreateVirusDescription(GetModuleHandleW(nullptr), out, ARRAYSIZE(out), 0x01, 0));
    EXPECT_FALSE(basCreateVirusDescription(GetModuleHandleW(nullptr), out, ARRAYSIZE(out), 0x04, 0));
    EXPECT_TRUE(basCreateVirusDescription(GetModuleHandleW(nullptr), out, ARRAYSIZE(out), 0x00, 0));
    EXPECT_STREQ(out, L"");
}

TEST(TaskStatus, TextsAndBounds) {
    wchar_t out[32];
    basStatus2String(ELK_TASK_FAILED, 5, out, ARRAYSIZE(out));
    EXPECT_STREQ(out, L"Failed(0x00000005)");
    basStatus2String(0, 5, out, ARRAYSIZE(out));
    EXPECT_STREQ(out, L"Waiting");
    basStatus2String(ELK_TASK_DONE, 0, out, ARRAYSIZE(out));
    EXPECT_STREQ(out, L"Done");
    for (DWORD size : {5u, 4u, 0u}) {
        Guarded g(size);
        basStatus2String(ELK_TASK_DONE, 0, g.data(), g.size());
        EXPECT_EQ(g.text(), std::wstring(L"Done").substr(0, size ? size - 1 : 0)) << size;
        EXPECT_TRUE(g.intact()) << size;
    }
}

std::wstring friendlyTask(const wchar_t* name, DWORD size = 64) {
    Guarded buffer(size);
    wcsncpy(buffer.data(), name, size);
    basFriendlyTaskName(buffer.data(), size);
    EXPECT_TRUE(buffer.intact()) << "wrote past the buffer";
    return buffer.text();
}

class TaskName : public LibraryTest {};

TEST_F(TaskName, BuiltInTasksGetTheirText) {
    startIn(1033);
    struct Row {
        const wchar_t* name;
        const wchar_t* shown;
    };
    const Row rows[] = {
        /* 0 */ {L"My scan", L"My scan"},
        /* 1 */ {L"*WHSBackup", L"WHS"},
        /* 2 */ {L"*ssaver", L"Screen saver scan"},
        /* 3 */ {L"*Quick", L"Quick scan"},
        /* 4 */ {L"*Simple", L"Standard scan"},
        /* 5 */ {L"*Splash", L"Startup scan"},
        /* 6 */ {L"*Nightly", L"Predefined scan"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) EXPECT_EQ(friendlyTask(rows[i].name), rows[i].shown) << "row " << i;
    EXPECT_EQ(friendlyTask(L"*Quick", 7), L"Quick ");
    EXPECT_EQ(friendlyTask(L"*WHS", 5), L"WHS");
}

TEST_F(TaskName, WithoutTheTextTheNameStays) {
    EXPECT_EQ(friendlyTask(L"*Quick"), L"*Quick") << "no module";
    EXPECT_EQ(friendlyTask(L"*WHSBackup"), L"WHS");
    startIn(1033, L"testlang\\broken");
    EXPECT_EQ(friendlyTask(L"*Quick"), L"*Quick") << "a module without text 202";
}

std::wstring friendName(const wchar_t* name, DWORD size, DWORD* length) {
    Guarded out(size);
    *length = basCreateFriendFileName(0, name, out.data(), out.size());
    EXPECT_TRUE(out.intact());
    return out.text();
}

class ObjectName : public LibraryTest {};

TEST_F(ObjectName, ObjectsThatAreNotFiles) {
    startIn(1033);
    struct Row {
        const wchar_t* name;
        const wchar_t* shown;
    };
    const Row rows[] = {
        /* 0 */ {L"*MBR1", L"Master boot record of hard disk 1"},
        /* 1 */ {L"*BootC:", L"Boot sector of drive C:"},
        /* 2 */ {L"*PROCESS:1F4", L"Memory of process 500 (?), address 0x0, size 0x0"},
        /* 3 */
        {L"*PROCESS:1f4\\explorer.exe\\7FF00000\\2000",
         L"Memory of process 500 (explorer.exe), address 0x7FF00000, size 0x2000"},
        /* 4 */
        {L"*PROCESS:1F4\\svc.exe\\FFFFFFFFFFFFFFFF",
         L"Memory of process 500 (svc.exe), address 0xFFFFFFFFFFFFFFFF, size 0x0"},
        /* 5 no disk digit: shown as given */ {L"*MBR", L"*MBR"},
        /* 6 */ {L"*OTHER", L"*OTHER"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        DWORD length = 0;
        EXPECT_EQ(friendName(rows[i].name, 128, &length), rows[i].shown) << "row " << i;
        EXPECT_EQ(length, wcslen(rows[i].shown)) << "row " << i;
    }
    DWORD length = 0;
    EXPECT_EQ(friendName(L"*MBR1", 12, &length), L"Master boot");
    EXPECT_EQ(length, 11u);
}

TEST_F(ObjectName, PathsAreShortenedByTheBaseLibrary) {
    startIn(1033);
    DWORD length = 0;
    EXPECT_EQ(friendName(L"\\\\?\\C:\\short.txt", 64, &length), L"C:\\short.txt");
    EXPECT_EQ(length, 12u);
    const std::wstring longPath =
        L"C:\\Documents and Settings\\someone\\Local Settings\\Application Data\\Temp\\sample.exe";
    const std::wstring shown = friendName(longPath.c_str(), 128, &length);
    EXPECT_EQ(shown, L"C:\\...\\someone\\Local Settings\\Application Data\\Temp\\sample.exe");
    EXPECT_EQ(length, shown.size());
    EXPECT_EQ(friendName(L"C:\\folder\\file.txt", 10, &length), L"C:\\folder") << "cut first";
    EXPECT_EQ(friendName(L"", 10, &length), L"");
    EXPECT_EQ(length, 0u);
    EXPECT_EQ(friendName(nullptr, 10, &length), L"");
    Guarded none(0);
    EXPECT_EQ(basCreateFriendFileName(0, L"*MBR1", none.data(), 0), 0u);
    EXPECT_TRUE(none.untouched());
}

TEST_F(ObjectName, WithoutTextsObjectsAreShownAsNames) {
    DWORD length = 0;
    EXPECT_EQ(friendName(L"*MBR1", 64, &length), L"*MBR1") << "no module";
    startIn(1033, L"testlang\\broken");
    EXPECT_EQ(friendName(L"*PROCESS:1F4", 64, &length), L"*PROCESS:1F4") << "a module without text 153";
}

// A font of the screen's kind in a memory device context.
class FitFileName : public ::testing::Test {
protected:
    void SetUp() override {
        dc = CreateCompatibleDC(nullptr);
        ASSERT_NE(dc, nullptr);
        font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
        ASSERT_NE(font, nullptr);
        SelectObject(dc, font);
    }
    void TearDown() override {
        DeleteDC(dc);
        DeleteObject(font);
    }
    int width(const std::wstring& text) {
        SIZE size{};
        EXPECT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size));
        return size.cx;
    }
    // The path in a buffer of exactly its size, canaries behind.
    BOOLEAN fit(std::wstring& path, int max) {
        Guarded buffer(path.size() + 1);
        std::copy(path.c_str(), path.c_str() + path.size() + 1, buffer.data());
        BOOLEAN result = basDoFitFileName(dc, buffer.data(), max);
        EXPECT_TRUE(buffer.intact()) << "wrote past the path";
        path = buffer.text();
        return result;
    }
    HDC dc = nullptr;
    HFONT font = nullptr;
};

TEST_F(FitFileName, ShortensUntilItFits) {
    const std::wstring path = L"C:\\Program Files\\Suite\\Data\\report.txt";
    const std::wstring steps[] = {L"C:\\Program Files\\Suite\\...\\report.txt", L"C:\\Program Files\\...\\report.txt",
                                  L"C:\\...\\report.txt"};
    ASSERT_GT(width(path), width(steps[0]));
    ASSERT_GT(width(steps[0]), width(steps[1]));
    ASSERT_GT(width(steps[1]), width(steps[2]));

    std::wstring p = path;
    EXPECT_FALSE(fit(p, width(path)));
    EXPECT_EQ(p, path);
    for (const std::wstring& step : steps) {
        p = path;
        EXPECT_TRUE(fit(p, width(step)));
        EXPECT_EQ(p, step);
    }
    p = path;
    EXPECT_TRUE(fit(p, width(steps[1]) - 1));
    EXPECT_EQ(p, steps[2]);
    p = path;
    EXPECT_TRUE(fit(p, 1));
    EXPECT_EQ(p, steps[2]) << "the narrowest form, though still too wide";
}

TEST_F(FitFileName, PathsWithNothingToDrop) {
    for (const wchar_t* path : {L"C:\\report.txt", L"report.txt", L"a\\b\\c"}) {
        std::wstring p = path;
        EXPECT_TRUE(fit(p, 1)) << path;
        EXPECT_EQ(p, path);
    }
    std::wstring p = L"a\\b\\c\\d";
    EXPECT_TRUE(fit(p, 1));
    EXPECT_EQ(p, L"a\\...\\d") << "never longer than the path";
}

TEST_F(FitFileName, NoDeviceContextLeavesThePath) {
    std::wstring buffer = L"C:\\Program Files\\Suite\\report.txt";
    EXPECT_FALSE(basDoFitFileName(nullptr, buffer.data(), 1));
    EXPECT_EQ(buffer, L"C:\\Program Files\\Suite\\report.txt");
    EXPECT_FALSE(basDoFitFileName(dc, nullptr, 1));
}

// A file type registered for the test under HKEY_CLASSES_ROOT, removed after.
class TypeDescription : public ::testing::Test {
protected:
    void SetUp() override {
        const std::wstring id = std::to_wstring(GetCurrentProcessId()) + L"x" + std::to_wstring(GetTickCount());
        extension = L"elk" + id;
        className = L"ElkTest" + id + L".File";
        setDefault(L"." + extension, className);
        setDefault(className, L"Elk test document");
    }
    void TearDown() override {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, (L"." + extension).c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, (L"." + extension).c_str());
        RegDeleteTreeW(HKEY_CLASSES_ROOT, className.c_str());
        RegDeleteKeyW(HKEY_CLASSES_ROOT, className.c_str());
    }
    void setDefault(const std::wstring& key, const std::wstring& value) {
        elk::UniqueKey k;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, k.put(), nullptr),
                  0);
        ASSERT_EQ(RegSetValueExW(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))),
                  0);
    }
    std::wstring extension, className;
};

TEST_F(TypeDescription, WithOrWithoutTheDot) {
    wchar_t out[64];
    EXPECT_EQ(basGetTypeDescription(extension.c_str(), out, ARRAYSIZE(out)), 0u);
    EXPECT_STREQ(out, L"Elk test document");
    wcscpy(out, L"old");
    EXPECT_EQ(basGetTypeDescription((L"." + extension).c_str(), out, ARRAYSIZE(out)), 0u);
    EXPECT_STREQ(out, L"Elk test document");
}

TEST_F(TypeDescription, Errors) {
    wchar_t out[64];
    EXPECT_EQ(basGetTypeDescription((extension + L"none").c_str(), out, ARRAYSIZE(out)),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    RegDeleteKeyW(HKEY_CLASSES_ROOT, className.c_str());
    EXPECT_EQ(basGetTypeDescription(extension.c_str(), out, ARRAYSIZE(out)), static_cast<DWORD>(ERROR_FILE_NOT_FOUND))
        << "class not registered";
    EXPECT_EQ(basGetTypeDescription(nullptr, out, ARRAYSIZE(out)), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // A class name that is no text.
    elk::UniqueKey k;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, (L"." + extension).c_str(), 0, KEY_WRITE, k.put()), 0);
    const DWORD number = 7;
    ASSERT_EQ(RegSetValueExW(k.get(), nullptr, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number)),
              0);
    EXPECT_EQ(basGetTypeDescription(extension.c_str(), out, ARRAYSIZE(out)),
              static_cast<DWORD>(ERROR_UNSUPPORTED_TYPE));
}

TEST_F(TypeDescription, BufferSizes) {
    struct Row {
        DWORD size;
        DWORD status;
        const wchar_t* text;  // nullptr: not looked at
    };
    const Row rows[] = {
        /* 0 exact */ {18, 0, L"Elk test document"},
        // The registry itself answers 234 here; the text must still end.
        /* 1 one too small */ {17, ERROR_MORE_DATA, L""},
        /* 2 */ {1, ERROR_MORE_DATA, L""},
        /* 3 */ {0, ERROR_MORE_DATA, nullptr},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        Guarded out(rows[i].size);
        EXPECT_EQ(basGetTypeDescription(extension.c_str(), out.data(), out.size()), rows[i].status) << "row " << i;
        if (rows[i].text) {
            EXPECT_EQ(out.text(), rows[i].text) << "row " << i;
        }
        EXPECT_TRUE(out.intact()) << "row " << i;
    }
}

TEST_F(TypeDescription, TooLongAValueLeavesAnEndedEmptyText) {
    // A class name beyond its 260 characters: the registry answers 234 for
    // the first read, before the caller's buffer is even reached.
    const std::wstring longClass = className + std::wstring(300, L'x');
    setDefault(L"." + extension, longClass);
    Guarded out(64);
    EXPECT_EQ(basGetTypeDescription(extension.c_str(), out.data(), out.size()), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(out.text(), L"");
    EXPECT_TRUE(out.intact());

    // A description stored without its terminator that fills the buffer.
    setDefault(L"." + extension, className);
    elk::UniqueKey k;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, className.c_str(), 0, KEY_WRITE, k.put()), 0);
    const std::wstring bare = L"0123456789";
    ASSERT_EQ(RegSetValueExW(k.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(bare.data()),
                             static_cast<DWORD>(bare.size() * sizeof(wchar_t))),
              0);
    Guarded exact(10);
    EXPECT_EQ(basGetTypeDescription(extension.c_str(), exact.data(), exact.size()),
              static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(exact.text(), L"");
    EXPECT_TRUE(exact.intact());
    Guarded roomy(11);
    EXPECT_EQ(basGetTypeDescription(extension.c_str(), roomy.data(), roomy.size()), 0u);
    EXPECT_EQ(roomy.text(), bare);
}

}  // namespace
