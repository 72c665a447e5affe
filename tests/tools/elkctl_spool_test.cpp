// elkctl spool list, spool show and submit, run as a program on spool files
// made here byte by byte, and on one that the library wrote.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/suite/ozrCmnBS.h"
#include "base/suite/ozrCmnIS.h"
#include "support/files.h"
#include "support/install_tree.h"
#include "support/process.h"

namespace {

using namespace std::string_literals;
using elktest::ProcessOutcome;
using elktest::runElkctl;
using elktest::utf8;

std::string le32(std::uint32_t v) {
    std::string s(4, '\0');
    for (int i = 0; i < 4; ++i) s[i] = static_cast<char>(v >> (8 * i));
    return s;
}

std::string wideBytes(const std::wstring& text) {
    return std::string(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * 2);
}

std::string coded(std::string bytes) {
    for (size_t at = 0; at < bytes.size(); at += 65536)
        cyphSimpleCode(reinterpret_cast<BYTE*>(&bytes[at]), static_cast<DWORD>(std::min<size_t>(65536, bytes.size() - at)),
                       0, 0);
    return bytes;
}

std::string pattern(size_t n, unsigned seed) {
    std::string bytes(n, '\0');
    for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<char>(i * 7 + i / 251 + seed);
    return bytes;
}

std::string sha256(const std::string& bytes) {
    BYTE digest[32];
    EXPECT_EQ(sha256GenerateHash(bytes.data(), static_cast<DWORD>(bytes.size()), digest), 0u);
    return std::string(reinterpret_cast<char*>(digest), 32);
}

std::string hex(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) out += {"0123456789abcdef"[c >> 4], "0123456789abcdef"[c & 15]};
    return out;
}

// A gzip stream made the way the submission compresses an embedded file.
std::string gzipped(const std::string& bytes, const char* name) {
    CGenericFile temp;
    EXPECT_EQ(temp.InitTempFile(0, nullptr, nullptr, 0), 0u);
    GGZSTREAM* stream = ggzopen(&temp, name, 0, 0);
    EXPECT_NE(stream, nullptr);
    EXPECT_EQ(ggzwrite(stream, bytes.data(), static_cast<DWORD>(bytes.size()), 0), static_cast<int>(bytes.size()));
    EXPECT_EQ(ggzclose(stream), 0);
    return elktest::readAll(temp.GetHandle());
}

// A spool file record by record, with the line that `spool show` prints for
// each and what it prints below that line.
struct SpoolBuilder {
    std::string bytes = "\xA1\xA5\x70\x00"s;
    std::string shown;

    void add(const std::string& tag, const std::string& data, const std::string& value, const std::string& after = "") {
        std::string offset = std::to_string(bytes.size()), length = std::to_string(data.size());
        shown += std::string(10 - offset.size(), ' ') + offset + "  " + tag + "  " + std::string(10 - length.size(), ' ') +
                 length + "  " + value + "\n" + after;
        bytes += tag + le32(static_cast<std::uint32_t>(data.size())) + data;
    }
};

// Restores the installation's variables of the test process at the end of a test.
class InstallationVariables {
public:
    InstallationVariables() {
        for (int i = 0; i < 3; ++i) {
            wchar_t value[MAX_PATH] = L"";
            had_[i] = GetEnvironmentVariableW(kNames[i], value, MAX_PATH) != 0;
            values_[i] = value;
        }
    }
    ~InstallationVariables() {
        for (int i = 0; i < 3; ++i) SetEnvironmentVariableW(kNames[i], had_[i] ? values_[i].c_str() : nullptr);
    }

private:
    static constexpr const wchar_t* kNames[3] = {L"TARVO_PROGRAM_PATH", L"TARVO_DATA_PATH", L"TARVO_LOG_PATH"};
    bool had_[3];
    std::wstring values_[3];
};

// What `spool show` prints before the line of the first record with the tag.
std::string before(const std::string& shown, const std::string& tag) {
    return shown.substr(0, shown.find("  " + tag + "  ") - 10);
}

class Spool : public ::testing::Test {
protected:
    // Every kind of record as the submission writes them; `extract` the
    // folder that show writes into, if any.
    SpoolBuilder sample(const std::wstring& extract) const {
        SpoolBuilder b;
        auto written = [&](const char* verb, const std::wstring& name, size_t size) {
            if (extract.empty()) return std::string();
            return "  "s + verb + " to " + utf8(extract + L"\\" + name) + " (" + std::to_string(size) + " bytes)\n";
        };
        b.add("NAME", wideBytes(L"C:\\samples\\\u00e9t\u00e9.exe"), utf8(L"\"C:\\samples\\\u00e9t\u00e9.exe\""));
        b.add("SIZE", le32(static_cast<std::uint32_t>(content.size())), "131089");
        b.add("HTYP", "SHA256", "\"SHA256\"");
        b.add("HASH", sha256(content), hex(sha256(content)));
        b.add("TYPE", wideBytes(L"PE32"), "\"PE32\"");
        b.add("GUID", "0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0", "\"0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0\"");
        b.add("VPS ", le32(0x00070001), "458753 (0x00070001)");
        b.add("PROG", le32(0x05000123), "0x05000123 (version 5.0, setup 291)");
        b.add("O/S ", le32(0x80001DB1), "0x80001DB1 (build 7601, 64-bit)");
        b.add("UNID", "{00112233-4455-6677-8899-AABBCCDDEEFF}", "\"{00112233-4455-6677-8899-AABBCCDDEEFF}\"");
        b.add("STMP", le32(0x3296F500) + le32(0x01C98E33), "2009-02-13 23:31:30 UTC");
        b.add("DATE", le32(1234567890), "1234567890 (2009-02-13 23:31:30 UTC)");
        b.add("FLAG", le32(0x401), "0x00000401 (in the Windows folder, compress files)");
        b.add("STYP", le32(1), "1 (manual)");
        b.add("USER", wideBytes(L"a note"), "\"a note\"");
        const std::string packed = gzipped(notes, "notes.txt");
        b.add("FDMP", coded(packed), std::to_string(packed.size()) + " bytes of content, a gzip stream of \"notes.txt\"",
              written("unpacked", L"notes.txt", notes.size()));
        b.add("FDM2", coded(attached), "5000 bytes of content", written("extracted", L"FDM2.bin", attached.size()));
        b.add("DATA", coded(content), "131089 bytes of content",
              written("extracted", L"\u00e9t\u00e9.exe", content.size()) + "  hash matches\n");
        return b;
    }

    std::wstring file(const std::wstring& name, const std::string& bytes) const {
        std::wstring path = folder / name;
        EXPECT_TRUE(elktest::writeFile(path, bytes));
        return path;
    }

    const std::string content = pattern(2 * 65536 + 17, 1);
    const std::string attached = pattern(5000, 9);
    const std::string notes = "first line\r\nsecond line\r\n" + pattern(70000, 3);
    elktest::TempFolder folder{L"elk-spool"};
};

TEST_F(Spool, ShowDecodesEveryRecordAndExtractsTheFiles) {
    const std::wstring path = file(L"sample.suspic", sample(L"").bytes);
    ProcessOutcome run = runElkctl(L"spool show \"" + path + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, sample(L"").shown);

    const std::wstring out = folder / L"out\\deeper";
    run = runElkctl(L"spool show \"" + path + L"\" --extract \"" + out + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, sample(out).shown);
    EXPECT_TRUE(elktest::readFile(out + L"\\\u00e9t\u00e9.exe") == content);
    EXPECT_TRUE(elktest::readFile(out + L"\\notes.txt") == notes);
    EXPECT_TRUE(elktest::readFile(out + L"\\FDM2.bin") == attached);

    // A second extraction into the same folder keeps the first files.
    run = runElkctl(L"spool show \"" + path + L"\" --extract \"" + out + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    EXPECT_NE(run.out.find(utf8(L"  extracted to " + out + L"\\\u00e9t\u00e9 (2).exe (131089 bytes)\n")), std::string::npos)
        << run.out;
    EXPECT_TRUE(elktest::readFile(out + L"\\notes (2).txt") == notes);
    EXPECT_TRUE(elktest::readFile(out + L"\\\u00e9t\u00e9.exe") == content);
}

TEST_F(Spool, ShowNamesTheOffsetOfWhatIsBroken) {
    const SpoolBuilder good = sample(L"");
    const size_t data = good.bytes.size() - (8 + content.size());  // where DATA's header begins
    std::string altered = good.bytes;
    altered[data + 8 + 70000] ^= 1;
    std::string badGzip = good.bytes;
    const size_t fdmp = badGzip.find("FDMP");
    badGzip[fdmp + 8 + 20] ^= 0x55;  // inside the deflate data

    SpoolBuilder badSize;
    badSize.add("NAME", wideBytes(L"n"), "\"n\"");
    badSize.add("SIZE", "\1\2\3", "?");
    badSize.add("STYP", le32(4), "4 (heuristic)");

    const std::wstring out = folder / L"out";
    const struct {
        std::string bytes;
        bool extract;
        std::string err;  // after "elkctl: PATH: "
        std::string out;  // how stdout begins
    } cases[] = {
        /* 0 */ {"", false, "offset 0: the file is empty, not a spool file\n", ""},
        /* 1 */ {"MZ\x90\0"s + good.bytes.substr(4), false,
                 "offset 0: not a spool file: it begins with 4d 5a 90 00, not a1 a5 70 00\n", ""},
        /* 2 cut within the content */ {good.bytes.substr(0, good.bytes.size() - 100), false,
                 "offset " + std::to_string(data) + ": record \"DATA\" is 131089 bytes long, but the file ends after "
                     "130989 of them (at " + std::to_string(good.bytes.size() - 100) + ")\n",
                 before(good.shown, "DATA")},
        /* 3 cut within a header */ {good.bytes.substr(0, data + 5), false,
                 "offset " + std::to_string(data) + ": the file ends within a record header: 5 of its 8 bytes are there\n",
                 before(good.shown, "DATA")},
        /* 4 the walk goes on after a broken value */ {badSize.bytes, false,
                 "offset 16: record \"SIZE\" is 3 bytes long, not the 4 bytes of a number\n", badSize.shown},
        /* 5 */ {badGzip, true, "offset " + std::to_string(fdmp) + ": record \"FDMP\": the gzip stream is damaged",
                 before(good.shown, "FDMP")},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const std::wstring path = file(L"case" + std::to_wstring(i) + L".suspic", cases[i].bytes);
        std::wstring arguments = L"spool show \"" + path + L"\"";
        if (cases[i].extract) arguments += L" --extract \"" + out + L"\"";
        ProcessOutcome run = runElkctl(arguments);
        EXPECT_EQ(run.exitCode, 1u) << "case " << i;
        EXPECT_EQ(run.err.rfind(utf8(L"elkctl: " + path + L": ") + cases[i].err, 0), 0u) << "case " << i << ": " << run.err;
        EXPECT_EQ(run.out.rfind(cases[i].out, 0), 0u) << "case " << i << ": " << run.out;
    }
    // Nothing half-written is left of the damaged stream.
    EXPECT_FALSE(elktest::exists(out + L"\\notes.txt"));

    // A changed byte of the content: every record is fine, the hash is not.
    const std::wstring path = file(L"altered.suspic", altered);
    ProcessOutcome run = runElkctl(L"spool show \"" + path + L"\"");
    EXPECT_EQ(run.exitCode, 1u);
    std::string differs = altered.substr(data + 8);
    std::string decoded = coded(differs);
    EXPECT_NE(run.out.find("131089 bytes of content\n  hash DIFFERS: the content's SHA-256 is " + hex(sha256(decoded)) +
                           "\n"),
              std::string::npos)
        << run.out;

    run = runElkctl(L"spool show \"" + (folder / L"missing.suspic") + L"\"");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.err.rfind(utf8(L"elkctl: cannot open " + (folder / L"missing.suspic") + L": 0x00000002 "), 0), 0u)
        << run.err;
}

TEST_F(Spool, ListShowsOneLineAFile) {
    SpoolBuilder bare;
    bare.add("NAME", wideBytes(L"a\r\nb"), "");
    bare.add("DATA", coded("abc"), "");
    file(L"{2}.suspic", sample(L"").bytes);
    file(L"{1}.suspic", bare.bytes);
    file(L"{3}.suspic", "\xA1\xA5\x70\x00SIZE\x09\0\0\0"s);
    file(L"{4}.partial", sample(L"").bytes);
    ProcessOutcome run = runElkctl(L"spool list \"" + folder.path() + L"\"");
    EXPECT_EQ(run.exitCode, 1u) << run.err;
    EXPECT_EQ(run.out, utf8(L"{1}.suspic  -  -  3  -  \"a\\x0d\\x0ab\"\n"
                            L"{2}.suspic  1  0x00000401  131089  2009-02-13 23:31:30 UTC  \"C:\\samples\\\u00e9t\u00e9.exe\"\n"
                            L"{3}.suspic  damaged: offset 4: record \"SIZE\" is 9 bytes long, but the file ends after 0 "
                            L"of them (at 12)\n"));

    DeleteFileW((folder / L"{3}.suspic").c_str());
    run = runElkctl(L"spool list \"" + folder.path() + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    run = runElkctl(L"spool list \"" + (folder / L"none") + L"\"");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(run.err.rfind(utf8(L"elkctl: cannot list " + (folder / L"none") + L": 0x00000003 "), 0), 0u) << run.err;
}

// What the library writes, elkctl reads: a submission with text and file
// properties, then the installation's spool listed and the file shown.
TEST_F(Spool, SubmittedFileReadsBack) {
    InstallationVariables restore;
    elktest::InstallTree tree;
    tree.addLanguage(1033);
    tree.point();
    const std::wstring sampleFile = file(L"sample.bin", content);
    const std::wstring notesFile = file(L"notes.txt", notes);

    ProcessOutcome run = runElkctl(L"submit \"" + sampleFile + L"\" --type \"Test type\" --kind 2 --flags 0x410" +
                                   L" --prop \"USER=a note\" --file-prop \"FDMP=" + notesFile + L"\"");
    ASSERT_EQ(run.exitCode, 0u) << run.err;
    const std::string spoolLine = "Spool file: ";
    const size_t at = run.out.find(spoolLine);
    ASSERT_NE(at, std::string::npos) << run.out;
    EXPECT_EQ(run.out.rfind("Submitted: 0 (0x00000000) ", 0), 0u) << run.out;
    const std::string spoolPath = run.out.substr(at + spoolLine.size(), run.out.find('\n', at) - at - spoolLine.size());
    EXPECT_EQ(spoolPath.rfind(utf8(tree.data() + L"\\spool\\suspic\\{"), 0), 0u) << spoolPath;

    run = runElkctl(L"spool list");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    const std::string listed = spoolPath.substr(spoolPath.rfind('\\') + 1) + "  2  ";
    EXPECT_EQ(run.out.rfind(listed, 0), 0u) << run.out;
    EXPECT_NE(run.out.find("  131089  "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("  \"" + utf8(sampleFile) + "\"\n"), std::string::npos) << run.out;

    const std::wstring out = folder / L"out";
    std::wstring widePath(spoolPath.begin(), spoolPath.end());  // the temporary folder's path is ASCII here
    run = runElkctl(L"spool show \"" + widePath + L"\" --extract \"" + out + L"\"");
    EXPECT_EQ(run.exitCode, 0u) << run.err;
    for (const std::string& shown : std::vector<std::string>{"  NAME  ", "  \"" + utf8(sampleFile) + "\"\n", "  TYPE          20  \"Test type\"\n",
          "  STYP           4  2 (false positive)\n", "  USER          14  \"a note\"\n", "  HTYP           6  \"SHA256\"\n",
          "  HASH          32  " + hex(sha256(content)) + "\n", " bytes of content, a gzip stream of \"notes.txt\"\n",
          "  DATA      131089  131089 bytes of content\n", "  hash matches\n"})
        EXPECT_NE(run.out.find(shown), std::string::npos) << shown << "\n" << run.out;
    EXPECT_NE(run.out.find("  FLAG           4  0x0000041"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(", other bits 0x00000010)"), std::string::npos) << run.out;
    EXPECT_TRUE(elktest::readFile(out + L"\\sample.bin") == content);
    EXPECT_TRUE(elktest::readFile(out + L"\\notes.txt") == notes);
}

TEST(ElkctlSubmit, Misuse) {
    const struct {
        const wchar_t* arguments;
        std::string reason;
    } cases[] = {
        /* 0 */ {L"submit a.bin --prop ABC=x", "elkctl: not TAG=VALUE with a tag of four characters: ABC=x\n"},
        /* 1 */ {L"submit a.bin --prop ABCDE=x", "elkctl: not TAG=VALUE with a tag of four characters: ABCDE=x\n"},
        /* 2 */ {L"submit a.bin --kind x", "elkctl: not a 32-bit number: x\n"},
        /* 3 */ {L"submit a.bin --flags", "elkctl: --flags needs a value\n"},
        /* 4 */ {L"submit a.bin --level 2", "elkctl: unknown option --level\n"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        ProcessOutcome run = runElkctl(cases[i].arguments);
        EXPECT_EQ(run.exitCode, 2u) << "case " << i;
        EXPECT_EQ(run.err.rfind(cases[i].reason + "usage: elkctl submit FILE ", 0), 0u) << "case " << i << ": " << run.err;
    }
}

}  // namespace
