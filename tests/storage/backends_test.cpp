// Choosing, loading and unloading the storage back-end, with the suite's
// stand-ins and with test doubles whose entries fail or are missing.
#include <gtest/gtest.h>

#include <string>

#include "include/elkBase.h"
#include "storage/storage_test.h"

namespace {

enum Variant { None, Real, Full, NoInit, NoFree };

// Puts a back-end into the program folder under `file`: the suite's stand-in
// of that name, or a test double (with the library it imports beside it).
void install(const elktest::InstallTree& tree, const wchar_t* file, Variant variant) {
    const std::wstring target = tree.program() + L"\\" + file;
    const std::wstring doubles = elktest::binFolder() + L"\\testbackend\\";
    const wchar_t* source = nullptr;
    switch (variant) {
        case None: return;
        case Real: ASSERT_TRUE(CopyFileW((elktest::binFolder() + L"\\" + file).c_str(), target.c_str(), FALSE)); return;
        case Full: source = L"full.dll"; break;
        case NoInit: source = L"noinit.dll"; break;
        case NoFree: source = L"nofree.dll"; break;
    }
    ASSERT_TRUE(CopyFileW((doubles + source).c_str(), target.c_str(), FALSE));
    ASSERT_TRUE(CopyFileW((doubles + L"elkTestDep.dll").c_str(), (tree.program() + L"\\elkTestDep.dll").c_str(), FALSE));
}

std::wstring moduleFile(HMODULE module) {
    wchar_t path[MAX_PATH] = L"";
    GetModuleFileNameW(module, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(s.find_last_of(L'\\') + 1);
}

std::wstring iniDatabase(const elktest::InstallTree& tree) {
    wchar_t value[64];
    GetPrivateProfileStringW(L"Common", L"Database", L"<unset>", value, 64, tree.ini().c_str());
    return value;
}

std::wstring environment(const wchar_t* name) {
    wchar_t value[512];
    DWORD n = GetEnvironmentVariableW(name, value, 512);
    return n && n < 512 ? value : L"";
}

class Backends : public ::testing::Test {
protected:
    void SetUp() override {
        for (const wchar_t* name : {L"ELKTEST_BACKEND_INIT", L"ELKTEST_BACKEND_FREE", L"ELKTEST_BACKEND_CALLS"})
            SetEnvironmentVariableW(name, nullptr);
    }
};

TEST_F(Backends, LoadsTheConfiguredOneAndFallsBackToTheSqliteStore) {
    const struct {
        const wchar_t* database;  // null: no setting
        Variant xml, odbc, sqlite;
        const wchar_t* loaded;
        const wchar_t* iniAfter;
    } cases[] = {
        /* 0 default */ {nullptr, None, None, Real, L"elkSSqlt.dll", L"<unset>"},
        /* 1 any case */ {L"xml", Real, None, Real, L"elkSXML.dll", L"xml"},
        /* 2 */ {L"ODBC", None, Real, Real, L"elkSODBC.dll", L"ODBC"},
        /* 3 an unknown kind that loads keeps its value */ {L"Oracle", Real, Real, Real, L"elkSSqlt.dll", L"Oracle"},
        /* 4 configured library missing */ {L"ODBC", None, None, Real, L"elkSSqlt.dll", L"SQLT"},
        /* 5 start-up entry fails */ {L"XML", Full, None, Real, L"elkSSqlt.dll", L"SQLT"},
        /* 6 start-up entry missing */ {L"xml", NoInit, None, Real, L"elkSSqlt.dll", L"SQLT"},
        /* 7 the dependency beside the back-end is found */ {L"odbc", None, NoFree, Real, L"elkSODBC.dll", L"odbc"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE("row " + std::to_string(i));
        storagetest::Started lib;
        if (c.database) lib.tree.setIni(L"Common", L"Database", c.database);
        install(lib.tree, L"elkSXML.dll", c.xml);
        install(lib.tree, L"elkSODBC.dll", c.odbc);
        install(lib.tree, L"elkSSqlt.dll", c.sqlite);
        // The double's start-up fails wherever it is used as a full back-end.
        SetEnvironmentVariableW(L"ELKTEST_BACKEND_INIT", c.xml == Full ? L"1065" : nullptr);

        HMODULE module = basLoadStorage();
        ASSERT_NE(module, nullptr) << GetLastError();
        EXPECT_EQ(moduleFile(module), c.loaded);
        EXPECT_EQ(GetModuleHandleW((lib.tree.program() + L"\\" + c.loaded).c_str()), module)
            << "loaded from the program folder";
        EXPECT_EQ(iniDatabase(lib.tree), c.iniAfter);
        DWORD freed = basFreeStorage(module);
        EXPECT_EQ(freed, c.odbc == NoFree ? static_cast<DWORD>(ERROR_PROC_NOT_FOUND) : 0u);
        EXPECT_EQ(GetModuleHandleW((lib.tree.program() + L"\\" + c.loaded).c_str()), nullptr) << "still loaded";
    }
}

TEST_F(Backends, DependencyOfTheDoublesIsOnlyBesideThem) {
    // What makes row 7 above a test of the altered search path.
    EXPECT_EQ(GetFileAttributesW((elktest::binFolder() + L"\\elkTestDep.dll").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Backends, WhenNothingStartsTheConfiguredFailureIsReported) {
    const struct {
        const wchar_t* database;
        Variant xml, sqlite;
        const wchar_t* initResult;
        DWORD error;
        const wchar_t* calls;
    } cases[] = {
        /* 0 both start-ups fail: the first one's code */ {L"XML", Full, Full, L"1065", 1065, L"init;init;"},
        /* 1 configured library missing, stand-in fails */ {L"XML", None, Full, L"1066", ERROR_MOD_NOT_FOUND, L"init;"},
        /* 2 already the SQLite store: one attempt only */ {L"sqlt", Full, Full, L"1067", 1067, L"init;"},
        /* 3 start-up entry missing */ {L"SQLT", None, NoInit, nullptr, ERROR_PROC_NOT_FOUND, L""},
        /* 4 nothing installed */ {L"XML", None, None, nullptr, ERROR_MOD_NOT_FOUND, L""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE("row " + std::to_string(i));
        storagetest::Started lib;
        lib.tree.setIni(L"Common", L"Database", c.database);
        install(lib.tree, L"elkSXML.dll", c.xml);
        install(lib.tree, L"elkSSqlt.dll", c.sqlite);
        SetEnvironmentVariableW(L"ELKTEST_BACKEND_INIT", c.initResult);
        SetEnvironmentVariableW(L"ELKTEST_BACKEND_CALLS", nullptr);

        SetLastError(0xdeadbeef);
        EXPECT_EQ(basLoadStorage(), nullptr);
        EXPECT_EQ(GetLastError(), c.error);
        EXPECT_EQ(environment(L"ELKTEST_BACKEND_CALLS"), c.calls);
        EXPECT_EQ(iniDatabase(lib.tree), c.database) << "the setting stays when nothing stood in";
        for (const wchar_t* file : {L"elkSXML.dll", L"elkSSqlt.dll"})
            EXPECT_EQ(GetModuleHandleW((lib.tree.program() + L"\\" + file).c_str()), nullptr)
                << "a failed back-end must be unloaded";
    }
}

TEST_F(Backends, ShutDownResultsAndUnload) {
    storagetest::Started lib;
    lib.tree.setIni(L"Common", L"Database", L"XML");
    install(lib.tree, L"elkSXML.dll", Full);
    const std::wstring path = lib.tree.program() + L"\\elkSXML.dll";

    // A failing shut-down entry still unloads, and its value is the result.
    SetEnvironmentVariableW(L"ELKTEST_BACKEND_FREE", L"1066");
    HMODULE module = basLoadStorage();
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(basFreeStorage(module), 1066u);
    EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr);
    EXPECT_EQ(environment(L"ELKTEST_BACKEND_CALLS"), L"init;free;");

    // Loaded twice, the back-end stays until the second free.
    SetEnvironmentVariableW(L"ELKTEST_BACKEND_FREE", nullptr);
    HMODULE first = basLoadStorage();
    HMODULE second = basLoadStorage();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(second, first);
    EXPECT_EQ(basFreeStorage(first), 0u);
    EXPECT_EQ(GetModuleHandleW(path.c_str()), first);
    EXPECT_EQ(basFreeStorage(second), 0u);
    EXPECT_EQ(GetModuleHandleW(path.c_str()), nullptr);

    EXPECT_EQ(basFreeStorage(nullptr), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Backends, TheSuitesStandInsCountTheirStartUps) {
    storagetest::Started lib;
    install(lib.tree, L"elkSSqlt.dll", Real);
    HMODULE module = basLoadStorage();
    ASSERT_NE(module, nullptr);
    // An extra shut-down through the back-end's own entry is refused.
    auto shutDown = reinterpret_cast<DWORD(WINAPI*)()>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "_dbsFreeLibrary@0")));
    ASSERT_NE(shutDown, nullptr);
    EXPECT_EQ(shutDown(), 0u);
    EXPECT_EQ(basFreeStorage(module), static_cast<DWORD>(ERROR_NOT_READY));
}

}  // namespace
