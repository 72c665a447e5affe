// Named values under the suite's registry key, through the DLL and checked
// against the registry itself.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "include/elkBase.h"
#include "storage/storage_test.h"
#include "support/guarded.h"

namespace {

using storagetest::kDefaultKey;
using storagetest::rawValue;

// Removes a test's value from the key below both roots, whatever happens.
struct ScopedName {
    explicit ScopedName(const wchar_t* what, std::wstring key = kDefaultKey)
        : name(storagetest::uniqueName(what)), key(std::move(key)) {}
    ~ScopedName() {
        storagetest::rawDelete(HKEY_LOCAL_MACHINE, key, name);
        storagetest::rawDelete(HKEY_CURRENT_USER, key, name);
    }
    const wchar_t* c_str() const { return name.c_str(); }
    std::wstring name, key;
};

class Registry : public ::testing::Test {
protected:
    storagetest::Started lib;
};

const struct {
    HKEY root;
    const char* label;
} kRoots[] = {{HKEY_LOCAL_MACHINE, "HKLM"}, {HKEY_CURRENT_USER, "HKCU"}};

TEST_F(Registry, ValuesOfEachKindRoundTripUnderBothRoots) {
    for (const auto& r : kRoots) {
        SCOPED_TRACE(r.label);
        ScopedName text(L"string"), number(L"dword"), bytes(L"binary");

        ASSERT_EQ(basStoreStringValue(r.root, text.c_str(), L"C:\\Tarvo \x00e4"), 0u);
        auto raw = rawValue(r.root, kDefaultKey, text.name);
        ASSERT_EQ(raw.rc, ERROR_SUCCESS);
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(raw.data.size(), 11u * 2) << "the terminator is stored with the text";
        wchar_t out[32];
        EXPECT_EQ(basGetStringValue(r.root, text.c_str(), out, 32), 0u);
        EXPECT_STREQ(out, L"C:\\Tarvo \x00e4");

        // A 32-bit value is 4 little-endian bytes of REG_BINARY, readable as binary.
        ASSERT_EQ(basStoreDWORDValue(r.root, number.c_str(), 0x12345678), 0u);
        raw = rawValue(r.root, kDefaultKey, number.name);
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(raw.data, (std::vector<BYTE>{0x78, 0x56, 0x34, 0x12}));
        DWORD value = 0;
        EXPECT_EQ(basGetDWORDValue(r.root, number.c_str(), &value), 0u);
        EXPECT_EQ(value, 0x12345678u);
        elktest::Guarded<BYTE> four(4);
        EXPECT_EQ(basGetBinaryValue(r.root, number.c_str(), four.data(), 4), 0u);
        EXPECT_EQ(four.written(), (std::vector<BYTE>{0x78, 0x56, 0x34, 0x12}));
        EXPECT_TRUE(four.intact());

        const BYTE blob[] = {0, 1, 2, 0xFF, 0};
        ASSERT_EQ(basStoreBinaryValue(r.root, bytes.c_str(), blob, sizeof(blob)), 0u);
        raw = rawValue(r.root, kDefaultKey, bytes.name);
        EXPECT_EQ(raw.type, static_cast<DWORD>(REG_BINARY));
        EXPECT_EQ(raw.data, std::vector<BYTE>(blob, blob + sizeof(blob)));
        BYTE back[8] = {};
        EXPECT_EQ(basGetBinaryValue(r.root, bytes.c_str(), back, sizeof(back)), 0u);
        EXPECT_EQ(std::vector<BYTE>(back, back + 5), std::vector<BYTE>(blob, blob + 5));

        // Deleted values are gone for every kind of read.
        for (const ScopedName* n : {&text, &number, &bytes}) {
            EXPECT_EQ(basDeleteValue(r.root, n->c_str()), 0u);
            EXPECT_EQ(rawValue(r.root, kDefaultKey, n->name).rc, ERROR_FILE_NOT_FOUND);
            EXPECT_EQ(basDeleteValue(r.root, n->c_str()), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        }
        out[0] = L'#';
        EXPECT_EQ(basGetStringValue(r.root, text.c_str(), out, 32), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(out[0], L'\0');
    }
}

TEST_F(Registry, ReadsTakeTheBytesWhateverTheType) {
    ScopedName dword(L"regdword"), shortValue(L"short"), longValue(L"long");
    const DWORD stored = 0xCAFE0042;
    ASSERT_EQ(storagetest::rawStore(HKEY_CURRENT_USER, kDefaultKey, dword.name, REG_DWORD, &stored, 4), 0);
    DWORD value = 0;
    EXPECT_EQ(basGetDWORDValue(HKEY_CURRENT_USER, dword.c_str(), &value), 0u);
    EXPECT_EQ(value, stored);

    // A shorter value is zero-extended, not mixed with the caller's old bytes.
    const BYTE two[] = {0x34, 0x12};
    ASSERT_EQ(basStoreBinaryValue(HKEY_CURRENT_USER, shortValue.c_str(), two, 2), 0u);
    value = 0xFFFFFFFF;
    EXPECT_EQ(basGetDWORDValue(HKEY_CURRENT_USER, shortValue.c_str(), &value), 0u);
    EXPECT_EQ(value, 0x1234u);

    // Too large: 234, and the caller's value stays as it was.
    const BYTE five[] = {1, 2, 3, 4, 5};
    ASSERT_EQ(basStoreBinaryValue(HKEY_CURRENT_USER, longValue.c_str(), five, 5), 0u);
    value = 0xA5A5A5A5;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(basGetDWORDValue(HKEY_CURRENT_USER, longValue.c_str(), &value), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_EQ(value, 0xA5A5A5A5u);
    elktest::Guarded<BYTE> room(4);
    EXPECT_EQ(basGetBinaryValue(HKEY_CURRENT_USER, longValue.c_str(), room.data(), 4), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_TRUE(room.intact());
    elktest::Guarded<BYTE> none(0);
    EXPECT_EQ(basGetBinaryValue(HKEY_CURRENT_USER, longValue.c_str(), none.data(), 0), static_cast<DWORD>(ERROR_MORE_DATA));
    EXPECT_TRUE(none.untouched()) << "room 0 must write nothing";
    // A null buffer of room 0 only asks whether the value exists.
    EXPECT_EQ(basGetBinaryValue(HKEY_CURRENT_USER, longValue.c_str(), nullptr, 0), 0u);
    EXPECT_EQ(basGetBinaryValue(HKEY_CURRENT_USER, dword.c_str(), nullptr, 0), 0u);
    EXPECT_EQ(basDeleteValue(HKEY_CURRENT_USER, dword.c_str()), 0u);
    EXPECT_EQ(basGetBinaryValue(HKEY_CURRENT_USER, dword.c_str(), nullptr, 0),
              static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Registry, StringReadsStayTerminatedAtEveryRoom) {
    ScopedName terminated(L"terminated"), bare(L"bare"), empty(L"empty");
    ASSERT_EQ(basStoreStringValue(HKEY_CURRENT_USER, terminated.c_str(), L"abcd"), 0u);
    // Another writer may store the text without its terminator.
    ASSERT_EQ(storagetest::rawStore(HKEY_CURRENT_USER, kDefaultKey, bare.name, REG_SZ, L"abcd", 8), 0);
    ASSERT_EQ(basStoreStringValue(HKEY_CURRENT_USER, empty.c_str(), L""), 0u);

    const struct {
        const ScopedName* name;
        DWORD size;
        DWORD result;
        const wchar_t* text;
    } cases[] = {
        /* 0 */ {&terminated, 0, ERROR_MORE_DATA, nullptr},
        /* 1 */ {&terminated, 1, ERROR_MORE_DATA, L""},
        /* 2 */ {&terminated, 4, ERROR_MORE_DATA, L""},
        /* 3 exact fit */ {&terminated, 5, 0, L"abcd"},
        /* 4 */ {&terminated, 6, 0, L"abcd"},
        /* 5 the text alone fills the room */ {&bare, 4, ERROR_MORE_DATA, L""},
        /* 6 */ {&bare, 5, 0, L"abcd"},
        /* 7 */ {&empty, 0, ERROR_MORE_DATA, nullptr},
        /* 8 */ {&empty, 1, 0, L""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        elktest::GuardedText out(c.size);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(basGetStringValue(HKEY_CURRENT_USER, c.name->c_str(), out.data(), c.size), c.result) << "row " << i;
        if (c.text) {
            EXPECT_EQ(out.text(), c.text) << "row " << i;
        }
        EXPECT_TRUE(out.intact()) << "row " << i << " wrote past the room";
    }
}

TEST_F(Registry, RejectsBuffersThatAreNotThere) {
    ScopedName name(L"args");
    ASSERT_EQ(basStoreStringValue(HKEY_CURRENT_USER, name.c_str(), L"x"), 0u);
    EXPECT_EQ(basGetStringValue(HKEY_CURRENT_USER, name.c_str(), nullptr, 8), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basGetBinaryValue(HKEY_CURRENT_USER, name.c_str(), nullptr, 8), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basGetDWORDValue(HKEY_CURRENT_USER, name.c_str(), nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basStoreBinaryValue(HKEY_CURRENT_USER, name.c_str(), nullptr, 4), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(basStoreStringValue(HKEY_CURRENT_USER, name.c_str(), nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    // An empty binary value is a value.
    EXPECT_EQ(basStoreBinaryValue(HKEY_CURRENT_USER, name.c_str(), nullptr, 0), 0u);
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kDefaultKey, name.name).data.size(), 0u);
    elktest::Guarded<BYTE> room(0);
    EXPECT_EQ(basGetBinaryValue(HKEY_CURRENT_USER, name.c_str(), room.data(), 0), 0u);
    EXPECT_TRUE(room.untouched());
}

// The edition string is read at the library's start-up, so each of these
// tests starts it with its own.
TEST(RegistryEdition, MachineValuesMoveToTheEditionKeyUserValuesStay) {
    const std::wstring edition = L"Ed" + std::to_wstring(GetCurrentProcessId());
    storagetest::Started lib(edition.c_str());
    ScopedName machine(L"machine", storagetest::editionKey(edition)), user(L"user");

    ASSERT_EQ(basStoreDWORDValue(HKEY_LOCAL_MACHINE, machine.c_str(), 7), 0u);
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, storagetest::editionKey(edition), machine.name).data,
              (std::vector<BYTE>{7, 0, 0, 0}));
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, kDefaultKey, machine.name).rc, ERROR_FILE_NOT_FOUND);
    DWORD value = 0;
    EXPECT_EQ(basGetDWORDValue(HKEY_LOCAL_MACHINE, machine.c_str(), &value), 0u);
    EXPECT_EQ(value, 7u);

    ASSERT_EQ(basStoreDWORDValue(HKEY_CURRENT_USER, user.c_str(), 8), 0u);
    EXPECT_EQ(rawValue(HKEY_CURRENT_USER, kDefaultKey, user.name).data, (std::vector<BYTE>{8, 0, 0, 0}));
    EXPECT_EQ(basDeleteValue(HKEY_CURRENT_USER, user.c_str()), 0u);

    EXPECT_EQ(basDeleteValue(HKEY_LOCAL_MACHINE, machine.c_str()), 0u);
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, storagetest::editionKey(edition).c_str());
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, (L"Software\\ORVEL Software\\Tarvo\\" + edition).c_str());
}

TEST(RegistryEdition, MissingKeyReads2AndAnEmptyString) {
    // No test writes below this edition, so its key does not exist.
    const std::wstring edition = L"None" + std::to_wstring(GetCurrentProcessId());
    storagetest::Started lib(edition.c_str());
    ASSERT_EQ(rawValue(HKEY_LOCAL_MACHINE, storagetest::editionKey(edition), L"x").rc, ERROR_FILE_NOT_FOUND);
    wchar_t out[8] = L"canary";
    EXPECT_EQ(basGetStringValue(HKEY_LOCAL_MACHINE, L"x", out, 8), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_STREQ(out, L"");
    DWORD value = 42;
    EXPECT_EQ(basGetDWORDValue(HKEY_LOCAL_MACHINE, L"x", &value), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(value, 42u);
    EXPECT_EQ(basDeleteValue(HKEY_LOCAL_MACHINE, L"x"), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(RegistryEdition, AnEditionTooLongForTheKeyPathIsRefused) {
    // "Software\ORVEL Software\Tarvo\<edition>\5.0" in 259 characters holds an
    // edition of 225; one more would have to be cut.
    const std::wstring longer(226, L'E');
    {
        storagetest::Started lib(longer.c_str());
        ScopedName name(L"long");
        EXPECT_EQ(basStoreDWORDValue(HKEY_LOCAL_MACHINE, name.c_str(), 1), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
        DWORD value = 0;
        EXPECT_EQ(basGetDWORDValue(HKEY_LOCAL_MACHINE, name.c_str(), &value),
                  static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
        // The per-user key does not carry the edition.
        EXPECT_EQ(basStoreDWORDValue(HKEY_CURRENT_USER, name.c_str(), 1), 0u);
        EXPECT_EQ(basDeleteValue(HKEY_CURRENT_USER, name.c_str()), 0u);
    }
    EXPECT_EQ(rawValue(HKEY_LOCAL_MACHINE, L"Software\\ORVEL Software\\Tarvo\\" + longer, L"x").rc,
              ERROR_FILE_NOT_FOUND)
        << "no key may have been created from a cut path";
}

}  // namespace
