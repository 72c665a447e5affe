// basSubmitFile and basValidatePath through the DLL: spool files read back
// record by record, on a temporary installation.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "base/suite/ozrCmnIS.h"
#include "include/elkBase.h"
#include "submit/core/spool_reader.h"
#include "support/files.h"
#include "support/library.h"

namespace {

using namespace std::string_literals;

// A spool file read back with the spool's reader: each record's bytes (value
// records) and, for content, what decoding gives.
struct Spool {
    std::vector<std::string> tags;
    std::map<std::string, std::string> raw, plain;
};

Spool spoolOf(const std::string& bytes) {
    Spool spool;
    elk::submit::MemorySource source(bytes);
    elk::submit::SpoolReader reader(source);
    EXPECT_TRUE(reader.start()) << reader.fault().message;
    auto decoder = [](unsigned char* block, size_t n) { return cyphSimpleCode(block, static_cast<DWORD>(n), 0, 0); };
    elk::submit::SpoolRecord record;
    while (reader.next(record)) {
        spool.tags.push_back(record.tag);
        if (record.length <= elk::submit::kMaxValueRecord) reader.bytes(record, spool.raw[record.tag]);
        elk::submit::SpoolForm form = elk::submit::formOf(record.tag);
        if (form == elk::submit::SpoolForm::Content ||
            (form == elk::submit::SpoolForm::Property && !reader.isWideText(record))) {
            std::string& plain = spool.plain[record.tag];
            EXPECT_TRUE(reader.content(record, decoder, [&](const unsigned char* block, size_t n) {
                plain.append(reinterpret_cast<const char*>(block), n);
                return true;
            })) << reader.fault().message;
        }
    }
    EXPECT_FALSE(reader.failed()) << reader.fault().message;
    return spool;
}

uint32_t number(const std::string& data) {
    EXPECT_EQ(data.size(), 4u);
    uint32_t v = 0;
    std::memcpy(&v, data.data(), std::min<size_t>(4, data.size()));
    return v;
}

std::string wideBytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

std::string sha256(const std::string& bytes) {
    BYTE digest[32];
    EXPECT_EQ(sha256GenerateHash(bytes.data(), static_cast<DWORD>(bytes.size()), digest), 0u);
    return std::string(reinterpret_cast<char*>(digest), 32);
}

std::string sample(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251);
    return bytes;
}

class Submit : public elktest::LibraryTest {
protected:
    void SetUp() override {
        CreateDirectoryW((tree.program() + L"\\setup").c_str(), nullptr);
        start();
        spool = tree.data() + L"\\spool\\suspic";
    }

    void servers(const wchar_t* key, const wchar_t* value) {
        WritePrivateProfileStringW(L"Servers", key, value, (tree.program() + L"\\setup\\servers.def").c_str());
    }
    void installation(const wchar_t* guid) {
        WritePrivateProfileStringW(L"Common", L"GUID", guid, (tree.program() + L"\\setup\\setup.ini").c_str());
    }

    // Names of the files in the spool folder with the extension.
    std::vector<std::wstring> spoolFiles(const wchar_t* extension = L".suspic") const {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW entry;
        HANDLE find = FindFirstFileW((spool + L"\\*" + extension).c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return names;
        do names.push_back(entry.cFileName);
        while (FindNextFileW(find, &entry));
        FindClose(find);
        return names;
    }
    // The one spool file written by the call, taken away, read back.
    Spool takeOne() {
        std::vector<std::wstring> names = spoolFiles();
        EXPECT_EQ(names.size(), 1u);
        EXPECT_TRUE(spoolFiles(L".partial").empty());
        if (names.size() != 1) return {};
        std::wstring path = spool + L"\\" + names[0];
        Spool read = spoolOf(elktest::readFile(path));
        lastName = names[0];
        DeleteFileW(path.c_str());
        return read;
    }
    std::wstring file(const wchar_t* name, const std::string& bytes) {
        std::wstring path = tree.root() + L"\\" + name;
        EXPECT_TRUE(elktest::writeFile(path, bytes));
        return path;
    }

    std::wstring spool, lastName;
};

// A file from its path, two coding blocks and a bit: every record in its
// order, the content decoded block by block, its hash, and the properties.
TEST_F(Submit, FromAPathEveryRecordInOrder) {
    installation(L"01234567-89AB-CDEF-0123-456789ABCDEF");
    const std::string content = sample(2 * 65536 + 100);
    std::wstring path = file(L"sample.bin", content);
    const BYTE raw[3] = {0, 1, 2};
    SubmitProperty props[] = {
        {L"NOTE", L"a note"}, {L"BYTE", reinterpret_cast<const wchar_t*>(raw)}, {L"NULL", nullptr},
        {L"FILE", nullptr},   {L"EMBD", nullptr},
    };
    std::wstring embedded = file(L"embedded.txt", "embedded content");
    props[3].value = embedded.c_str();
    std::wstring missing = tree.root() + L"\\missing.txt";
    props[4].value = missing.c_str();
    const DWORD lengths[] = {0, 3, 0};
    SubmitFileInfo info = {path.c_str(), nullptr, nullptr, nullptr, 0};
    ASSERT_EQ(basSubmitFile(&info, L"scanner", 1, 0x8000, 3, props, lengths, 2), 0u);

    Spool s = takeOne();
    std::vector<std::string> expected = {"NAME", "SIZE", "HTYP", "HASH", "TYPE", "GUID", "O/S ", "UNID", "STMP",
                                         "STCH", "STCT", "STLA", "DATE", "FLAG", "STYP", "NOTE", "BYTE", "FILE", "DATA"};
    ASSERT_EQ(s.tags, expected);
    EXPECT_EQ(s.raw["NAME"], wideBytes(path));
    EXPECT_EQ(number(s.raw["SIZE"]), content.size());
    EXPECT_EQ(s.raw["HTYP"], "SHA256");
    EXPECT_EQ(s.raw["HASH"], sha256(content));
    EXPECT_EQ(s.raw["TYPE"], wideBytes(L"scanner"));
    EXPECT_EQ(s.raw["GUID"], "01234567-89AB-CDEF-0123-456789ABCDEF");
    // The submission's own GUID names the file and is recorded.
    EXPECT_EQ(lastName, std::wstring(s.raw["UNID"].begin(), s.raw["UNID"].end()) + L".suspic");
    EXPECT_EQ(s.raw["UNID"].size(), 38u);
    EXPECT_EQ(s.raw["UNID"].front(), '{');
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof version;
    GetVersionExW(&version);
    EXPECT_EQ(number(s.raw["O/S "]) & 0x7FFFFFFF, version.dwBuildNumber);
    FILETIME written;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileTime(h, nullptr, nullptr, &written);
    CloseHandle(h);
    EXPECT_EQ(s.raw["STMP"], std::string(reinterpret_cast<char*>(&written), 8));
    uint32_t now = static_cast<uint32_t>(time(nullptr));
    EXPECT_LE(now - number(s.raw["DATE"]), 60u);
    // The temporary tree lies in the profile folder (or elsewhere) here.
    wchar_t profile[MAX_PATH];
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, profile, 0x28, FALSE));
    bool inProfile = path.compare(0, wcslen(profile), profile) == 0;
    EXPECT_EQ(number(s.raw["FLAG"]), 0x8000u | (inProfile ? 0x004u : 0u));
    EXPECT_EQ(number(s.raw["STYP"]), 1u);
    EXPECT_EQ(s.raw["NOTE"], wideBytes(L"a note"));
    EXPECT_EQ(s.raw["BYTE"], std::string("\0\1\2", 3));
    EXPECT_EQ(s.plain["FILE"], "embedded content");
    EXPECT_NE(s.raw["DATA"], content) << "the content is stored coded";
    EXPECT_EQ(s.plain["DATA"], content);
}

// The other sources: a handle of the caller (read, never closed), bytes in
// memory (size 0 included), a raw path; and the program version from the
// registry.
TEST_F(Submit, HandleMemoryAndRawSources) {
    const std::string content = sample(1000);
    std::wstring path = file(L"h.bin", content);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFilePointer(h, 10, nullptr, FILE_BEGIN);
    SubmitFileInfo byHandle = {nullptr, L"shown name", h, nullptr, 0};
    ASSERT_EQ(basSubmitFile(&byHandle, nullptr, 0, 0, 0, nullptr, nullptr, 0), 0u);
    Spool s = takeOne();
    EXPECT_EQ(s.raw["NAME"], wideBytes(L"shown name"));
    EXPECT_EQ(s.plain["DATA"], content) << "read from the start";
    EXPECT_EQ(s.raw.count("STMP"), 1u);
    char one;
    DWORD read = 0;
    SetFilePointer(h, 0, nullptr, FILE_BEGIN);
    EXPECT_TRUE(ReadFile(h, &one, 1, &read, nullptr)) << "the caller's handle stays open";
    CloseHandle(h);

    SubmitFileInfo inMemory = {nullptr, L"memory", nullptr, reinterpret_cast<const BYTE*>(content.data()), 300};
    ASSERT_EQ(basSubmitFile(&inMemory, nullptr, 0, 0, 0, nullptr, nullptr, 0), 0u);
    s = takeOne();
    EXPECT_EQ(s.plain["DATA"], content.substr(0, 300));
    EXPECT_EQ(s.raw["HASH"], sha256(content.substr(0, 300)));
    EXPECT_EQ(s.raw.count("STMP"), 0u) << "no file, no file times";

    SubmitFileInfo empty = {nullptr, L"empty", nullptr, reinterpret_cast<const BYTE*>(""), 0};
    ASSERT_EQ(basSubmitFile(&empty, nullptr, 0, 0, 0, nullptr, nullptr, 0), 0u);
    s = takeOne();
    EXPECT_EQ(s.raw.count("SIZE") + s.raw.count("HTYP") + s.raw.count("HASH"), 0u);
    ASSERT_EQ(s.raw.count("DATA"), 1u);
    EXPECT_EQ(s.raw["DATA"], "");

    // Raw access reaches a name that ordinary paths rewrite: a trailing dot.
    std::wstring dotted = L"\\\\?\\" + tree.root() + L"\\trailing.";
    HANDLE made = CreateFileW(dotted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(made, INVALID_HANDLE_VALUE);
    DWORD written;
    WriteFile(made, "raw", 3, &written, nullptr);
    CloseHandle(made);
    SubmitFileInfo raw = {dotted.c_str(), nullptr, nullptr, nullptr, 0};
    ASSERT_EQ(basSubmitFile(&raw, nullptr, 0, 0x200, 0, nullptr, nullptr, 0), 0u);
    s = takeOne();
    EXPECT_EQ(s.plain["DATA"], "raw");
    EXPECT_EQ(number(s.raw["FLAG"]), 0x200u);
}

// "PROG" from the suite's key: SetupVersion OR'd with the "major.minor" of
// Version in the high half; nothing at all without either.
TEST_F(Submit, ProgramVersionFromTheRegistry) {
    SubmitFileInfo info = {nullptr, L"p", nullptr, reinterpret_cast<const BYTE*>("p"), 1};
    basDeleteValue(HKEY_LOCAL_MACHINE, L"SetupVersion");
    basDeleteValue(HKEY_LOCAL_MACHINE, L"Version");
    ASSERT_EQ(basSubmitFile(&info, nullptr, 0, 0, 0, nullptr, nullptr, 0), 0u);
    EXPECT_EQ(takeOne().raw.count("PROG"), 0u);
    ASSERT_EQ(basStoreDWORDValue(HKEY_LOCAL_MACHINE, L"SetupVersion", 0x1234), 0u);
    ASSERT_EQ(basStoreStringValue(HKEY_LOCAL_MACHINE, L"Version", L"5.3"), 0u);
    ASSERT_EQ(basSubmitFile(&info, nullptr, 0, 0, 0, nullptr, nullptr, 0), 0u);
    Spool s = takeOne();
    EXPECT_EQ(number(s.raw["PROG"]), 0x1234u | ((5u * 256 + 3) << 16));
    // A Version that is no "%u.%u" counts as 0.0.
    ASSERT_EQ(basStoreStringValue(HKEY_LOCAL_MACHINE, L"Version", L"five"), 0u);
    ASSERT_EQ(basSubmitFile(&info, nullptr, 0, 0, 0, nullptr, nullptr, 0), 0u);
    s = takeOne();
    EXPECT_EQ(number(s.raw["PROG"]), 0x1234u);
    basDeleteValue(HKEY_LOCAL_MACHINE, L"SetupVersion");
    basDeleteValue(HKEY_LOCAL_MACHINE, L"Version");
}

TEST_F(Submit, BadArguments) {
    SubmitFileInfo none = {};
    EXPECT_EQ(basSubmitFile(nullptr, nullptr, 0, 0, 0, nullptr, nullptr, 0), 160u);
    EXPECT_EQ(basSubmitFile(&none, nullptr, 0, 0, 0, nullptr, nullptr, 0), 160u);
    // Properties only: a source may be missing, a name may not.
    EXPECT_EQ(basSubmitFile(&none, nullptr, 0, 0x100, 0, nullptr, nullptr, 0), 160u);
    SubmitFileInfo missing = {L"C:\\no\\such\\file.bin", nullptr, nullptr, nullptr, 0};
    EXPECT_EQ(basSubmitFile(&missing, nullptr, 0, 0, 0, nullptr, nullptr, 0), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_TRUE(spoolFiles().empty());
    ASSERT_EQ(basSubmitFile(&missing, nullptr, 0, 0x100 | 0x40, 0, nullptr, nullptr, 0), 0u);
    Spool s = takeOne();
    EXPECT_EQ(number(s.raw["FLAG"]), 0x40u) << "0x100 is never stored";
    EXPECT_EQ(s.raw.count("DATA"), 0u);
}

// The sampling filter: N from the server definitions (or the kind's
// default) against the installation's GUID, whose first field rotated by 16
// must be a multiple of N rounded up to a power of two.
TEST_F(Submit, SamplingFilter) {
    const std::string content = "x";
    SubmitFileInfo info = {L"memory", nullptr, nullptr, reinterpret_cast<const BYTE*>(content.data()), 1};
    const wchar_t* even = L"00020000-0000-0000-0000-000000000000";    // rotated: 2
    const wchar_t* by8 = L"00080000-0000-0000-0000-000000000000";     // rotated: 8
    const wchar_t* by64 = L"00400000-0000-0000-0000-000000000000";    // rotated: 64
    const struct {
        DWORD kind;
        const wchar_t* n;  // nullptr: the key is absent
        const wchar_t* guid;
        bool sends;
    } rows[] = {
        /* 0 */ {0, nullptr, by8, true},
        /* 1 statistics default 8 */ {3, nullptr, by8, true},
        /* 2 */ {3, nullptr, even, false},
        /* 3 crash dumps default 64 */ {5, nullptr, by64, true},
        /* 4 */ {5, nullptr, by8, false},
        /* 5 */ {1, L"0", by64, false},
        /* 6 */ {3, L"1", even, true},
        /* 7 */ {2, L"2", even, true},
        /* 8 N = 3 is 4 */ {4, L"3", even, false},
        /* 9 */ {4, L"3", by8, true},
        /* 10 */ {9, L"64", by64, true},
        /* 11 */ {9, L"64", by8, false},
        /* 12 a missing GUID sends */ {3, L"8", nullptr, true},
        /* 13 a short one */ {3, L"8", L"00020000-0000-0000-0000-00000000000", true},
        /* 14 a malformed one */ {3, L"8", L"00020000-0000-0000-0000-00000000000Z", true},
        /* 15 with braces it is 38 long */ {3, L"8", L"{00020000-0000-0000-0000-000000000000}", true},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const wchar_t* key = rows[i].kind == 0   ? L"SendAutoSubmitFilter"
                             : rows[i].kind == 1 ? L"SendManualSubmitFilter"
                             : rows[i].kind == 2 ? L"SendFpSubmitFilter"
                             : rows[i].kind == 3 ? L"SendStatsFilter"
                             : rows[i].kind == 4 ? L"SendHeurFilter"
                             : rows[i].kind == 5 ? L"SendCrashdumpFilter"
                                                 : L"SendFilter";
        servers(key, rows[i].n);
        installation(rows[i].guid);
        EXPECT_EQ(basSubmitFile(&info, nullptr, rows[i].kind, 0, 0, nullptr, nullptr, 0), 0u) << "row " << i;
        std::vector<std::wstring> names = spoolFiles();
        EXPECT_EQ(names.size(), rows[i].sends ? 1u : 0u) << "row " << i;
        for (const std::wstring& name : names) DeleteFileW((spool + L"\\" + name).c_str());
        servers(key, nullptr);
    }
}

// Statistics stop while the spool holds more than 200 files.
TEST_F(Submit, StatisticsLimit) {
    servers(L"SendStatsFilter", L"1");
    ASSERT_EQ(basValidatePath(spool.c_str(), 1), 0u);
    for (int i = 0; i < 200; ++i) elktest::writeFile(spool + L"\\other" + std::to_wstring(i) + L".txt", "");
    CreateDirectoryW((spool + L"\\a folder").c_str(), nullptr);
    SubmitFileInfo info = {L"stats", nullptr, nullptr, reinterpret_cast<const BYTE*>("s"), 1};
    ASSERT_EQ(basSubmitFile(&info, nullptr, 3, 0, 0, nullptr, nullptr, 0), 0u);
    EXPECT_EQ(spoolFiles().size(), 1u) << "200 files: written";
    ASSERT_EQ(basSubmitFile(&info, nullptr, 3, 0, 0, nullptr, nullptr, 0), 0u);
    EXPECT_EQ(spoolFiles().size(), 1u) << "201 files: nothing written";
    ASSERT_EQ(basSubmitFile(&info, nullptr, 0, 0, 0, nullptr, nullptr, 0), 0u);
    EXPECT_EQ(spoolFiles().size(), 2u) << "other kinds have no limit";
}

// 32,000,000 bytes go in; one more goes nowhere, unless only the properties
// are asked for.
TEST_F(Submit, SizeLimit) {
    for (ULONGLONG size : {32000000ULL, 32000001ULL}) {
        std::wstring path = tree.root() + L"\\big" + std::to_wstring(size) + L".bin";
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        LARGE_INTEGER at;
        at.QuadPart = static_cast<LONGLONG>(size);
        ASSERT_TRUE(SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h));
        CloseHandle(h);
        SubmitFileInfo info = {path.c_str(), nullptr, nullptr, nullptr, 0};
        // A reader of the spool polls it meanwhile: a ".suspic" file it sees
        // is always complete.
        std::atomic<bool> done{false};
        std::atomic<int> partSeen{0};
        std::thread reader([&] {
            while (!done) {
                WIN32_FILE_ATTRIBUTE_DATA a;
                for (const std::wstring& name : spoolFiles())
                    if (GetFileAttributesExW((spool + L"\\" + name).c_str(), GetFileExInfoStandard, &a) &&
                        a.nFileSizeLow < size)
                        ++partSeen;
                Sleep(5);
            }
        });
        DWORD rc = basSubmitFile(&info, nullptr, 0, 0, 0, nullptr, nullptr, 0);
        done = true;
        reader.join();
        ASSERT_EQ(rc, 0u);
        EXPECT_EQ(partSeen, 0) << "the reader saw a spool file before it was complete";
        if (size == 32000000ULL) {
            Spool s = takeOne();
            EXPECT_EQ(s.plain["DATA"].size(), size);
            EXPECT_EQ(s.raw["HASH"], sha256(s.plain["DATA"]));
        } else {
            EXPECT_TRUE(spoolFiles().empty());
            ASSERT_EQ(basSubmitFile(&info, nullptr, 0, 0x100, 0, nullptr, nullptr, 0), 0u);
            Spool s = takeOne();
            EXPECT_EQ(number(s.raw["SIZE"]), size);
            EXPECT_EQ(s.raw.count("DATA"), 0u);
        }
        DeleteFileW(path.c_str());
    }
}

// The location bits against the real folders and their short forms; a bit
// the caller sets ends the checks.
TEST_F(Submit, LocationFlags) {
    wchar_t windows[MAX_PATH], programs[MAX_PATH], profile[MAX_PATH], shortWindows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, programs, 0x26, FALSE));
    ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, profile, 0x28, FALSE));
    GetShortPathNameW(windows, shortWindows, MAX_PATH);
    std::wstring otherCase(windows);
    for (wchar_t& c : otherCase) c = c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - 32) : static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c + 32 : c);
    const struct {
        std::wstring name;
        DWORD given, stored;
    } rows[] = {
        /* 0 */ {std::wstring(windows) + L"\\system32\\x.dll", 0, 0x001},
        /* 1 */ {std::wstring(shortWindows) + L"\\x.dll", 0, 0x001},
        /* 2 */ {std::wstring(programs) + L"\\App\\x.exe", 0, 0x002},
        /* 3 */ {std::wstring(profile) + L"\\x.doc", 0, 0x004},
        /* 4 a sibling folder with the same start */ {std::wstring(windows) + L"Old\\x", 0, 0x001},
        /* 5 case counts */ {otherCase + L"\\x", 0, 0},
        /* 6 */ {L"z:\\elsewhere\\x", 0, 0},
        /* 7 the caller's bit ends the checks */ {std::wstring(profile) + L"\\x.doc", 0x001, 0x001},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SubmitFileInfo info = {nullptr, rows[i].name.c_str(), nullptr, reinterpret_cast<const BYTE*>("l"), 1};
        ASSERT_EQ(basSubmitFile(&info, nullptr, 0, rows[i].given, 0, nullptr, nullptr, 0), 0u) << "row " << i;
        Spool s = takeOne();
        EXPECT_EQ(number(s.raw["FLAG"]), rows[i].stored) << "row " << i;
    }
}

// A failure after the spool file was begun removes it and reports the step.
TEST_F(Submit, FailureLeavesNoFile) {
    const std::string content = sample(5000);
    std::wstring path = file(L"f.bin", content);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    const struct {
        ULONGLONG size;
        DWORD status;
    } rows[] = {
        /* 0 the source holds more than its stated size */ {4000, ERROR_INVALID_DATA},
        /* 1 and less */ {6000, ERROR_HANDLE_EOF},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SubmitFileInfo info = {nullptr, L"stated", h, nullptr, rows[i].size};
        EXPECT_EQ(basSubmitFile(&info, nullptr, 0, 0, 0, nullptr, nullptr, 0), rows[i].status) << "row " << i;
        EXPECT_TRUE(spoolFiles().empty()) << "row " << i;
        EXPECT_TRUE(spoolFiles(L".partial").empty()) << "row " << i;
    }
    CloseHandle(h);
    // A handle without read access: the hash fails.
    h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    SubmitFileInfo info = {nullptr, L"unreadable", h, nullptr, 0};
    EXPECT_NE(basSubmitFile(&info, nullptr, 0, 0, 0, nullptr, nullptr, 0), 0u);
    EXPECT_TRUE(spoolFiles().empty());
    EXPECT_TRUE(spoolFiles(L".partial").empty());
    CloseHandle(h);
    EXPECT_EQ(elktest::readFile(path), content) << "the caller's file is untouched";
}

TEST_F(Submit, SetsTheUpdateEventWhenThere) {
    SubmitFileInfo info = {nullptr, L"e", nullptr, reinterpret_cast<const BYTE*>("e"), 1};
    ASSERT_EQ(basSubmitFile(&info, nullptr, 0, 0, 0, nullptr, nullptr, 0), 0u) << "no event: no failure";
    takeOne();
    HANDLE event = CreateEventW(nullptr, TRUE, FALSE, L"ozrUpdateNow.evt");
    ASSERT_NE(event, nullptr);
    ASSERT_EQ(basSubmitFile(&info, nullptr, 0, 0, 0, nullptr, nullptr, 0), 0u);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);
    CloseHandle(event);
    takeOne();
}

// File properties compressed: a gzip stream that names the file.
TEST_F(Submit, CompressedFileProperty) {
    std::string text(100000, 'c');
    std::wstring embedded = file(L"notes.txt", text);
    SubmitProperty props[] = {{L"FILE", embedded.c_str()}};
    SubmitFileInfo info = {nullptr, L"c", nullptr, reinterpret_cast<const BYTE*>("c"), 1};
    ASSERT_EQ(basSubmitFile(&info, nullptr, 0, 0x400, 0, props, nullptr, 1), 0u);
    Spool s = takeOne();
    std::string stream = s.plain["FILE"];
    ASSERT_GT(stream.size(), 18u);
    EXPECT_LT(stream.size(), text.size() / 10);
    EXPECT_EQ(stream.substr(0, 2), "\x1f\x8b");
    EXPECT_NE(stream.find("notes.txt"s + '\0'), std::string::npos) << "the name in the gzip header";
    EXPECT_EQ(number(s.raw["FLAG"]), 0x400u);
}

TEST_F(Submit, ValidatePath) {
    std::wstring base = tree.root() + L"\\one";
    ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
    EXPECT_EQ(basValidatePath(base.c_str(), 1), 0u);
    std::wstring deep = base + L"\\two\\three";
    EXPECT_EQ(basValidatePath(deep.c_str(), 0x101), 0u) << "only the low byte counts";
    EXPECT_TRUE(elktest::exists(deep));
    EXPECT_EQ(basValidatePath((base + L"\\four\\five\\file.txt").c_str(), 0x100), 0u) << "a file's folder";
    EXPECT_TRUE(elktest::exists(base + L"\\four\\five"));
    EXPECT_FALSE(elktest::exists(base + L"\\four\\five\\file.txt"));
    EXPECT_EQ(basValidatePath(L"no-backslash", 0), 0u);
    // A level that is a file cannot be a folder.
    elktest::writeFile(base + L"\\plain", "");
    EXPECT_NE(basValidatePath((base + L"\\plain\\sub").c_str(), 1), 0u);
}

}  // namespace
