// Crash reports, seen from outside: crash_helper starts the library on a tree
// of the test's, crashes or asks for dumps, and the test reads back what
// landed in the log folder.
#include <windows.h>
#include <dbghelp.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "base/handles.h"
#include "support/files.h"
#include "support/install_tree.h"
#include "support/process.h"
#include "support/winversion.h"

namespace {

using elktest::InstallTree;
using elktest::ProcessOutcome;

constexpr DWORD kCaught = 0xE0C0FFEEu;  // what crash_helper raises and catches
// Under Wine a dump takes seconds, and much longer on a busy machine.
constexpr DWORD kTimeoutMs = 180000;

// Wine hands an exception that no filter takes to its debugger, whose crash
// dialog would wait for a click that never comes; the backtrace alone ends
// the process.
void noCrashDialog() {
    elk::UniqueKey key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\WineDbg", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              key.put(), nullptr),
              0);
    DWORD off = 0;
    ASSERT_EQ(RegSetValueExW(key.get(), L"ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&off),
                             sizeof(off)),
              0);
}

class CrashReport : public ::testing::Test {
protected:
    void SetUp() override {
        tree.addLanguage(1033);
        tree.point();
        noCrashDialog();
    }

    // Runs the helper with a temporary folder of the test's own.
    ProcessOutcome helper(const std::wstring& arguments, const wchar_t* version = nullptr) {
        const std::wstring program = elktest::binFolder() + L"\\crash_helper.exe";
        wchar_t tmp[MAX_PATH] = L"", tempVar[MAX_PATH] = L"";
        GetEnvironmentVariableW(L"TMP", tmp, MAX_PATH);
        GetEnvironmentVariableW(L"TEMP", tempVar, MAX_PATH);
        SetEnvironmentVariableW(L"TMP", temp.path().c_str());
        SetEnvironmentVariableW(L"TEMP", temp.path().c_str());
        ProcessOutcome run = version ? elktest::runAsWindows(version, program, arguments, "", kTimeoutMs)
                                     : elktest::runProgram(program, arguments, "", kTimeoutMs);
        SetEnvironmentVariableW(L"TMP", tmp);
        SetEnvironmentVariableW(L"TEMP", tempVar);
        return run;
    }

    static std::vector<std::wstring> filesIn(const std::wstring& folder) {
        std::vector<std::wstring> names;
        WIN32_FIND_DATAW found;
        elk::UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &found));
        if (find)
            do
                if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
            while (FindNextFileW(find.get(), &found));
        return names;
    }
    std::vector<std::wstring> logFiles() const { return filesIn(tree.log()); }

    InstallTree tree;
    elktest::TempFolder temp{L"elk-crash-temp"};
};

// Lines of the output that start with `prefix`, each without it.
std::vector<std::string> lines(const std::string& out, const std::string& prefix) {
    std::vector<std::string> found;
    for (size_t start = 0; start < out.size();) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos) end = out.size();
        if (out.compare(start, prefix.size(), prefix) == 0)
            found.push_back(out.substr(start + prefix.size(), end - start - prefix.size()));
        start = end + 1;
    }
    return found;
}

// The number after `word` on the first line that starts with it, after
// `skip` further numbers; -1 when there is no such line.
long long number(const std::string& out, const std::string& word, int skip = 0) {
    const std::vector<std::string> found = lines(out, word + " ");
    if (found.empty()) return -1;
    char* end = nullptr;
    unsigned long long value = std::strtoull(found[0].c_str(), &end, 0);
    for (; skip > 0; --skip) value = std::strtoull(end, &end, 0);
    return static_cast<long long>(value);
}

struct DumpFacts {
    bool signature = false;
    bool hasException = false;
    DWORD threadId = 0;
    DWORD code = 0;
};

DumpFacts readDump(const std::wstring& path) {
    DumpFacts facts;
    const std::string bytes = elktest::readFile(path);
    if (bytes.size() < sizeof(MINIDUMP_HEADER)) return facts;
    const auto* header = reinterpret_cast<const MINIDUMP_HEADER*>(bytes.data());
    facts.signature = bytes.compare(0, 4, "MDMP") == 0;
    for (ULONG32 i = 0; i < header->NumberOfStreams; ++i) {
        size_t at = header->StreamDirectoryRva + i * sizeof(MINIDUMP_DIRECTORY);
        if (at + sizeof(MINIDUMP_DIRECTORY) > bytes.size()) break;
        const auto* entry = reinterpret_cast<const MINIDUMP_DIRECTORY*>(bytes.data() + at);
        if (entry->StreamType != ExceptionStream) continue;
        if (entry->Location.Rva + sizeof(MINIDUMP_EXCEPTION_STREAM) > bytes.size()) break;
        const auto* stream = reinterpret_cast<const MINIDUMP_EXCEPTION_STREAM*>(bytes.data() + entry->Location.Rva);
        facts.hasException = true;
        facts.threadId = stream->ThreadId;
        facts.code = stream->ExceptionRecord.ExceptionCode;
    }
    return facts;
}

TEST_F(CrashReport, AnUnhandledFaultLeavesOneDumpOfTheFaultingThread) {
    ProcessOutcome run = helper(L"8 fault");
    ASSERT_EQ(number(run.out, "start"), 0) << run.out;
    const long long thread = number(run.out, "thread");
    ASSERT_GT(thread, 0) << run.out;
    EXPECT_NE(run.exitCode, 0u);
    EXPECT_NE(run.exitCode, 3u) << "the faulting thread came back";
    EXPECT_EQ(lines(run.out, "sentinel").size(), 0u) << "the library's filter did not take the exception";
    const std::vector<std::string> expected = {"topLevelExceptionFilter", "generateExceptionReport",
                                               "Writing minidump..."};
    EXPECT_EQ(lines(run.out, "debug "), expected) << run.out;

    const std::vector<std::wstring> files = logFiles();
    ASSERT_EQ(files.size(), 1u) << run.out;
    EXPECT_EQ(files[0].substr(files[0].size() - 5), L".mdmp");
    const DumpFacts dump = readDump(tree.log() + L"\\" + files[0]);
    EXPECT_TRUE(dump.signature);
    ASSERT_TRUE(dump.hasException);
    EXPECT_EQ(dump.threadId, static_cast<DWORD>(thread));
    EXPECT_EQ(dump.code, static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION));
}

TEST_F(CrashReport, NothingIsInstalledWithoutTheHandler) {
    const struct {
        const wchar_t* arguments;
        const wchar_t* version;  // null: Wine's default
        long long report;        // basGenerateExceptionReport's code; -1: not asked
    } cases[] = {
        /* 0 */ {L"false state report fault", nullptr, ERROR_CALL_NOT_IMPLEMENTED},
        /* 1 */ {L"0xA state report fault", nullptr, ERROR_CALL_NOT_IMPLEMENTED},
        // Below NT 5.1 the dump library loads but no filter is set.
        /* 2 */ {L"8 state fault", L"win2k", -1},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        for (const std::wstring& name : logFiles()) DeleteFileW((tree.log() + L"\\" + name).c_str());
        ProcessOutcome run = helper(cases[i].arguments, cases[i].version);
        ASSERT_EQ(number(run.out, "start"), 0) << run.out;
        EXPECT_EQ(lines(run.out, "state "), std::vector<std::string>{"0x4 sentinel"});
        EXPECT_EQ(number(run.out, "report", 1), cases[i].report) << run.out;
        EXPECT_GT(number(run.out, "thread"), 0) << run.out;
        EXPECT_EQ(lines(run.out, "sentinel").size(), 1u) << "the exception did not reach the program's filter\n"
                                                         << run.out;
        EXPECT_EQ(lines(run.out, "debug topLevelExceptionFilter").size(), 0u);
        EXPECT_EQ(logFiles().size(), 0u);
    }
}

// The dump borrows the name of a temporary file, which stays reserved for as
// long as a dump lies under that name.
TEST_F(CrashReport, ExplicitReportsReplaceEachOther) {
    ProcessOutcome run = helper(L"8 report report free");
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    const std::vector<std::string> reports = lines(run.out, "report ");
    ASSERT_EQ(reports.size(), 2u) << run.out;
    EXPECT_EQ(reports[0].substr(reports[0].find(' ')), " 0");
    EXPECT_EQ(reports[1].substr(reports[1].find(' ')), " 0");
    EXPECT_EQ(number(run.out, "free"), 0);
    const std::vector<std::string> expected = {"generateExceptionReport", "Writing minidump...",
                                               "generateExceptionReport", "Writing minidump..."};
    EXPECT_EQ(lines(run.out, "debug "), expected);

    const std::vector<std::wstring> files = logFiles();
    ASSERT_EQ(files.size(), 1u);
    const std::vector<std::wstring> reserved = filesIn(temp.path());
    ASSERT_EQ(reserved.size(), 1u);
    EXPECT_EQ(files[0], reserved[0] + L".mdmp");
    const DumpFacts dump = readDump(tree.log() + L"\\" + files[0]);
    EXPECT_TRUE(dump.signature);
    EXPECT_EQ(dump.code, kCaught);
    EXPECT_EQ(dump.threadId, std::stoul(reports[1])) << "the second thread's dump did not replace the first's";
}

TEST_F(CrashReport, AShutDownWithoutADumpGivesTheNameBack) {
    ProcessOutcome run = helper(L"8 free");
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    EXPECT_EQ(number(run.out, "free"), 0);
    EXPECT_EQ(filesIn(temp.path()).size(), 0u) << "a temporary file stays behind at every start-up";
    EXPECT_EQ(logFiles().size(), 0u);
}

TEST_F(CrashReport, ReportsGiveTheFailureOfTheDumpFile) {
    const struct {
        std::wstring log;
        DWORD code;
    } cases[] = {
        /* 0 */ {tree.root() + L"\\missing", ERROR_PATH_NOT_FOUND},
        // The dump's name would not fit the system's limit: none is made up.
        /* 1 */ {tree.root() + L"\\" + std::wstring(MAX_PATH - tree.root().size() - 14, L'x'),
                 ERROR_FILENAME_EXCED_RANGE},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        SetEnvironmentVariableW(L"TARVO_LOG_PATH", cases[i].log.c_str());
        ProcessOutcome run = helper(L"8 report");
        ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
        EXPECT_EQ(number(run.out, "report", 1), cases[i].code) << run.out;
    }
    tree.point();
    EXPECT_EQ(filesIn(tree.root()).size(), 0u);
}

// Run without the dump library (WINEDLLOVERRIDES=dbghelp=d): the filter is
// installed all the same and only the dumps fail; nothing has to be written
// to see what the filter attempts.
using NoDumpLibrary = CrashReport;

TEST_F(NoDumpLibrary, ReportsFailWith120) {
    ProcessOutcome run = helper(L"8 report");
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    EXPECT_EQ(number(run.out, "report", 1), ERROR_CALL_NOT_IMPLEMENTED);
    EXPECT_EQ(logFiles().size(), 0u);
}

// The filter tries the first crash's dump only and hands every exception on;
// after it the system's fault box is allowed again; the shut-down gives back
// the program's own error mode and filter.
TEST_F(NoDumpLibrary, TheFilterDumpsOnceAndTheShutDownRestores) {
    ProcessOutcome run = helper(L"8 state filter filter state free state");
    ASSERT_EQ(run.exitCode, 0u) << run.out << run.err;
    const std::vector<std::string> states = {"0x8003 top", "0x8001 top", "0x4 sentinel"};
    EXPECT_EQ(lines(run.out, "state "), states);
    const std::vector<std::string> filters = lines(run.out, "filter ");
    ASSERT_EQ(filters.size(), 2u);
    for (const std::string& f : filters) EXPECT_EQ(f.substr(f.find(' ')), " 0") << "the search is not handed on";
    const std::vector<std::string> expected = {"topLevelExceptionFilter", "generateExceptionReport",
                                               "Writing minidump...", "topLevelExceptionFilter"};
    EXPECT_EQ(lines(run.out, "debug "), expected);
    EXPECT_EQ(number(run.out, "free"), 0);
}

}  // namespace
