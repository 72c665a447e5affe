// The boot-time scan through the engine loader's stand-in in the program
// folder: what the three exports return, what they ask of the loader (its
// trace), and what reaches the loader's store, seen from this process and
// from elkctl in another.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "include/elkBase.h"
#include "support/files.h"
#include "support/library.h"
#include "support/process.h"

namespace {

using elktest::runElkctl;

const wchar_t* const kHooks[] = {L"TARVO_ENGLDR_FAIL_CREATE", L"TARVO_ENGLDR_FAIL_LOAD", L"TARVO_ENGLDR_FAIL_BTS",
                                 L"TARVO_ENGLDR_FAIL_INFO"};

class BootScan : public elktest::LibraryTest {
protected:
    void SetUp() override {
        for (const wchar_t* hook : kHooks) SetEnvironmentVariableW(hook, nullptr);
        tree.addProgramFile(L"ozrEngLdr.dll");
        SetEnvironmentVariableW(L"TARVO_ENGLDR_TRACE", traceFile().c_str());
        start(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    }
    void TearDown() override {
        for (const wchar_t* hook : kHooks) SetEnvironmentVariableW(hook, nullptr);
        SetEnvironmentVariableW(L"TARVO_ENGLDR_TRACE", nullptr);
        LibraryTest::TearDown();
    }

    std::wstring traceFile() const { return tree.root() + L"\\engine-trace.txt"; }
    std::wstring store() const { return tree.data() + L"\\ozrEngLdr.ini"; }
    std::wstring loader() const { return tree.program() + L"\\ozrEngLdr.dll"; }

    // The loader's calls since the last look, one line each.
    std::string takeTrace() const {
        std::string lines = elktest::readFile(traceFile());
        DeleteFileW(traceFile().c_str());
        return lines;
    }
    std::wstring stored(const wchar_t* key) const {
        wchar_t text[64];
        GetPrivateProfileStringW(L"BootScan", key, L"(none)", text, ARRAYSIZE(text), store().c_str());
        return text;
    }
    DWORD storedOptions() const { return static_cast<DWORD>(std::stoul(stored(L"Options"), nullptr, 16)); }
};

// The calls of one request that goes through: request `what` with `options`.
std::string fullRequest(const char* what, const char* options, const char* answer = "0") {
    return std::string("avldrCreateHandle(0) = 1\r\n"
                       "avldrLoadModule(1, 33, 0) = 0\r\n"
                       "BtsSchedule(1, ") +
           what + ", " + options + ", 0) = " + answer +
           "\r\n"
           "avldrCloseModule(1, 0, 0) = 0\r\n";
}

TEST_F(BootScan, EachExportMakesOneRequestThroughItsOwnHandle) {
    EXPECT_FALSE(basIsScheduledBts());
    EXPECT_EQ(fullRequest("2", "0x00000000", "1168"), takeTrace());

    EXPECT_EQ(0u, basScheduleBts(0x2A));
    EXPECT_EQ(fullRequest("0", "0x0000002A"), takeTrace());
    EXPECT_TRUE(basIsScheduledBts());
    EXPECT_EQ(fullRequest("2", "0x00000000"), takeTrace());

    EXPECT_EQ(0u, basUnscheduleBts());
    EXPECT_EQ(fullRequest("1", "0x00000000"), takeTrace());
    EXPECT_FALSE(basIsScheduledBts());
    EXPECT_EQ(L"0", stored(L"Scheduled"));
}

TEST_F(BootScan, OptionsReachTheLoaderUnchanged) {
    const DWORD options[] = {0, 1, 0x2A, 0x7FFFFFFF, 0x80000000, 0xDEADBEEF, 0xFFFFFFFF};
    for (size_t i = 0; i < std::size(options); ++i) {
        EXPECT_EQ(0u, basScheduleBts(options[i])) << "row " << i;
        EXPECT_EQ(L"1", stored(L"Scheduled")) << "row " << i;
        EXPECT_EQ(options[i], storedOptions()) << "row " << i;
        EXPECT_TRUE(basIsScheduledBts()) << "row " << i;
    }
}

TEST_F(BootScan, OtherProcessesSeeTheSameRequest) {
    ASSERT_EQ(0u, basScheduleBts(0x80000011));
    elktest::ProcessOutcome status = runElkctl(L"bts status");
    EXPECT_EQ(0u, status.exitCode) << status.err;
    EXPECT_EQ("scheduled\n", status.out);

    elktest::ProcessOutcome cancel = runElkctl(L"bts unschedule");
    EXPECT_EQ(0u, cancel.exitCode) << cancel.err;
    EXPECT_FALSE(basIsScheduledBts());
    status = runElkctl(L"bts status");
    EXPECT_EQ(1u, status.exitCode) << status.err;
    EXPECT_EQ("not scheduled\n", status.out);

    elktest::ProcessOutcome schedule = runElkctl(L"bts schedule 0xFFFFFFFE");
    EXPECT_EQ(0u, schedule.exitCode) << schedule.err;
    EXPECT_TRUE(basIsScheduledBts());
    EXPECT_EQ(0xFFFFFFFEu, storedOptions());
    schedule = runElkctl(L"bts schedule 7");
    EXPECT_EQ(0u, schedule.exitCode) << schedule.err;
    EXPECT_EQ(7u, storedOptions());
}

TEST_F(BootScan, LoaderFailuresComeBackAsTheirCodes) {
    // A request made before the failures, to see that none of them touches it.
    ASSERT_EQ(0u, basScheduleBts(5));
    takeTrace();
    const char kCreateFails[] = "avldrCreateHandle(0) = 0\r\n";
    const char kLoadFails[] =
        "avldrCreateHandle(0) = 1\r\n"
        "avldrLoadModule(1, 33, 0) = 1157\r\n"
        "avldrCloseModule(1, 0, 0) = 0\r\n";
    const struct {
        const wchar_t* hook;
        const wchar_t* code;
        DWORD result;        // of basScheduleBts and basUnscheduleBts
        std::string calls;   // of one basScheduleBts(3)
    } rows[] = {
        // No handle: always 8, whatever the loader's reason; nothing to close.
        /* 0 */ {L"TARVO_ENGLDR_FAIL_CREATE", L"14", ERROR_NOT_ENOUGH_MEMORY, kCreateFails},
        /* 1 */ {L"TARVO_ENGLDR_FAIL_CREATE", L"0x80070005", ERROR_NOT_ENOUGH_MEMORY, kCreateFails},
        // The module does not load: its code, and the handle is closed.
        /* 2 */ {L"TARVO_ENGLDR_FAIL_LOAD", L"1157", 1157, kLoadFails},
        // The request fails: its code as it stands.
        /* 3 */ {L"TARVO_ENGLDR_FAIL_BTS", L"0xE0001234", 0xE0001234,
                 "avldrCreateHandle(0) = 1\r\n"
                 "avldrLoadModule(1, 33, 0) = 0\r\n"
                 "BtsSchedule(1, 0, 0x00000003, 0) = 3758101044\r\n"
                 "avldrCloseModule(1, 0, 0) = 0\r\n"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SetEnvironmentVariableW(rows[i].hook, rows[i].code);
        EXPECT_EQ(rows[i].result, basScheduleBts(3)) << "row " << i;
        EXPECT_EQ(rows[i].calls, takeTrace()) << "row " << i;
        EXPECT_EQ(rows[i].result, basUnscheduleBts()) << "row " << i;
        EXPECT_FALSE(basIsScheduledBts()) << "row " << i;
        elktest::ProcessOutcome status = runElkctl(L"bts status");
        EXPECT_EQ(1u, status.exitCode) << "row " << i;
        SetEnvironmentVariableW(rows[i].hook, nullptr);
        takeTrace();
    }
    EXPECT_TRUE(basIsScheduledBts());
    EXPECT_EQ(5u, storedOptions());
}

TEST_F(BootScan, WithoutAUsableLoaderTheLoadsCode) {
    const std::wstring aside = tree.program() + L"\\ozrEngLdr.dll.off";
    const std::wstring stranger = elktest::binFolder() + L"\\Pemx4h.dll";
    const struct {
        bool replace;  // a DLL without the loader's entries takes its name
        DWORD result;
    } rows[] = {
        // The build's own copy beside the test program does not count: the
        // loader comes from the program folder alone.
        /* 0 */ {false, ERROR_MOD_NOT_FOUND},
        /* 1 */ {true, ERROR_PROC_NOT_FOUND},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        ASSERT_TRUE(MoveFileW(loader().c_str(), aside.c_str())) << "row " << i;
        if (rows[i].replace) {
            ASSERT_TRUE(CopyFileW(stranger.c_str(), loader().c_str(), FALSE)) << "row " << i;
        }
        EXPECT_EQ(rows[i].result, basScheduleBts(1)) << "row " << i;
        EXPECT_EQ(rows[i].result, basUnscheduleBts()) << "row " << i;
        EXPECT_FALSE(basIsScheduledBts()) << "row " << i;
        elktest::ProcessOutcome schedule = runElkctl(L"bts schedule 1");
        EXPECT_EQ(1u, schedule.exitCode) << "row " << i;
        wchar_t code[16];
        swprintf(code, ARRAYSIZE(code), L"0x%08lX", rows[i].result);
        EXPECT_NE(std::string::npos, schedule.err.find(elktest::utf8(code))) << "row " << i << ": " << schedule.err;
        EXPECT_EQ("", takeTrace()) << "row " << i;
        DeleteFileW(loader().c_str());
        ASSERT_TRUE(MoveFileW(aside.c_str(), loader().c_str())) << "row " << i;
    }
    EXPECT_EQ(0u, basScheduleBts(1));
}

TEST(BootScanCommand, MisuseIsRefusedBeforeAnyRequest) {
    const wchar_t* const misuses[] = {
        /* 0 */ L"bts",
        /* 1 */ L"bts schedule",
        /* 2 */ L"bts schedule 0x100000000",
        /* 3 */ L"bts schedule -1",
        /* 4 */ L"bts schedule 1 2",
        /* 5 */ L"bts status now",
        /* 6 */ L"bts unschedule 1",
        /* 7 */ L"bts cancel",
    };
    for (size_t i = 0; i < std::size(misuses); ++i) {
        elktest::ProcessOutcome run = runElkctl(misuses[i]);
        EXPECT_EQ(2u, run.exitCode) << "row " << i;
        EXPECT_NE(std::string::npos, run.err.find("usage: elkctl bts schedule OPTIONS|unschedule|status\n"))
            << "row " << i << ": " << run.err;
    }
}

}  // namespace
