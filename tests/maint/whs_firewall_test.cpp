// The home-server connector's firewall rules, against a stand-in firewall
// (firewall_double/) that the system's firewall classes point at for each
// test, with the retry thread's wait shortened through its hook.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/handles.h"
#include "include/elkBase.h"
#include "support/files.h"
#include "support/install_tree.h"
#include "support/library.h"
#include "support/process.h"
#include "support/winversion.h"

namespace {

using elktest::utf8;

const char kIn[] = "tarvo! WHS Connector (TCP-In)";
const char kOut[] = "tarvo! WHS Connector (TCP-Out)";
const char kDescription[] =
    "This rule ensures that the tarvo! antivirus Service is able to communicate with the Windows Home Server.";

// 64-bit Wine has its own name for XP (5.2, the XP path as well).
const wchar_t* const kXp = sizeof(void*) == 8 ? L"winxp64" : L"winxp";

// The system's firewall classes, pointed at the double while a scene lasts.
// Wine takes classes from the machine's registration only, so that is where
// they go; the prefix's own entry is kept in a value beside and put back.
class DoubleRegistration {
public:
    DoubleRegistration() {
        const std::wstring dll = elktest::binFolder() + L"\\elkFwDouble.dll";
        for (const wchar_t* clsid : kClasses) {
            elk::UniqueKey key;
            LSTATUS rc = RegCreateKeyExW(HKEY_LOCAL_MACHINE, path(clsid).c_str(), 0, nullptr, 0,
                                         KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, key.put(), nullptr);
            EXPECT_EQ(rc, 0);
            if (rc) continue;
            // A saved entry left by an interrupted run is the prefix's own.
            if (RegQueryValueExW(key.get(), kSaved, nullptr, nullptr, nullptr, nullptr) != 0)
                setText(key.get(), kSaved, text(key.get(), nullptr));
            setText(key.get(), nullptr, dll);
            setText(key.get(), L"ThreadingModel", L"Both");
        }
    }
    ~DoubleRegistration() {
        for (const wchar_t* clsid : kClasses) {
            elk::UniqueKey key;
            if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path(clsid).c_str(), 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                              key.put()) != 0)
                continue;
            std::wstring saved = text(key.get(), kSaved);
            if (saved.empty())
                RegDeleteValueW(key.get(), nullptr);
            else
                setText(key.get(), nullptr, saved);
            RegDeleteValueW(key.get(), kSaved);
        }
    }

private:
    static constexpr const wchar_t* kClasses[] = {
        L"{E2B3C97F-6AE1-41AC-817A-F6F92166D7DD}", L"{2C5BC43E-3369-4C33-AB0C-BE9469677AF4}",
        L"{304CE942-6E39-40D8-943A-B913C40C9CD4}", L"{EC9846B3-2762-4A6B-A214-6ACB603462D2}"};
    static constexpr wchar_t kSaved[] = L"ElkTestSaved";
    static std::wstring path(const wchar_t* clsid) {
        return std::wstring(L"Software\\Classes\\CLSID\\") + clsid + L"\\InprocServer32";
    }
    static std::wstring text(HKEY key, const wchar_t* name) {
        wchar_t value[MAX_PATH] = {};
        DWORD bytes = sizeof(value) - sizeof(wchar_t);
        return RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &bytes) == 0
                   ? std::wstring(value)
                   : std::wstring();
    }
    static void setText(HKEY key, const wchar_t* name, const std::wstring& value) {
        RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
};

std::set<DWORD> threadsOfProcess() {
    std::set<DWORD> ids;
    elk::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ids.insert(entry.th32ThreadID);
    return ids;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

size_t count(const std::vector<std::string>& all, const std::string& line) {
    return static_cast<size_t>(std::count(all.begin(), all.end(), line));
}

// One installation with a firewall of its own and the library started on it.
// At its end it waits for the retry threads that the library started meanwhile.
class Scene {
public:
    // waitMs: the retry thread's wait, through its hook; null for the real one.
    explicit Scene(const wchar_t* waitMs = L"50") {
        SetEnvironmentVariableW(L"ELKTEST_FIREWALL", folder.path().c_str());
        SetEnvironmentVariableW(L"ELKTEST_FIREWALL_FAIL", nullptr);
        SetEnvironmentVariableW(L"ELK_WHS_RETRY_WAIT_MS", waitMs);
        tree.addLanguage(1033);
        threadsBefore = threadsOfProcess();
        library.emplace(tree, ELK_INIT_LIGHT);
        EXPECT_EQ(library->result(), 0u);
    }
    ~Scene() {
        EXPECT_TRUE(waitForRetries(30000)) << "a retry thread still runs";
        library.reset();
        SetEnvironmentVariableW(L"ELKTEST_FIREWALL", nullptr);
        SetEnvironmentVariableW(L"ELKTEST_FIREWALL_FAIL", nullptr);
        SetEnvironmentVariableW(L"ELK_WHS_RETRY_WAIT_MS", nullptr);
    }

    // Threads started since the scene began (the library's retry threads).
    std::vector<DWORD> newThreads() const {
        std::vector<DWORD> out;
        for (DWORD id : threadsOfProcess())
            if (!threadsBefore.count(id)) out.push_back(id);
        return out;
    }
    bool waitForRetries(DWORD timeoutMs) const {
        const DWORD start = GetTickCount();
        for (std::vector<DWORD> left = newThreads(); !left.empty(); left = newThreads()) {
            for (DWORD id : left) {
                elk::UniqueHandle thread(OpenThread(SYNCHRONIZE, FALSE, id));
                DWORD spent = GetTickCount() - start;
                if (spent >= timeoutMs) return false;
                if (thread) WaitForSingleObject(thread.get(), timeoutMs - spent);
            }
            Sleep(10);
        }
        return true;
    }

    void fail(const wchar_t* calls) const { SetEnvironmentVariableW(L"ELKTEST_FIREWALL_FAIL", calls); }
    // "(none)" when the key is not there.
    std::string key(const wchar_t* name) const {
        wchar_t value[32];
        GetPrivateProfileStringW(L"WHS", name, L"(none)", value, ARRAYSIZE(value), tree.ini().c_str());
        return utf8(value);
    }
    std::string created() const { return key(L"NetFwRulesCreated"); }
    std::string verified() const { return key(L"NetFwRulesVerified"); }
    std::vector<std::string> firewall() const { return lines(elktest::readFile(folder / L"firewall.txt")); }
    std::vector<std::string> calls() const { return lines(elktest::readFile(folder / L"calls.txt")); }
    void setFirewall(const std::string& text) const { ASSERT_TRUE(elktest::writeFile(folder / L"firewall.txt", text)); }
    // Polls for NetFwRulesVerified = 1.
    bool becomesVerified(DWORD timeoutMs) const {
        for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs; Sleep(20))
            if (verified() == "1") return true;
        return false;
    }

    std::string program() const { return utf8(tree.program()) + "\\TarvoSvc.exe"; }
    std::string rule(const char* name, int direction) const {
        return std::string("rule\t") + name + "\t" + kDescription + "\t1\t1\t" + std::to_string(direction) +
               "\t7FFFFFFF\t" + program() + "\t6\t" + (direction == 1 ? "16107" : "") + "\tLocalSubnet";
    }
    std::vector<std::string> bothRules() const { return {rule(kIn, 1), rule(kOut, 2)}; }
    std::string application(bool enabled) const {
        return "app\t" + program() + "\ttarvo! Antivirus Service\t1\t" + (enabled ? "1" : "0");
    }

    DoubleRegistration registration;
    elktest::InstallTree tree;
    elktest::TempFolder folder{L"elk-fw"};
    std::set<DWORD> threadsBefore;
    std::optional<elktest::StartedLibrary> library;
};

std::vector<std::string> sorted(std::vector<std::string> v) {
    std::sort(v.begin(), v.end());
    return v;
}

TEST(WhsFirewall, CleanSystemCreatesBothRulesAndTheRetryConfirmsThem) {
    Scene scene(L"1500");
    EXPECT_TRUE(basCreateWhsConnectorFwRules());
    // Created, not yet confirmed: that is the retry thread's first attempt.
    EXPECT_EQ(scene.created(), "1");
    EXPECT_EQ(scene.verified(), "(none)");
    EXPECT_EQ(scene.firewall(), scene.bothRules());
    EXPECT_EQ(scene.newThreads().size(), 1u);
    ASSERT_TRUE(scene.becomesVerified(15000));
    EXPECT_TRUE(scene.waitForRetries(5000));
    EXPECT_EQ(scene.created(), "1");
    EXPECT_EQ(scene.firewall(), scene.bothRules());
    // The confirming attempt only looked.
    const std::vector<std::string> calls = scene.calls();
    EXPECT_EQ(count(calls, std::string("Add ") + kIn), 1u);
    EXPECT_EQ(count(calls, std::string("Add ") + kOut), 1u);
    EXPECT_EQ(count(calls, "create NetFwPolicy2"), 2u);
    // From now on the firewall is not asked again.
    EXPECT_TRUE(basCreateWhsConnectorFwRules());
    EXPECT_EQ(scene.calls(), calls);
}

TEST(WhsFirewall, VerifiedTouchesNeitherFirewallNorIniFile) {
    Scene scene;
    scene.tree.setIni(L"WHS", L"NetFwRulesVerified", L"1");
    scene.tree.setIni(L"WHS", L"NetFwRulesCreated", L"0");
    scene.setFirewall("rule\tother\t\t0\t0\t2\t00000001\t\t17\t\t\n");
    const std::string ini = elktest::readFile(scene.tree.ini());
    const std::string firewall = elktest::readFile(scene.folder / L"firewall.txt");
    EXPECT_TRUE(basCreateWhsConnectorFwRules());
    EXPECT_EQ(elktest::readFile(scene.tree.ini()), ini);
    EXPECT_EQ(elktest::readFile(scene.folder / L"firewall.txt"), firewall);
    EXPECT_FALSE(elktest::exists(scene.folder / L"calls.txt"));
    EXPECT_TRUE(scene.newThreads().empty());
}

TEST(WhsFirewall, MissingRuleIsCreatedAgainWithoutDoublingItsPartner) {
    for (int missing : {1, 2}) {
        SCOPED_TRACE(missing == 1 ? "inbound rule deleted" : "outbound rule deleted");
        Scene scene;
        scene.tree.setIni(L"WHS", L"NetFwRulesCreated", L"1");
        const std::string kept = missing == 1 ? scene.rule(kOut, 2) : scene.rule(kIn, 1);
        scene.setFirewall(kept + "\n");
        EXPECT_TRUE(basCreateWhsConnectorFwRules());
        EXPECT_EQ(scene.created(), "1");
        EXPECT_EQ(sorted(scene.firewall()), sorted(scene.bothRules()));
        EXPECT_TRUE(scene.becomesVerified(5000));
    }
}

TEST(WhsFirewall, FailuresAreAbsorbedAndNoInboundRuleStaysAlone) {
    const struct {
        const wchar_t* fail;  // calls of the double that fail
        const char* created;  // NetFwRulesCreated afterwards
    } cases[] = {
        /* 0 */ {L"create NetFwPolicy2", "(none)"},
        /* 1 */ {L"get Rules", "(none)"},
        /* 2 */ {L"create NetFwRule", "0"},
        /* 3 */ {L"Add tarvo! WHS Connector (TCP-In)", "0"},
        /* 4 */ {L"Add tarvo! WHS Connector (TCP-Out)", "0"},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        Scene scene;
        scene.fail(cases[i].fail);
        // True: the retry thread took over.
        EXPECT_TRUE(basCreateWhsConnectorFwRules());
        EXPECT_TRUE(scene.waitForRetries(30000));
        EXPECT_EQ(scene.created(), cases[i].created);
        EXPECT_EQ(scene.verified(), "(none)");
        EXPECT_TRUE(scene.firewall().empty());
        // The first attempt and the thread's nine.
        EXPECT_EQ(count(scene.calls(), "create NetFwPolicy2"), 10u);
    }
}

TEST(WhsFirewall, OutboundFailureRemovesTheInboundRuleAndTheRetryMendsIt) {
    Scene scene(L"300");
    scene.fail(L"Add tarvo! WHS Connector (TCP-Out)");
    EXPECT_TRUE(basCreateWhsConnectorFwRules());
    EXPECT_EQ(scene.created(), "0");
    EXPECT_TRUE(scene.firewall().empty());
    EXPECT_EQ(count(scene.calls(), std::string("Remove ") + kIn), 1u);
    scene.fail(nullptr);
    ASSERT_TRUE(scene.becomesVerified(15000));
    EXPECT_EQ(scene.created(), "1");
    EXPECT_EQ(scene.firewall(), scene.bothRules());
}

TEST(WhsFirewall, OneRetryThreadAtATime) {
    Scene scene(L"100");
    scene.fail(L"create NetFwPolicy2");
    EXPECT_TRUE(basCreateWhsConnectorFwRules());
    // A second call while the thread runs still answers true, and starts none.
    EXPECT_TRUE(basCreateWhsConnectorFwRules());
    EXPECT_EQ(scene.newThreads().size(), 1u);
    ASSERT_TRUE(scene.waitForRetries(30000));
    EXPECT_EQ(count(scene.calls(), "create NetFwPolicy2"), 2u + 9u);
    // Once it has ended, the next call starts another.
    EXPECT_TRUE(basCreateWhsConnectorFwRules());
    EXPECT_EQ(scene.newThreads().size(), 1u);
    ASSERT_TRUE(scene.waitForRetries(30000));
    EXPECT_EQ(count(scene.calls(), "create NetFwPolicy2"), 3u + 18u);
}

// The one test that waits the real 10 s before the first retry.
TEST(WhsFirewall, RetryWaitsTenSecondsWithoutTheHook) {
    Scene scene(nullptr);
    const DWORD start = GetTickCount();
    EXPECT_TRUE(basCreateWhsConnectorFwRules());
    ASSERT_TRUE(scene.becomesVerified(20000));
    EXPECT_GE(GetTickCount() - start, 9900u);
}

// XP and Server 2003 share the path of the authorized application.
void authorizesTheServiceProgram() {
    const struct {
        const char* before;       // the profile's entry before, if any
        const wchar_t* created;   // NetFwRulesCreated before
        bool adds;                // whether the call adds an entry
    } cases[] = {
        /* 0 */ {nullptr, nullptr, true},
        /* 1 */ {"disabled", L"1", true},  // counts only when enabled
        /* 2 */ {"enabled", L"0", false},  // already authorized
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE("case " + std::to_string(i));
        Scene scene;
        ASSERT_TRUE(basIsOS(ELK_OS_NT51 | ELK_OS_NT52));
        if (cases[i].before)
            scene.setFirewall(scene.application(std::string(cases[i].before) == "enabled") + "\n");
        if (cases[i].created) scene.tree.setIni(L"WHS", L"NetFwRulesCreated", cases[i].created);
        EXPECT_TRUE(basCreateWhsConnectorFwRules());
        EXPECT_EQ(scene.created(), "1");
        EXPECT_EQ(scene.firewall(), std::vector<std::string>{scene.application(true)});
        EXPECT_EQ(count(scene.calls(), "Add " + scene.program()), cases[i].adds ? 1u : 0u);
        EXPECT_TRUE(scene.becomesVerified(5000));
        EXPECT_EQ(count(scene.calls(), "create NetFwPolicy2"), 0u);
    }
}

TEST(WhsFirewall, XpAuthorizesTheServiceProgram) {
    if (!elktest::inWindowsVersion(kXp)) return;
    authorizesTheServiceProgram();
}

TEST(WhsFirewall, Server2003AuthorizesTheServiceProgram) {
    if (!elktest::inWindowsVersion(L"win2003")) return;
    authorizesTheServiceProgram();
}

TEST(WhsFirewall, Windows2000DoesNothing) {
    if (!elktest::inWindowsVersion(L"win2k")) return;
    Scene scene;
    ASSERT_TRUE(basIsOS(ELK_OS_NT50));
    EXPECT_TRUE(basCreateWhsConnectorFwRules());
    EXPECT_FALSE(elktest::exists(scene.tree.ini()));
    EXPECT_FALSE(elktest::exists(scene.folder / L"calls.txt"));
    EXPECT_TRUE(scene.newThreads().empty());
}

TEST(WhsFirewall, ElkctlRunsOneAttemptAndShowsTheState) {
    // The real wait: elkctl has ended long before its retry thread would try.
    Scene scene(nullptr);
    elktest::ProcessOutcome first = elktest::runElkctl(L"whs-firewall");
    EXPECT_EQ(first.exitCode, 0u) << first.err;
    const std::string rules = std::string("  ") + kIn + ": enabled, allow, in, TCP, local ports 16107, remote " +
                              "LocalSubnet, profiles 0x7FFFFFFF, program " + scene.program() + "\n  " + kOut +
                              ": enabled, allow, out, TCP, local ports (none), remote LocalSubnet, profiles " +
                              "0x7FFFFFFF, program " + scene.program() + "\n";
    EXPECT_EQ(first.out, "Result: TRUE\nNetFwRulesCreated: 1\nNetFwRulesVerified: (none)\nFirewall rules:\n" + rules);
    elktest::ProcessOutcome second = elktest::runElkctl(L"whs-firewall");
    EXPECT_EQ(second.out, "Result: TRUE\nNetFwRulesCreated: 1\nNetFwRulesVerified: 1\nFirewall rules:\n" + rules);
    EXPECT_EQ(scene.firewall(), scene.bothRules());
    elktest::ProcessOutcome misused = elktest::runElkctl(L"whs-firewall now");
    EXPECT_EQ(misused.exitCode, 2u);
    EXPECT_EQ(misused.err, "usage: elkctl whs-firewall\n");
}

}  // namespace
