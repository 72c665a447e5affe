// Waiting for the workstation's domain, against a NetApi32 double in
// bin\sysdoubles that comes up after a number of tries (the ctest entry sets
// WINEDLLOVERRIDES=netapi32=n,b), with the pace of the test hook
// ELK_DOMAIN_DETECT, and once at the real pace.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "include/elkBase.h"
#include "support/files.h"
#include "support/install_tree.h"
#include "support/library.h"

namespace {

void setVariable(const wchar_t* name, const std::wstring& value) {
    SetEnvironmentVariableW(name, value.empty() ? nullptr : value.c_str());
}

class DomainDetect : public elktest::LibraryTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(SetDllDirectoryW((elktest::binFolder() + L"\\sysdoubles").c_str()));
        setVariable(L"ELK_NETAPI_RECORD", record_);
        start();
    }
    void TearDown() override {
        LibraryTest::TearDown();
        SetDllDirectoryW(nullptr);
        for (const wchar_t* name : {L"ELK_NETAPI_RECORD", L"ELK_DOMAIN_DETECT", L"ELK_DOMAIN_CALLS",
                                    L"ELK_DOMAIN_FAILS", L"ELK_DOMAIN_EMPTY", L"ELK_DOMAIN_NAME"})
            setVariable(name, L"");
        DeleteFileW(record_.c_str());
    }

    // One basDomainDetect against a double that fails `fails` times, then
    // answers empty `empty` times, then `name`; the tick counts of its calls.
    std::vector<DWORD> detect(unsigned fails, unsigned empty, const std::wstring& name) {
        setVariable(L"ELK_DOMAIN_CALLS", L"");
        setVariable(L"ELK_DOMAIN_FAILS", std::to_wstring(fails));
        setVariable(L"ELK_DOMAIN_EMPTY", std::to_wstring(empty));
        setVariable(L"ELK_DOMAIN_NAME", name);
        DeleteFileW(record_.c_str());
        basDomainDetect();
        std::vector<DWORD> ticks;
        std::istringstream lines(elktest::readFile(record_));
        std::string call, at;
        unsigned n;
        DWORD tick;
        while (lines >> call >> n >> at >> tick) ticks.push_back(tick);
        return ticks;
    }

    std::wstring record_ = elktest::tempName(L"netapi-record");
};

TEST_F(DomainDetect, TriesUntilANameComes) {
    setVariable(L"ELK_DOMAIN_DETECT", L"6,50");
    const std::wstring name25(25, L'd');
    const struct {
        unsigned fails, empty;
        std::wstring name;
        size_t calls;
        const wchar_t* domain;  // afterwards
    } rows[] = {
        /* 0 */ {0, 0, L"FIRST", 1, L"FIRST"},
        /* 1 */ {3, 0, L"LATE", 4, L"LATE"},
        /* 2 */ {1, 2, L"EMPTYFIRST", 4, L"EMPTYFIRST"},
        // Every try fails: the name stays.
        /* 3 */ {10, 0, L"NEVER", 6, L"EMPTYFIRST"},
        // The last try answered, but with no name: that is taken.
        /* 4 */ {2, 10, L"NEVER", 6, L""},
        /* 5 */ {0, 0, name25, 1, L"ddddddddddddddddddd"},
        /* 6 */ {5, 0, L"LASTTRY", 6, L"LASTTRY"},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        std::vector<DWORD> ticks = detect(rows[i].fails, rows[i].empty, rows[i].name);
        ASSERT_EQ(ticks.size(), rows[i].calls) << "row " << i;
        EXPECT_STREQ(basGetDomainName(), rows[i].domain) << "row " << i;
        // 50 ms between tries; the tick count may round each wait down a little.
        for (size_t t = 1; t < ticks.size(); ++t)
            EXPECT_GE(ticks[t] - ticks[t - 1], 25u) << "row " << i << " try " << t;
        if (ticks.size() > 1) {
            EXPECT_GE(ticks.back() - ticks.front(), 45u * (ticks.size() - 1)) << "row " << i;
        }
    }
}

TEST_F(DomainDetect, HookOutsideItsRangeIsIgnored) {
    // A hook asking for more than 300 tries or longer waits would lengthen
    // the wait; the double answers at the first try, so the pace shows only
    // in that nothing is waited for.
    for (const wchar_t* hook : {L"301,10", L"5,1001", L"5", L"5,10,1", L"-1,10", L" 5,10", L""}) {
        setVariable(L"ELK_DOMAIN_DETECT", hook);
        DWORD before = GetTickCount();
        EXPECT_EQ(detect(0, 0, L"QUICK").size(), 1u) << elktest::utf8(hook);
        EXPECT_LT(GetTickCount() - before, 1000u) << elktest::utf8(hook);
        EXPECT_STREQ(basGetDomainName(), L"QUICK");
    }
    // With the default pace an unanswered try waits the real second: the
    // one test of the real wait.
    setVariable(L"ELK_DOMAIN_DETECT", L"");
    std::vector<DWORD> ticks = detect(2, 0, L"REALPACE");
    ASSERT_EQ(ticks.size(), 3u);
    EXPECT_GE(ticks[2] - ticks[0], 1900u);
    EXPECT_LT(ticks[2] - ticks[0], 5000u);
    EXPECT_STREQ(basGetDomainName(), L"REALPACE");
}

// Without NetApi32 (disabled for this entry) nothing happens at once.
TEST(DomainDetectNoNetApi, ReturnsAtOnce) {
    ASSERT_EQ(LoadLibraryW(L"NetApi32.dll"), nullptr) << "this test needs NetApi32 disabled";
    elktest::InstallTree tree;
    tree.addLanguage(1033);
    elktest::StartedLibrary library(tree, ELK_INIT_LIGHT);
    ASSERT_EQ(library.result(), 0u);
    DWORD before = GetTickCount();
    basDomainDetect();
    EXPECT_LT(GetTickCount() - before, 1000u);
    EXPECT_STREQ(basGetDomainName(), L"");
}

}  // namespace
