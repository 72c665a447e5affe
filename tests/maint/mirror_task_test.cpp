// The update mirror task through the settings interface's stand-in, placed as
// both copies below the program folder: the calls each export makes (the
// stand-in's trace names the copy and the locks held during each call), what
// the copies keep, failures, and the wait for another process that holds a
// copy's mutex; elkctl's mirror commands in another process.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <future>
#include <string>
#include <vector>
#include <vector>

#include "include/elkBase.h"
#include "support/files.h"
#include "support/library.h"
#include "support/process.h"

namespace {

using elktest::runElkctl;

const wchar_t* const kHooks[] = {L"TARVO_SETIFACE_FAIL_SETINFO", L"TARVO_SETIFACE_FAIL_MIRROR",
                                 L"TARVO_SETIFACE_HOLD"};
const wchar_t* const kMutexes[] = {L"Mirror.mtx", L"Setiface"};

class MirrorTask : public elktest::LibraryTest {
protected:
    void SetUp() override {
        clearHooks();
        for (const wchar_t* copy : {L"Mirror", L"Setup"}) {
            ASSERT_TRUE(CreateDirectoryW((tree.program() + L"\\" + copy).c_str(), nullptr));
            ASSERT_TRUE(CopyFileW((elktest::binFolder() + L"\\SetIFace.dll").c_str(), library(copy).c_str(), FALSE));
        }
        SetEnvironmentVariableW(L"TARVO_SETIFACE_TRACE", traceFile().c_str());
        start(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    }
    void TearDown() override {
        clearHooks();
        SetEnvironmentVariableW(L"TARVO_SETIFACE_TRACE", nullptr);
        LibraryTest::TearDown();
    }
    static void clearHooks() {
        for (const wchar_t* hook : kHooks) SetEnvironmentVariableW(hook, nullptr);
    }

    std::wstring traceFile() const { return tree.root() + L"\\setiface-trace.txt"; }
    std::wstring library(const wchar_t* copy) const { return tree.program() + L"\\" + copy + L"\\SetIFace.dll"; }
    std::wstring stored(const wchar_t* copy, const wchar_t* key) const {
        wchar_t text[600];
        GetPrivateProfileStringW(L"Settings", key, L"(none)", text, ARRAYSIZE(text),
                                 (tree.program() + L"\\" + copy + L"\\SetIFace.ini").c_str());
        return text;
    }

    // The stand-in's calls since the last look, one line each.
    std::string takeTrace() const {
        std::string lines = elktest::readFile(traceFile());
        DeleteFileW(traceFile().c_str());
        return lines;
    }

    // After every call: neither copy stays loaded, and no mutex is left
    // behind (a released and closed mutex of no other holder is gone).
    void expectReleased(size_t row) const {
        for (const wchar_t* copy : {L"Mirror", L"Setup"})
            EXPECT_EQ(nullptr, GetModuleHandleW(library(copy).c_str())) << "row " << row;
        for (const wchar_t* name : kMutexes) {
            HANDLE mutex = OpenMutexW(SYNCHRONIZE, FALSE, name);
            EXPECT_EQ(nullptr, mutex) << "row " << row << ": " << elktest::utf8(name);
            if (mutex) CloseHandle(mutex);
        }
    }
};

std::string mirrorLine(const std::string& call, DWORD rc = 0) {
    return "Mirror: " + call + " = " + std::to_string(rc) + " [Mirror.mtx]\r\n";
}
std::string setupLine(const std::string& call, DWORD rc = 0) {
    return "Setup: " + call + " = " + std::to_string(rc) + " [Setiface]\r\n";
}

TEST_F(MirrorTask, MirrorSettingsChosenByTheFlags) {
    const std::string sourcesBoth = mirrorLine("setifaceSetInfo(0, 2, \"mirror,main\")");
    const std::string sourcesMain = mirrorLine("setifaceSetInfo(0, 2, \"main\")");
    const std::string address = mirrorLine("setifaceSetInfo(0, 1, \"http://up.example:8080\")");
    const std::string port = mirrorLine("setifaceSetInfo(0, 5, &8080)");
    const std::string value = mirrorLine("setifaceSetInfo(0, 3, 0x80000001)");
    const struct {
        DWORD upstream;
        BYTE flags;
        std::string calls;
    } rows[] = {
        /* 0 */ {1, 0x00, ""},
        /* 1 */ {0, 0x00, ""},
        /* 2 */ {1, 0x01, sourcesBoth},
        /* 3 */ {0, 0x01, sourcesMain},
        // The address needs both its flags, and an upstream mirror.
        /* 4 */ {1, 0x02, ""},
        /* 5 */ {1, 0x04, port},
        /* 6 */ {1, 0x06, address + port},
        /* 7 */ {0, 0x06, port},
        /* 8 */ {1, 0x07, sourcesBoth + address + port},
        /* 9 */ {0, 0x07, sourcesMain + port},
        /* 10 */ {7, 0x07, sourcesBoth + address + port},
        /* 11 */ {1, 0x08, value},
        /* 12 */ {1, 0x0F, sourcesBoth + address + port + value},
        /* 13 */ {0, 0x0F, sourcesMain + port + value},
        /* 14 */ {1, 0xF0, ""},
        /* 15 */ {1, 0xF9, sourcesBoth + value},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(0u, tskSetMirrorParamsForMirror(rows[i].upstream, L"up.example", 8080, 0x80000001, rows[i].flags))
            << "row " << i;
        EXPECT_EQ(rows[i].calls, takeTrace()) << "row " << i;
        expectReleased(i);
    }
    // What the mirror tool's copy now holds; the updater's copy was not used.
    EXPECT_EQ(L"mirror,main", stored(L"Mirror", L"Sources"));
    EXPECT_EQ(L"http://up.example:8080", stored(L"Mirror", L"Server"));
    EXPECT_EQ(L"8080", stored(L"Mirror", L"Port"));
    EXPECT_EQ(L"2147483649", stored(L"Mirror", L"Value"));
    EXPECT_FALSE(elktest::exists(tree.program() + L"\\Setup\\SetIFace.ini"));
}

TEST_F(MirrorTask, UpdaterSourcesThenAddress) {
    const struct {
        DWORD fallback;
        const wchar_t* address;
        DWORD port;
        const char* sources;
        const char* server;
    } rows[] = {
        /* 0 */ {0, L"HTTP://MIRROR.EXAMPLE:8080/UPD", 80, "mirror", "HTTP://MIRROR.EXAMPLE:8080/UPD"},
        /* 1 */ {1, L"Http://m.example", 8080, "mirror,main", "Http://m.example"},
        /* 2 */ {1, L"mirror.example/updates", 8080, "mirror,main", "http://mirror.example/updates"},
        /* 3 */ {0, L"mirror.example", 80, "mirror", "http://mirror.example:80"},
        /* 4 */ {2, L"10.1.2.3", 4294967295u, "mirror,main", "http://10.1.2.3:4294967295"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(0u, tskSetMirrorParamsForUpdater(rows[i].fallback, rows[i].address, rows[i].port)) << "row " << i;
        EXPECT_EQ(setupLine(std::string("setifaceSetInfo(0, 2, \"") + rows[i].sources + "\")") +
                      setupLine(std::string("setifaceSetInfo(0, 1, \"") + rows[i].server + "\")"),
                  takeTrace())
            << "row " << i;
        expectReleased(i);
    }
    EXPECT_EQ(L"http://10.1.2.3:4294967295", stored(L"Setup", L"Server"));
    EXPECT_FALSE(elktest::exists(tree.program() + L"\\Mirror\\SetIFace.ini"));
}

TEST_F(MirrorTask, MirrorRunWithAndWithoutLogAndStatus) {
    ASSERT_EQ(0u, tskSetMirrorParamsForMirror(1, L"up.example", 3128, 5, 0x0F));
    takeTrace();
    const std::wstring log = tree.root() + L"\\mirror run.log";
    const struct {
        bool ownStatus;
        const wchar_t* log;
        std::string commandLine;
    } rows[] = {
        /* 0 */ {true, nullptr, ""},
        // Without the caller's status the tool writes to one of the library's.
        /* 1 */ {false, nullptr, ""},
        /* 2 */ {true, L"", ""},
        /* 3 */ {false, log.c_str(), " /savelog \"" + elktest::utf8(log) + "\""},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        DeleteFileW(log.c_str());
        DWORD status = 0xDEADBEEF;
        EXPECT_EQ(0u, tskLaunchMirror(rows[i].ownStatus ? &status : nullptr, rows[i].log)) << "row " << i;
        EXPECT_EQ(rows[i].ownStatus ? 0u : 0xDEADBEEFu, status) << "row " << i;
        EXPECT_EQ(mirrorLine("setifaceMirrorMirror(\"" + rows[i].commandLine + "\", 1, &status)"), takeTrace())
            << "row " << i;
        EXPECT_EQ(rows[i].log && *rows[i].log, elktest::exists(log)) << "row " << i;
        expectReleased(i);
    }
    EXPECT_EQ("Mirror run\r\nServer=http://up.example:3128\r\nSources=mirror,main\r\nPort=3128\r\nValue=5\r\n",
              elktest::readFile(log));
}

TEST_F(MirrorTask, TheFirstFailingCallEndsTheSettings) {
    const auto mirror = [] { return tskSetMirrorParamsForMirror(1, L"up", 81, 9, 0x0F); };
    const auto updater = [] { return tskSetMirrorParamsForUpdater(0, L"m", 82); };
    const auto launch = [] {
        DWORD status = 0xDEADBEEF;
        DWORD rc = tskLaunchMirror(&status, nullptr);
        return status == 0xDEADBEEF ? rc : 0xBAD;  // a failed run leaves the status alone
    };
    const std::string sources = mirrorLine("setifaceSetInfo(0, 2, \"mirror,main\")");
    const std::string address = mirrorLine("setifaceSetInfo(0, 1, \"http://up:81\")");
    const struct {
        const wchar_t* hook;
        const wchar_t* failure;
        std::function<DWORD()> call;
        DWORD result;
        std::string calls;
    } rows[] = {
        /* 0 */ {kHooks[0], L"2:1234", mirror, 1234, mirrorLine("setifaceSetInfo(0, 2, \"mirror,main\")", 1234)},
        /* 1 */ {kHooks[0], L"5:0xE0000001", mirror, 0xE0000001,
                 sources + address + mirrorLine("setifaceSetInfo(0, 5, &81)", 0xE0000001)},
        /* 2 */ {kHooks[0], L"3:5", mirror, 5,
                 sources + address + mirrorLine("setifaceSetInfo(0, 5, &81)") +
                     mirrorLine("setifaceSetInfo(0, 3, 0x00000009)", 5)},
        /* 3 */ {kHooks[0], L"2:31", updater, 31, setupLine("setifaceSetInfo(0, 2, \"mirror\")", 31)},
        /* 4 */ {kHooks[0], L"1:31", updater, 31,
                 setupLine("setifaceSetInfo(0, 2, \"mirror\")") + setupLine("setifaceSetInfo(0, 1, \"http://m:82\")", 31)},
        /* 5 */ {kHooks[1], L"1460", launch, 1460, mirrorLine("setifaceMirrorMirror(\"\", 1, &status)", 1460)},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        SetEnvironmentVariableW(rows[i].hook, rows[i].failure);
        EXPECT_EQ(rows[i].result, rows[i].call()) << "row " << i;
        SetEnvironmentVariableW(rows[i].hook, nullptr);
        EXPECT_EQ(rows[i].calls, takeTrace()) << "row " << i;
        expectReleased(i);
    }
}

TEST_F(MirrorTask, MissingCopyOrEntryGivesTheSystemsCode) {
    const std::wstring stranger = elktest::binFolder() + L"\\Pemx4h.dll";
    const struct {
        const wchar_t* copy;
        bool replace;  // a DLL without the interface's entries takes the copy's name
        DWORD result;
    } rows[] = {
        // The build's own SetIFace.dll beside the test program does not count.
        /* 0 */ {L"Mirror", false, ERROR_MOD_NOT_FOUND},
        /* 1 */ {L"Mirror", true, ERROR_PROC_NOT_FOUND},
        /* 2 */ {L"Setup", false, ERROR_MOD_NOT_FOUND},
        /* 3 */ {L"Setup", true, ERROR_PROC_NOT_FOUND},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const std::wstring copy = library(rows[i].copy), aside = copy + L".off";
        ASSERT_TRUE(MoveFileW(copy.c_str(), aside.c_str())) << "row " << i;
        if (rows[i].replace) {
            ASSERT_TRUE(CopyFileW(stranger.c_str(), copy.c_str(), FALSE)) << "row " << i;
        }
        const bool mirror = std::wstring(rows[i].copy) == L"Mirror";
        // The other copy still answers.
        EXPECT_EQ(mirror ? rows[i].result : 0u, tskSetMirrorParamsForMirror(0, L"h", 1, 0, 0)) << "row " << i;
        EXPECT_EQ(mirror ? rows[i].result : 0u, tskSetMirrorParamsForMirror(1, L"h", 1, 0, 0x0F)) << "row " << i;
        EXPECT_EQ(mirror ? rows[i].result : 0u, tskLaunchMirror(nullptr, nullptr)) << "row " << i;
        EXPECT_EQ(mirror ? 0u : rows[i].result, tskSetMirrorParamsForUpdater(1, L"h", 1)) << "row " << i;
        const std::string trace = takeTrace();
        EXPECT_EQ(std::string::npos, trace.find(elktest::utf8(rows[i].copy) + ":")) << "row " << i << ": " << trace;
        expectReleased(i);
        DeleteFileW(copy.c_str());
        ASSERT_TRUE(MoveFileW(aside.c_str(), copy.c_str())) << "row " << i;
    }
    EXPECT_EQ(0u, tskLaunchMirror(nullptr, nullptr));
}

TEST_F(MirrorTask, TextsThatCannotBeSentAreRefusedBeforeAnyCall) {
    const std::wstring longHost(519 - 12, L'h');  // "http://" + host + ":8080" fills 519 characters
    const struct {
        std::function<DWORD()> call;
        DWORD result;
        bool calls;  // whether the stand-in heard of it
    } rows[] = {
        /* 0 */ {[] { return tskSetMirrorParamsForUpdater(0, nullptr, 80); }, ERROR_INVALID_PARAMETER, false},
        /* 1 */ {[] { return tskSetMirrorParamsForMirror(1, nullptr, 80, 0, 0x06); }, ERROR_INVALID_PARAMETER, false},
        // Without the address the host is not needed.
        /* 2 */ {[] { return tskSetMirrorParamsForMirror(0, nullptr, 80, 0, 0x0F); }, 0, true},
        /* 3 */ {[] { return tskSetMirrorParamsForMirror(1, nullptr, 80, 0, 0x0B); }, 0, true},
        /* 4 */ {[&] { return tskSetMirrorParamsForMirror(1, longHost.c_str(), 8080, 0, 0x06); }, 0, true},
        /* 5 */ {[&] { return tskSetMirrorParamsForMirror(1, (longHost + L"h").c_str(), 8080, 0, 0x06); },
                 ERROR_INSUFFICIENT_BUFFER, false},
        /* 6 */ {[&] { return tskSetMirrorParamsForUpdater(0, (L"http://" + std::wstring(512, L'u')).c_str(), 1); }, 0,
                 true},
        /* 7 */ {[&] { return tskSetMirrorParamsForUpdater(0, (L"http://" + std::wstring(513, L'u')).c_str(), 1); },
                 ERROR_INSUFFICIENT_BUFFER, false},
        /* 8 */ {[&] { return tskSetMirrorParamsForUpdater(0, (longHost + L"h").c_str(), 8080); },
                 ERROR_INSUFFICIENT_BUFFER, false},
        // A quote in the log path would hand the rest to the tool as switches.
        /* 9 */ {[] { return tskLaunchMirror(nullptr, L"C:\\x.log\" /other \"y"); }, ERROR_INVALID_PARAMETER, false},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].result, rows[i].call()) << "row " << i;
        EXPECT_EQ(rows[i].calls, !takeTrace().empty()) << "row " << i;
        expectReleased(i);
    }
    EXPECT_EQ(519u, stored(L"Setup", L"Server").size());
}

TEST_F(MirrorTask, WithoutItsMutexACallStillGoesThrough) {
    // An event of the mutex's name keeps the mutex from being created.
    HANDLE squatter = CreateEventW(nullptr, TRUE, FALSE, L"Mirror.mtx");
    ASSERT_NE(nullptr, squatter);
    EXPECT_EQ(0u, tskSetMirrorParamsForMirror(0, L"h", 1, 0, 0));
    EXPECT_EQ(0u, tskSetMirrorParamsForMirror(0, L"h", 1, 6, 0x08));
    EXPECT_EQ(0u, tskLaunchMirror(nullptr, nullptr));
    EXPECT_EQ("Mirror: setifaceSetInfo(0, 3, 0x00000006) = 0 []\r\n"
              "Mirror: setifaceMirrorMirror(\"\", 1, &status) = 0 []\r\n",
              takeTrace());
    CloseHandle(squatter);
    expectReleased(0);
}

// Runs `call` on a thread of its own; the future tells when it has returned.
std::future<DWORD> inBackground(std::function<DWORD()> call) { return std::async(std::launch::async, call); }

// How often, 50 ms apart, a test looks whether elkctl has taken a mutex yet:
// a loaded machine may take a while to start it.
constexpr int kHolderTries = 400;

bool openable(const wchar_t* mutex) {
    HANDLE h = OpenMutexW(SYNCHRONIZE, FALSE, mutex);
    if (h) CloseHandle(h);
    return h != nullptr;
}

TEST_F(MirrorTask, CallsWaitWhileAnotherProcessHoldsTheCopysMutex) {
    using std::chrono::milliseconds;
    const std::wstring holdEvent = L"elk-mirror-hold-" + std::to_wstring(GetCurrentProcessId());
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, holdEvent.c_str());
    ASSERT_NE(nullptr, release);
    const struct {
        const wchar_t* elkctl;  // holds `mutex` inside the stand-in's call until released
        const wchar_t* mutex;
        std::function<DWORD()> waiting;  // must wait for the release
        DWORD result;
        std::function<DWORD()> free;  // the other copy's lock: no wait
        std::vector<std::string> order;  // parts of the trace, in the order the calls ended
    } rows[] = {
        /* 0 */ {L"mirror launch", L"Mirror.mtx", [] { return tskSetMirrorParamsForMirror(0, L"h", 1, 0, 0); },
                 ERROR_ALREADY_EXISTS, [] { return tskSetMirrorParamsForUpdater(0, L"h", 1); },
                 {"Setup: setifaceSetInfo(0, 1, \"http://h:1\")", "Mirror: setifaceMirrorMirror"}},
        /* 1 */ {L"mirror set-updater other.example", L"Setiface",
                 [] { return tskSetMirrorParamsForUpdater(1, L"h", 1); }, 0,
                 [] { return tskLaunchMirror(nullptr, nullptr); },
                 {"Mirror: setifaceMirrorMirror", "\"http://other.example:80\"", "\"mirror,main\"",
                  "\"http://h:1\""}},
        /* 2 */ {L"mirror set-mirror --value 3", L"Mirror.mtx",
                 [] { return tskSetMirrorParamsForMirror(0, L"h", 1, 4, 0x08); }, 0,
                 [] { return tskSetMirrorParamsForUpdater(0, L"h", 1); },
                 {"Setup: setifaceSetInfo(0, 1, \"http://h:1\")", "0x00000003", "0x00000004"}},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        ResetEvent(release);
        SetEnvironmentVariableW(L"TARVO_SETIFACE_HOLD", holdEvent.c_str());
        std::future<elktest::ProcessOutcome> holder =
            std::async(std::launch::async, [&] { return runElkctl(rows[i].elkctl); });
        bool held = false;
        for (int tries = 0; tries < kHolderTries && !(held = openable(rows[i].mutex)); ++tries) Sleep(50);
        SetEnvironmentVariableW(L"TARVO_SETIFACE_HOLD", nullptr);
        ASSERT_TRUE(held) << "row " << i << ": elkctl never took the mutex";

        std::future<DWORD> waiting = inBackground(rows[i].waiting);
        EXPECT_EQ(0u, rows[i].free()) << "row " << i;
        EXPECT_EQ(std::future_status::timeout, waiting.wait_for(milliseconds(1500))) << "row " << i;
        SetEvent(release);
        ASSERT_EQ(std::future_status::ready, waiting.wait_for(milliseconds(15000))) << "row " << i;
        EXPECT_EQ(rows[i].result, waiting.get()) << "row " << i;
        elktest::ProcessOutcome run = holder.get();
        EXPECT_EQ(0u, run.exitCode) << "row " << i << ": " << run.err;
        expectReleased(i);
        const std::string trace = takeTrace();
        size_t at = 0;
        for (const std::string& part : rows[i].order) {
            size_t next = trace.find(part, at);
            EXPECT_NE(std::string::npos, next) << "row " << i << ": " << part << " in\n" << trace;
            if (next != std::string::npos) at = next + part.size();
        }
    }
    CloseHandle(release);
}

TEST_F(MirrorTask, AnAbandonedMutexIsTakenOver) {
    const std::wstring holdEvent = L"elk-mirror-never-" + std::to_wstring(GetCurrentProcessId());
    HANDLE never = CreateEventW(nullptr, TRUE, FALSE, holdEvent.c_str());
    ASSERT_NE(nullptr, never);
    SetEnvironmentVariableW(L"TARVO_SETIFACE_HOLD", holdEvent.c_str());
    std::wstring command = L"\"" + elktest::binFolder() + L"\\elkctl.exe\" mirror launch";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
    CloseHandle(process.hThread);
    bool held = false;
    for (int tries = 0; tries < kHolderTries && !(held = openable(L"Mirror.mtx")); ++tries) Sleep(50);
    SetEnvironmentVariableW(L"TARVO_SETIFACE_HOLD", nullptr);
    std::future<DWORD> waiting = inBackground([] { return tskSetMirrorParamsForMirror(0, L"h", 1, 7, 0x08); });
    EXPECT_EQ(std::future_status::timeout, waiting.wait_for(std::chrono::milliseconds(1000)));
    // The holder is ended while it holds the mutex and this call waits for it.
    TerminateProcess(process.hProcess, 9);
    WaitForSingleObject(process.hProcess, 10000);
    CloseHandle(process.hProcess);
    ASSERT_TRUE(held);
    ASSERT_EQ(std::future_status::ready, waiting.wait_for(std::chrono::seconds(20)));
    EXPECT_EQ(0u, waiting.get());
    EXPECT_EQ(L"7", stored(L"Mirror", L"Value"));
    expectReleased(0);
    CloseHandle(never);
}

TEST_F(MirrorTask, ElkctlCommands) {
    const std::wstring log = tree.root() + L"\\elkctl-mirror.log";
    elktest::ProcessOutcome run =
        runElkctl(L"mirror set-mirror --upstream up.example --port 8080 --sources --value 0x2A");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ(mirrorLine("setifaceSetInfo(0, 2, \"mirror,main\")") +
                  mirrorLine("setifaceSetInfo(0, 1, \"http://up.example:8080\")") +
                  mirrorLine("setifaceSetInfo(0, 5, &8080)") + mirrorLine("setifaceSetInfo(0, 3, 0x0000002A)"),
              takeTrace());
    run = runElkctl(L"mirror set-mirror --port 9090");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ(mirrorLine("setifaceSetInfo(0, 5, &9090)"), takeTrace());

    run = runElkctl(L"mirror set-updater mirror.example --fallback --port 8081");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ(setupLine("setifaceSetInfo(0, 2, \"mirror,main\")") +
                  setupLine("setifaceSetInfo(0, 1, \"http://mirror.example:8081\")"),
              takeTrace());
    run = runElkctl(L"mirror set-updater m.example/u");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ(L"http://m.example/u", stored(L"Setup", L"Server"));
    EXPECT_EQ(L"mirror", stored(L"Setup", L"Sources"));
    takeTrace();

    run = runElkctl(L"mirror launch --log \"" + log + L"\"");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ("status 0\n", run.out);
    EXPECT_EQ("Mirror run\r\nServer=http://up.example:8080\r\nSources=mirror,main\r\nPort=9090\r\nValue=42\r\n",
              elktest::readFile(log));
    takeTrace();

    SetEnvironmentVariableW(L"TARVO_SETIFACE_FAIL_MIRROR", L"1460");
    run = runElkctl(L"mirror launch");
    SetEnvironmentVariableW(L"TARVO_SETIFACE_FAIL_MIRROR", nullptr);
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("mirror run failed")) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("0x000005B4")) << run.err;
}

TEST(MirrorCommand, MisuseIsRefusedBeforeAnyCall) {
    const wchar_t* const misuses[] = {
        /* 0 */ L"mirror",
        /* 1 */ L"mirror status",
        /* 2 */ L"mirror set-mirror",
        /* 3 */ L"mirror set-mirror --upstream up.example",
        /* 4 */ L"mirror set-mirror --port",
        /* 5 */ L"mirror set-mirror --port 0x100000000",
        /* 6 */ L"mirror set-mirror --value -1",
        /* 7 */ L"mirror set-mirror --sources --mirror",
        /* 8 */ L"mirror set-updater",
        /* 9 */ L"mirror set-updater a b",
        /* 10 */ L"mirror set-updater a --port x",
        /* 11 */ L"mirror launch --log",
        /* 12 */ L"mirror launch now",
        /* 13 */ L"mirror launch --log \"\"",
    };
    for (size_t i = 0; i < std::size(misuses); ++i) {
        elktest::ProcessOutcome run = runElkctl(misuses[i]);
        EXPECT_EQ(2u, run.exitCode) << "row " << i;
        EXPECT_NE(std::string::npos, run.err.find("usage: elkctl mirror set-mirror [--upstream HOST]")) << "row " << i
                                                                                                       << ": " << run.err;
    }
}

}  // namespace
