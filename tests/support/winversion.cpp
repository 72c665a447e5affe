#include "support/winversion.h"

#include <gtest/gtest.h>

#include "base/handles.h"
#include "support/files.h"

namespace elktest {

namespace {

constexpr wchar_t kChildVariable[] = L"ELKTEST_WINDOWS_VERSION";

std::wstring fileName(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

bool registerVersion(const std::wstring& exe, const wchar_t* version) {
    std::wstring key = L"Software\\Wine\\AppDefaults\\" + exe;
    elk::UniqueKey opened;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, opened.put(), nullptr))
        return false;
    DWORD bytes = static_cast<DWORD>((wcslen(version) + 1) * sizeof(wchar_t));
    return RegSetValueExW(opened.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), bytes) == 0;
}

// Same size and last write: CopyFileW keeps the time, so a copy of this
// build is recognised and a rebuilt program is copied again.
bool sameFile(const std::wstring& a, const std::wstring& b) {
    WIN32_FILE_ATTRIBUTE_DATA x, y;
    return GetFileAttributesExW(a.c_str(), GetFileExInfoStandard, &x) &&
           GetFileAttributesExW(b.c_str(), GetFileExInfoStandard, &y) && x.nFileSizeLow == y.nFileSizeLow &&
           x.nFileSizeHigh == y.nFileSizeHigh && CompareFileTime(&x.ftLastWriteTime, &y.ftLastWriteTime) == 0;
}

std::wstring selfPath() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::wstring(path, n);
}

}  // namespace

std::wstring programAsWindows(const wchar_t* version, const std::wstring& program) {
    std::wstring stem = program;
    if (stem.size() > 4 && _wcsicmp(stem.c_str() + stem.size() - 4, L".exe") == 0) stem.resize(stem.size() - 4);
    std::wstring copy = stem + L"-as-" + version + L".exe";
    if (!sameFile(program, copy) && !CopyFileW(program.c_str(), copy.c_str(), FALSE)) return {};
    if (!registerVersion(fileName(copy), version)) return {};
    return copy;
}

ProcessOutcome runAsWindows(const wchar_t* version, const std::wstring& program, const std::wstring& arguments,
                            const std::string& input, DWORD timeoutMs) {
    std::wstring copy = programAsWindows(version, program);
    if (copy.empty()) return {};
    return runProgram(copy, arguments, input, timeoutMs);
}

const wchar_t* childWindowsVersion() {
    static wchar_t version[32];
    static const bool known = GetEnvironmentVariableW(kChildVariable, version, ARRAYSIZE(version)) - 1 <
                              ARRAYSIZE(version) - 1;
    return known ? version : nullptr;
}

bool inWindowsVersion(const wchar_t* version) {
    if (const wchar_t* mine = childWindowsVersion()) {
        EXPECT_STREQ(mine, version) << "a child of another version ran this test";
        return true;
    }
    const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    std::wstring filter = L"--gtest_filter=" + std::wstring(name.begin(), name.end());
    SetEnvironmentVariableW(kChildVariable, version);
    ProcessOutcome child = runAsWindows(version, selfPath(), filter);
    SetEnvironmentVariableW(kChildVariable, nullptr);
    EXPECT_EQ(child.exitCode, 0u) << "the test as " << utf8(version) << " failed:\n" << child.out << child.err;
    // A filter that matched nothing passes too; make sure the test ran.
    EXPECT_NE(child.out.find("[  PASSED  ] 1 test"), std::string::npos) << child.out;
    return false;
}

}  // namespace elktest
