// Starting programs: a program of the build that records its command line,
// copied into a folder with a blank in its name.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "include/elkBase.h"
#include "support/files.h"
#include "support/install_tree.h"

namespace {

class Execute : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = root_ / L"with space";
        ASSERT_TRUE(CreateDirectoryW(folder_.c_str(), nullptr));
    }
    // The recording program under `name` in the folder with the blank.
    std::wstring program(const wchar_t* name) {
        std::wstring path = folder_ + L"\\" + name;
        EXPECT_TRUE(CopyFileW((elktest::binFolder() + L"\\cmdline\\cmdline.exe").c_str(), path.c_str(), FALSE));
        return path;
    }
    // The command line the program recorded, waiting up to `ms` for it.
    static std::string recorded(const std::wstring& program, DWORD ms = 0) {
        const std::wstring file = program + L".txt";
        for (DWORD waited = 0; !elktest::exists(file) && waited < ms; waited += 50) Sleep(50);
        return elktest::readFile(file);
    }

private:
    elktest::TempFolder root_{L"elk-exec"};
    std::wstring folder_;
};

TEST_F(Execute, ProgramPathWithBlanksIsQuotedAndArgumentsKept) {
    const std::wstring exe = program(L"record.exe");
    const std::wstring command = exe + L" first \"second arg\"";
    ASSERT_EQ(basExecuteAndWait(command.c_str(), TRUE), 0u);
    EXPECT_EQ(recorded(exe), elktest::utf8(L"\"" + exe + L"\" first \"second arg\"")) << "waited for the end";

    // A name whose only extension goes on after "exe" is quoted whole.
    const std::wstring exes = program(L"record.exes");
    ASSERT_EQ(basExecuteAndWait(exes.c_str(), TRUE), 0u);
    EXPECT_EQ(recorded(exes), elktest::utf8(L"\"" + exes + L"\""));

    // Quoted already: as it stands.
    const std::wstring scr = program(L"saver.SCR");
    const std::wstring quoted = L"\"" + scr + L"\"  /s";
    ASSERT_EQ(basExecuteAndWait(quoted.c_str(), TRUE), 0u);
    EXPECT_EQ(recorded(scr), elktest::utf8(quoted));
}

TEST_F(Execute, WithoutWaitingReturnsWhileTheProgramRuns) {
    const std::wstring exe = program(L"later.exe");
    ASSERT_EQ(basExecuteAndWait(exe.c_str(), FALSE), 0u);
    EXPECT_FALSE(elktest::exists(exe + L".txt")) << "returned only after the program ended";
    EXPECT_EQ(recorded(exe, 20000), elktest::utf8(L"\"" + exe + L"\""));

    // Only the low byte of the switch counts.
    using Start = DWORD(WINAPI*)(const wchar_t*, DWORD);
    auto startWide = reinterpret_cast<Start>(reinterpret_cast<void (*)()>(basExecuteAndWait));
    const std::wstring high = program(L"high.exe");
    ASSERT_EQ(startWide(high.c_str(), 0x100), 0u);
    EXPECT_FALSE(elktest::exists(high + L".txt"));
    EXPECT_FALSE(recorded(high, 20000).empty());
}

TEST_F(Execute, LengthLimitAndStartFailures) {
    const std::wstring missing = L"C:\\no such folder\\" + std::wstring(300, L'p');
    const struct {
        std::wstring command;
        DWORD expected;
    } rows[] = {
        /* 0 */ {missing.substr(0, 258), ERROR_INVALID_PARAMETER},
        // The longest command: it starts, and fails only for its missing folder (2 or 3).
        /* 1 */ {missing.substr(0, 253) + L".exe", ERROR_PATH_NOT_FOUND},
        /* 2 */ {missing.substr(0, 253) + L".exe" + L"x", ERROR_INVALID_PARAMETER},
        // Without an extension the whole command is the program.
        /* 3 */ {program(L"record.exe").substr(0, program(L"record.exe").size() - 4) + L" arg", ERROR_FILE_NOT_FOUND},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        DWORD rc = basExecuteAndWait(rows[i].command.c_str(), TRUE);
        if (rows[i].expected == ERROR_PATH_NOT_FOUND && rc == ERROR_FILE_NOT_FOUND) rc = ERROR_PATH_NOT_FOUND;
        EXPECT_EQ(rc, rows[i].expected) << "row " << i;
    }
    EXPECT_EQ(basExecuteAndWait(nullptr, TRUE), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
