// COM servers: a library of the build that registers itself, classes written
// into the registry by the test, and the registration entry points' failures.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "include/elkBase.h"
#include "support/files.h"
#include "support/install_tree.h"

namespace {

constexpr wchar_t kBraced[] = L"{5C1E7A02-3B6D-4F8E-9A41-0D2C7B8E6F13}";
constexpr wchar_t kBare[] = L"5c1e7a02-3b6d-4f8e-9a41-0d2c7b8e6f13";

std::wstring comServer() { return elktest::binFolder() + L"\\comserver\\elkcomserver.dll"; }

// Registers the build's COM library for one scope.
class RegisteredServer {
public:
    RegisteredServer() { result_ = basRegisterComDll(comServer().c_str()); }
    ~RegisteredServer() {
        if (result_ == 0) basUnregisterComDll(comServer().c_str());
    }
    DWORD result() const { return result_; }

private:
    DWORD result_;
};

// A class of the test's own below HKEY_CLASSES_ROOT\CLSID, removed with all
// its subkeys.
class TestClass {
public:
    explicit TestClass(const wchar_t* id) : key_(std::wstring(L"CLSID\\") + id) {}
    ~TestClass() { RegDeleteTreeW(HKEY_CLASSES_ROOT, key_.c_str()); }
    void set(const wchar_t* subkey, DWORD type, const std::wstring& text) const {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, (key_ + L"\\" + subkey).c_str(), 0, nullptr, 0, KEY_WRITE,
                                  nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        EXPECT_EQ(RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }

private:
    std::wstring key_;
};

std::wstring serverOf(const wchar_t* id, DWORD size = MAX_PATH, BOOL* found = nullptr) {
    std::wstring out(size + 8, L'#');
    BOOL result = basGetOleServerFileNameFromClassId(id, out.data(), size);
    if (found) *found = result;
    EXPECT_EQ(out[size], L'#') << "written past the size";
    return out.c_str();
}

TEST(ComServer, RegisterReadAndUnregister) {
    const std::wstring path = comServer();
    {
        RegisteredServer server;
        ASSERT_EQ(server.result(), 0u);
        for (const wchar_t* id : {kBraced, kBare}) {
            BOOL found = FALSE;
            EXPECT_EQ(serverOf(id, MAX_PATH, &found), path) << id;
            EXPECT_TRUE(found) << id;
        }

        DWORD high = 0xdeadbeef, low = 0xdeadbeef;
        EXPECT_EQ(basGetOleServerVersion(kBare, &high, &low), 0u);
        EXPECT_EQ(high, 0x00030001u);
        EXPECT_EQ(low, 0x00040001u);
        const struct {
            DWORD high, low;
            int expected;
        } rows[] = {
            /* 0 */ {0x00030001, 0x00040001, 0}, /* 1 */ {0x00030001, 0x00040000, 1},
            /* 2 */ {0x00030001, 0x00040002, -1}, /* 3 */ {0x00030000, 0xFFFFFFFF, 1},
            /* 4 */ {0x00030002, 0, -1},
        };
        for (size_t i = 0; i < std::size(rows); ++i) {
            SetLastError(0xdeadbeef);
            EXPECT_EQ(basCheckOleServerVersion(kBraced, rows[i].high, rows[i].low), rows[i].expected) << "row " << i;
            EXPECT_EQ(GetLastError(), 0u) << "row " << i;
        }
    }
    BOOL found = TRUE;
    EXPECT_EQ(serverOf(kBraced, MAX_PATH, &found), L"");
    EXPECT_FALSE(found);
}

// A path is handed out whole or not at all, and the output always ends.
TEST(ComServer, PathThatDoesNotFitIsNoServer) {
    RegisteredServer server;
    ASSERT_EQ(server.result(), 0u);
    const DWORD length = static_cast<DWORD>(comServer().size());
    const struct {
        DWORD size;
        bool found;
    } rows[] = {{length + 1, true}, {length, false}, {length - 1, false}, {1, false}};
    for (size_t i = 0; i < std::size(rows); ++i) {
        BOOL found = !rows[i].found;
        std::wstring out = serverOf(kBraced, rows[i].size, &found);
        EXPECT_EQ(found != FALSE, rows[i].found) << "row " << i;
        EXPECT_EQ(out, rows[i].found ? comServer() : L"") << "row " << i;
    }

    // The version reads take paths up to 259 characters.
    TestClass longPath(L"{5C1E7A02-3B6D-4F8E-9A41-0D2C7B8E6F14}");
    longPath.set(L"InprocServer32", REG_SZ, L"C:\\" + std::wstring(MAX_PATH - 3, L'x'));
    DWORD high = 0xdeadbeef, low = 0xdeadbeef;
    SetLastError(0);
    EXPECT_EQ(basGetOleServerVersion(L"{5C1E7A02-3B6D-4F8E-9A41-0D2C7B8E6F14}", &high, &low), 2u);
    EXPECT_EQ(GetLastError(), 2u);
    EXPECT_EQ(high, 0u);
    EXPECT_EQ(low, 0u);
}

TEST(ComServer, WhichKeysAndValuesNameTheServer) {
    elktest::TempFolder folder;
    const std::wstring longFolder = folder / L"a long folder name";
    ASSERT_TRUE(elktest::writeFile(longFolder + L"\\server.exe", "x"));
    wchar_t shortFolder[MAX_PATH];
    ASSERT_NE(GetShortPathNameW(longFolder.c_str(), shortFolder, MAX_PATH), 0u);
    ASSERT_NE(std::wstring(shortFolder).find(L'~'), std::wstring::npos) << "no short name: " << elktest::utf8(shortFolder);

    const struct {
        const wchar_t* subkey;
        DWORD type;
        std::wstring value;
        std::wstring expected;  // empty: no server
    } rows[] = {
        /* 0 */ {L"LocalServer32", REG_SZ, std::wstring(shortFolder) + L"\\server.exe /automation",
                 longFolder + L"\\server.exe"},
        // A short name that is not there stays, cut at the switches.
        /* 1 */ {L"localserver", REG_EXPAND_SZ, L"C:\\NOWHER~1\\x.exe /embedding", L"C:\\NOWHER~1\\x.exe"},
        // Without a short name the switches stay.
        /* 2 */ {L"LocalServer32", REG_SZ, L"C:\\x\\server.exe /automation", L"C:\\x\\server.exe /automation"},
        /* 3 */ {L"InprocHandler32", REG_SZ, L"C:\\x\\handler.dll", L""},
        /* 4 */ {L"InprocServer32", REG_BINARY, L"C:\\x\\binary.dll", L""},
        /* 5 */ {L"InprocServer", REG_SZ, L"C:\\x\\old.dll", L""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        TestClass cls(L"{5C1E7A02-3B6D-4F8E-9A41-0D2C7B8E6F15}");
        cls.set(rows[i].subkey, rows[i].type, rows[i].value);
        BOOL found = FALSE;
        EXPECT_EQ(serverOf(L"{5C1E7A02-3B6D-4F8E-9A41-0D2C7B8E6F15}", MAX_PATH, &found), rows[i].expected)
            << "row " << i;
        EXPECT_EQ(found != FALSE, !rows[i].expected.empty()) << "row " << i;
    }

    for (const wchar_t* id : {L"", L"not a class", L"{5C1E7A02-3B6D-4F8E-9A41-0D2C7B8E6F16}"}) {
        BOOL found = TRUE;
        EXPECT_EQ(serverOf(id, MAX_PATH, &found), L"") << elktest::utf8(id);
        EXPECT_FALSE(found) << elktest::utf8(id);
    }
    EXPECT_FALSE(basGetOleServerFileNameFromClassId(nullptr, nullptr, 0));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(basCheckOleServerVersion(L"{5C1E7A02-3B6D-4F8E-9A41-0D2C7B8E6F16}", 0, 0), -1);
    EXPECT_EQ(GetLastError(), 2u);
}

TEST(ComServer, RegistrationFailures) {
    elktest::TempFolder folder;
    ASSERT_TRUE(elktest::writeFile(folder / L"text.dll", "not a library"));
    // A library without the entry points: the suite's base library.
    const std::wstring noEntries = elktest::binFolder() + L"\\ozrCmnBS.dll";
    const struct {
        std::wstring path;
        DWORD expected;
    } rows[] = {
        /* 0 */ {folder / L"missing.dll", ERROR_FILE_NOT_FOUND},
        /* 1 */ {noEntries, ERROR_PROC_NOT_FOUND},
        /* 2 */ {folder / L"text.dll", ERROR_BAD_EXE_FORMAT},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(basRegisterComDll(rows[i].path.c_str()), rows[i].expected) << "row " << i;
        EXPECT_EQ(basUnregisterComDll(rows[i].path.c_str()), rows[i].expected) << "row " << i;
    }
    EXPECT_EQ(basRegisterComDll(nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
