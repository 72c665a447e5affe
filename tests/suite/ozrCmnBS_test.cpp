// The base library stand-in: folders, CStr, CGenericFile, gzip output, the
// SHA-256 of an open file and display names.
#include "base/suite/ozrCmnBS.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "suite/suite_test.h"

using suitetest::TempFolder;

namespace {

std::wstring moduleFolder(const wchar_t* module) {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(GetModuleHandleW(module), path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L'\\'));
}

// Sets or clears environment variables for one test and restores them.
class EnvironmentScope {
public:
    void set(const wchar_t* name, const wchar_t* value) {
        wchar_t old[1024];
        DWORD n = GetEnvironmentVariableW(name, old, 1024);
        saved_.push_back({name, n && n < 1024 ? std::wstring(old) : std::wstring(), n && n < 1024});
        SetEnvironmentVariableW(name, value);
    }
    ~EnvironmentScope() {
        for (auto& s : saved_) SetEnvironmentVariableW(s.name.c_str(), s.had ? s.value.c_str() : nullptr);
        cmnbInit(1);
    }

private:
    struct Saved {
        std::wstring name, value;
        bool had;
    };
    std::vector<Saved> saved_;
};

}  // namespace

// ---- Folders -------------------------------------------------------------

TEST(Folders, EnvironmentNamesEachFolder) {
    TempFolder tree;
    EnvironmentScope env;
    env.set(L"TARVO_PROGRAM_PATH", (tree / L"Program").c_str());
    env.set(L"TARVO_DATA_PATH", (tree / L"Stuff").c_str());
    env.set(L"TARVO_LOG_PATH", (tree / L"Journal").c_str());
    env.set(L"TARVO_OEM_STRING", L"Home");
    ASSERT_EQ(0u, cmnbInit(1));
    EXPECT_EQ(tree / L"Program", fsGetTarvoProgramPath());
    EXPECT_EQ(tree / L"Stuff", fsGetTarvoDataPath());
    EXPECT_EQ(tree / L"Journal", fsGetTarvoLogPath());
    EXPECT_STREQ(L"Home", fsGetTarvoOemString());
    EXPECT_EQ(0u, cmnbFree(0));
}

TEST(Folders, PlainInstallationLayoutWithoutSettings) {
    EnvironmentScope env;
    for (const wchar_t* name : {L"TARVO_PROGRAM_PATH", L"TARVO_DATA_PATH", L"TARVO_LOG_PATH", L"TARVO_OEM_STRING"})
        env.set(name, nullptr);
    ASSERT_EQ(0u, cmnbInit(1));  // reduced start: the registry is not read
    std::wstring program = moduleFolder(L"ozrCmnBS.dll");
    EXPECT_EQ(program, fsGetTarvoProgramPath());
    EXPECT_EQ(program + L"\\Data", fsGetTarvoDataPath());
    EXPECT_EQ(program + L"\\Data\\Logs", fsGetTarvoLogPath());
    EXPECT_STREQ(L"", fsGetTarvoOemString());
}

TEST(Folders, UnknownStartModeIsRefused) { EXPECT_EQ(87u, cmnbInit(2)); }

TEST(Folders, HandedOutTextsOutliveARestart) {
    TempFolder tree;
    EnvironmentScope env;
    env.set(L"TARVO_PROGRAM_PATH", (tree / L"First").c_str());
    ASSERT_EQ(0u, cmnbInit(1));
    const wchar_t* first = fsGetTarvoProgramPath();
    env.set(L"TARVO_PROGRAM_PATH", (tree / L"Second").c_str());
    ASSERT_EQ(0u, cmnbInit(1));
    EXPECT_EQ(tree / L"Second", fsGetTarvoProgramPath());
    EXPECT_EQ(tree / L"First", first) << "the text of the earlier start-up went away";
}

// Readers and restarts at once: the look-up is serialised, and what a reader
// holds stays one of the trees' folders.
TEST(Folders, ConcurrentLookUpsAndRestarts) {
    TempFolder tree;
    EnvironmentScope env;
    const std::wstring a = tree / L"A", b = tree / L"B";
    env.set(L"TARVO_PROGRAM_PATH", a.c_str());
    ASSERT_EQ(0u, cmnbInit(1));
    std::atomic<bool> done{false};
    std::atomic<int> wrong{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i)
        readers.emplace_back([&] {
            while (!done) {
                std::wstring seen = fsGetTarvoProgramPath();
                if (seen != a && seen != b) ++wrong;
            }
        });
    for (int i = 0; i < 300; ++i) {
        SetEnvironmentVariableW(L"TARVO_PROGRAM_PATH", (i % 2 ? a : b).c_str());
        cmnbInit(1);
    }
    done = true;
    for (std::thread& t : readers) t.join();
    EXPECT_EQ(wrong, 0);
}

// ---- CStr ------------------------------------------------------------------

TEST(CStr, ValueSemantics) {
    CStr empty;
    EXPECT_STREQ(L"", empty.GetString());
    EXPECT_EQ(0u, empty.GetLength());
    EXPECT_STREQ("", static_cast<const char*>(empty));

    CStr a(L"alpha");
    CStr b(a);
    b += L"-beta";
    EXPECT_STREQ(L"alpha", a.GetString());
    EXPECT_STREQ(L"alpha-beta", b.GetString());
    EXPECT_EQ(10u, b.GetLength());

    a = b;
    b = L"gamma";
    EXPECT_STREQ(L"alpha-beta", a.GetString());
    EXPECT_STREQ(L"gamma", b.GetString());
    a = a;
    EXPECT_STREQ(L"alpha-beta", a.GetString());

    CStr none(static_cast<const wchar_t*>(nullptr));
    EXPECT_STREQ(L"", none.GetString());
}

TEST(CStr, EightBitViewFollowsTheText) {
    CStr s(L"report.txt");
    const char* view = s;
    EXPECT_STREQ("report.txt", view);
    s += L".gz";
    EXPECT_STREQ("report.txt.gz", static_cast<const char*>(s));
}

TEST(CStr, EightBitViewNeverUsesLookAlikes) {
    if (GetACP() != 1252) GTEST_SKIP() << "needs the Western European ANSI code page";
    // U+221E (infinity) has a best-fit look-alike '8' in code page 1252.
    CStr s(L"Gr\u00fc\u00dfe \u221e");
    EXPECT_STREQ(
        "Gr\xfc\xdf"
        "e ?",
        static_cast<const char*>(s));
}

TEST(CStr, AddFilePartPutsOneBackslashBetween) {
    struct Case {
        const wchar_t *start, *part, *second, *expected;
    } cases[] = {
        /* 1 */ {L"C:\\a", L"b.txt", nullptr, L"C:\\a\\b.txt"},
        /* 2 */ {L"C:\\a\\", L"b.txt", nullptr, L"C:\\a\\b.txt"},
        /* 3 */ {L"C:\\a", L"\\b.txt", nullptr, L"C:\\a\\b.txt"},
        /* 4 */ {L"", L"b.txt", nullptr, L"b.txt"},
        /* 5 */ {L"C:\\a", L"b", L"c.txt", L"C:\\a\\b\\c.txt"},
        /* 6 */ {L"\\\\server\\share", L"x", nullptr, L"\\\\server\\share\\x"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        CStr s(cases[i].start);
        EXPECT_EQ(0u, s.AddFilePart(cases[i].part, cases[i].second)) << "case " << i + 1;
        EXPECT_STREQ(cases[i].expected, s.GetString()) << "case " << i + 1;
    }
    CStr s(L"C:\\a");
    EXPECT_EQ(87u, s.AddFilePart(nullptr, nullptr));
    EXPECT_STREQ(L"C:\\a", s.GetString());
}

TEST(CStr, TempPathIsTheSystems) {
    wchar_t expected[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, expected);
    CStr s(L"something");
    ASSERT_EQ(0u, s.GetTempPathW(nullptr));
    EXPECT_STREQ(expected, s.GetString());
}

TEST(CStr, TempFileIsUniqueAndInTheFolderHeld) {
    TempFolder folder;
    CStr first(folder.path().c_str()), second(folder.path().c_str());
    HANDLE handle = INVALID_HANDLE_VALUE;
    ASSERT_EQ(0u, first.GetTempFile(&handle));
    ASSERT_EQ(0u, second.GetTempFile(nullptr));
    EXPECT_STRNE(first.GetString(), second.GetString());
    for (const CStr* s : {&first, &second}) {
        std::wstring path = s->GetString();
        EXPECT_EQ(folder.path(), path.substr(0, path.find_last_of(L'\\')));
        EXPECT_TRUE(suitetest::exists(path));
    }
    // The handle reads and writes; the file opened without one is closed.
    ASSERT_NE(INVALID_HANDLE_VALUE, handle);
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(handle, "abc", 3, &written, nullptr));
    EXPECT_EQ("abc", suitetest::readAll(handle));
    CloseHandle(handle);
    EXPECT_TRUE(DeleteFileW(second.GetString()));
}

TEST(CStr, TempFileInMissingFolderFails) {
    TempFolder folder;
    std::wstring missing = folder / L"missing";
    CStr s(missing.c_str());
    HANDLE handle = reinterpret_cast<HANDLE>(1);
    EXPECT_NE(0u, s.GetTempFile(&handle));
    EXPECT_EQ(INVALID_HANDLE_VALUE, handle);
    EXPECT_EQ(missing, s.GetString());
}

// ---- CGenericFile ------------------------------------------------------------

TEST(CGenericFile, TempFileReadsBackAndGoesWithItsLastHandle) {
    CGenericFile file;
    EXPECT_STREQ(L"", file.GetPath());
    ASSERT_EQ(0u, file.InitTempFile(0, nullptr, nullptr, 0));
    std::wstring path = file.GetPath();
    ASSERT_TRUE(suitetest::exists(path));
    ASSERT_EQ(0u, file.Write("hello", 5));
    EXPECT_EQ("hello", suitetest::readAll(file.GetHandle()));

    // A duplicate (as the submission reads it) outlives the object's handle.
    HANDLE copy = nullptr;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), file.GetHandle(), GetCurrentProcess(), &copy, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    EXPECT_EQ(0u, file.DeleteFileW(true, true));
    EXPECT_EQ(INVALID_HANDLE_VALUE, file.GetHandle());
    EXPECT_EQ("hello", suitetest::readAll(copy));
    CloseHandle(copy);
    EXPECT_FALSE(suitetest::exists(path));
}

TEST(CGenericFile, DestructorLeavesNoFile) {
    std::wstring path;
    {
        CGenericFile file;
        ASSERT_EQ(0u, file.InitTempFile(0, nullptr, nullptr, 0));
        path = file.GetPath();
    }
    EXPECT_FALSE(suitetest::exists(path));
}

TEST(CGenericFile, HeapObjectDeletesThroughBase) {
    CGenericFile* file = new CGenericFile;
    ASSERT_EQ(0u, file->InitTempFile(0, nullptr, nullptr, 0));
    std::wstring path = file->GetPath();
    delete file;
    EXPECT_FALSE(suitetest::exists(path));
}

TEST(CGenericFile, RefusesMisuse) {
    CGenericFile file;
    EXPECT_EQ(87u, file.InitTempFile(1, nullptr, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), file.Write("x", 1));
    ASSERT_EQ(0u, file.InitTempFile(0, nullptr, nullptr, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ALREADY_INITIALIZED), file.InitTempFile(0, nullptr, nullptr, 0));
}

// ---- gzip --------------------------------------------------------------------

namespace {

// Bytes that compress, but not to nothing.
std::string sample(size_t size) {
    std::string s(size, '\0');
    unsigned state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        s[i] = static_cast<char>((i % 7 == 0) ? (state >> 16) : 'a' + i % 26);
    }
    return s;
}

std::string inflateGzip(const std::string& gz, std::string* name) {
    z_stream z{};
    gz_header header{};
    char nameBuffer[256] = {};
    header.name = reinterpret_cast<Bytef*>(nameBuffer);
    header.name_max = sizeof(nameBuffer);
    EXPECT_EQ(Z_OK, inflateInit2(&z, 16 + 15));
    inflateGetHeader(&z, &header);
    std::string out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(gz.data()));
    z.avail_in = static_cast<uInt>(gz.size());
    int rc = Z_OK;
    while (rc == Z_OK) {
        char block[16384];
        z.next_out = reinterpret_cast<Bytef*>(block);
        z.avail_out = sizeof(block);
        rc = inflate(&z, Z_NO_FLUSH);
        out.append(block, sizeof(block) - z.avail_out);
    }
    EXPECT_EQ(Z_STREAM_END, rc) << "the stream is not complete";
    EXPECT_EQ(0u, z.avail_in) << "bytes after the stream";
    inflateEnd(&z);
    if (name) *name = nameBuffer;
    return out;
}

}  // namespace

TEST(Gzip, StreamCarriesTheNameAndTheContent) {
    const std::string content = sample(200000);
    CGenericFile file;
    ASSERT_EQ(0u, file.InitTempFile(0, nullptr, nullptr, 0));
    GGZSTREAM* gz = ggzopen(&file, "sample.exe", 0, 0);
    ASSERT_NE(nullptr, gz);
    // Uneven pieces, one of them empty, as a reader's blocks may come.
    size_t at = 0;
    for (size_t piece : {size_t(1), size_t(0), size_t(65536), size_t(70000), size_t(3)}) {
        EXPECT_EQ(static_cast<int>(piece), ggzwrite(gz, content.data() + at, static_cast<DWORD>(piece), 0));
        at += piece;
    }
    EXPECT_EQ(static_cast<int>(content.size() - at),
              ggzwrite(gz, content.data() + at, static_cast<DWORD>(content.size() - at), 0));
    ASSERT_EQ(0, ggzclose(gz));

    std::string gzBytes = suitetest::readAll(file.GetHandle());
    ASSERT_GT(gzBytes.size(), 18u);
    EXPECT_LT(gzBytes.size(), content.size());
    // RFC 1952: magic, deflate, FNAME flag, and the name right after the
    // 10-byte header.
    EXPECT_EQ('\x1f', gzBytes[0]);
    EXPECT_EQ('\x8b', gzBytes[1]);
    EXPECT_EQ(8, gzBytes[2]);
    EXPECT_EQ(0x08, gzBytes[3] & 0x08);
    EXPECT_STREQ("sample.exe", gzBytes.c_str() + 10);

    std::string name;
    EXPECT_EQ(content, inflateGzip(gzBytes, &name));
    EXPECT_EQ("sample.exe", name);
}

TEST(Gzip, EmptyStreamWithoutName) {
    CGenericFile file;
    ASSERT_EQ(0u, file.InitTempFile(0, nullptr, nullptr, 0));
    GGZSTREAM* gz = ggzopen(&file, nullptr, 0, 0);
    ASSERT_NE(nullptr, gz);
    ASSERT_EQ(0, ggzclose(gz));
    std::string gzBytes = suitetest::readAll(file.GetHandle());
    ASSERT_GE(gzBytes.size(), 18u);
    EXPECT_EQ(0, gzBytes[3] & 0x08);
    EXPECT_EQ("", inflateGzip(gzBytes, nullptr));
}

TEST(Gzip, RefusesWhatItCannotUse) {
    CGenericFile closed;
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, ggzopen(nullptr, "x", 0, 0));
    EXPECT_EQ(87u, GetLastError());
    EXPECT_EQ(nullptr, ggzopen(&closed, "x", 0, 0));
    EXPECT_LT(ggzwrite(nullptr, "x", 1, 0), 0);
    EXPECT_LT(ggzclose(nullptr), 0);

    CGenericFile file;
    ASSERT_EQ(0u, file.InitTempFile(0, nullptr, nullptr, 0));
    GGZSTREAM* gz = ggzopen(&file, "x", 0, 0);
    ASSERT_NE(nullptr, gz);
    EXPECT_LT(ggzwrite(gz, nullptr, 5, 0), 0);
    EXPECT_EQ(0, ggzclose(gz));
}

// ---- SHA-256 of an open file ---------------------------------------------------

TEST(Sha256FromHandle, DigestsTheWholeFileAndKeepsThePointer) {
    struct Case {
        std::string content;
        const char* digest;
    } cases[] = {
        /* 1 */ {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        /* 2 */ {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        /* 3: more than one read block */
        {std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    TempFolder folder;
    for (size_t i = 0; i < std::size(cases); ++i) {
        std::wstring path = folder / (L"f" + std::to_wstring(i));
        ASSERT_TRUE(suitetest::writeFile(path, cases[i].content));
        HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        SetFilePointer(h, static_cast<LONG>(cases[i].content.size() / 2), nullptr, FILE_BEGIN);
        BYTE digest[32];
        EXPECT_EQ(0u, sha256GenerateFromHandle(h, digest)) << "case " << i + 1;
        EXPECT_EQ(cases[i].digest, suitetest::hex(digest, 32)) << "case " << i + 1;
        EXPECT_EQ(cases[i].content.size() / 2, SetFilePointer(h, 0, nullptr, FILE_CURRENT)) << "case " << i + 1;
        CloseHandle(h);
    }
}

TEST(Sha256FromHandle, ReportsErrors) {
    BYTE digest[32];
    memset(digest, 0xCC, sizeof(digest));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), sha256GenerateFromHandle(INVALID_HANDLE_VALUE, digest));
    EXPECT_EQ(std::string(64, '0'), suitetest::hex(digest, 32));
    EXPECT_EQ(87u, sha256GenerateFromHandle(INVALID_HANDLE_VALUE, nullptr));

    // A handle without read access.
    TempFolder folder;
    HANDLE h = CreateFileW((folder / L"w").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), sha256GenerateFromHandle(h, digest));
    CloseHandle(h);
}

// ---- Display names ---------------------------------------------------------------

TEST(DisplayFileName, ShortensLongNames) {
    const std::wstring longFile(58, L'n');
    const std::wstring tooLongFile = std::wstring(9, L'h') + std::wstring(61, L't');
    struct Case {
        std::wstring name, expected;
    } cases[] = {
        /* 1 */ {L"C:\\Temp\\sample.exe", L"C:\\Temp\\sample.exe"},
        /* 2 */
        {L"C:\\Program Files\\Tarvo\\Data\\Quarantine\\2009\\February\\Samples\\report-final.txt",
         L"C:\\...\\Data\\Quarantine\\2009\\February\\Samples\\report-final.txt"},
        /* 3 */
        {L"\\\\fileserver\\public\\department\\accounting\\archive\\2009\\statements\\march.pdf",
         L"\\\\fileserver\\public\\...\\archive\\2009\\statements\\march.pdf"},
        /* 4 */ {L"\\\\?\\C:\\Temp\\sample.exe", L"C:\\Temp\\sample.exe"},
        /* 5 */ {L"\\\\?\\UNC\\fileserver\\public\\x.txt", L"\\\\fileserver\\public\\x.txt"},
        /* 6 */
        {L"\\\\?\\UNC\\fileserver\\public\\department\\accounting\\archive\\2009\\statements\\march.pdf",
         L"\\\\fileserver\\public\\...\\archive\\2009\\statements\\march.pdf"},
        /* 7: root and file name alone are too long */ {L"C:\\folder\\" + longFile, L"...\\" + longFile},
        /* 8: the file name alone is too long */ {L"C:\\d\\" + tooLongFile, L"..." + tooLongFile.substr(9)},
        /* 9: no separator */ {std::wstring(30, L'x') + std::wstring(61, L'y'), L"..." + std::wstring(61, L'y')},
        /* 10: exactly the longest display form */ {L"C:\\" + std::wstring(61, L'z'), L"C:\\" + std::wstring(61, L'z')},
        /* 11 */ {L"", L""},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        // Same buffer in and out, as callers pass it; the rest keeps its canary.
        elktest::GuardedText buffer(cases[i].name.size() + 1, L'\xCCCC', 16);
        std::copy(cases[i].name.c_str(), cases[i].name.c_str() + cases[i].name.size() + 1, buffer.data());
        EXPECT_EQ(buffer.data(), strGetDisplayFileName(buffer.data(), buffer.data())) << "case " << i + 1;
        EXPECT_EQ(cases[i].expected, buffer.text()) << "case " << i + 1;
        ASSERT_TRUE(buffer.intact()) << "case " << i + 1 << " wrote past the name";
    }
}

TEST(DisplayFileName, NullArguments) {
    wchar_t out[4] = L"abc";
    EXPECT_EQ(out, strGetDisplayFileName(nullptr, out));
    EXPECT_STREQ(L"", out);
    EXPECT_EQ(nullptr, strGetDisplayFileName(L"C:\\x", nullptr));
}
