// Other makers' anti-virus products, from real service keys, driver files and
// device names of a Wine prefix run as Windows XP and as Windows 7.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "base/handles.h"
#include "include/elkBase.h"
#include "support/files.h"
#include "support/library.h"
#include "support/process.h"
#include "support/winversion.h"

namespace {

const std::wstring kNorton = L"Norton Antivirus / Symantec Antivirus";
const std::wstring kAvira = L"AVIRA (H+BEDV) AntiVir";

std::wstring serviceKey(const std::wstring& name) { return L"System\\CurrentControlSet\\Services\\" + name; }

// A service key of the machine for one test: its "ImagePath" as the test
// sets it, and afterwards what the registry held before (no key at all, or
// the key with its old value or without one).
class ServiceKey {
public:
    explicit ServiceKey(std::wstring name) : name_(std::move(name)) {
        elk::UniqueKey key;
        existed_ = RegOpenKeyExW(HKEY_LOCAL_MACHINE, serviceKey(name_).c_str(), 0, KEY_QUERY_VALUE, key.put()) == 0;
        if (!existed_) return;
        DWORD bytes = 0;
        if (RegQueryValueExW(key.get(), L"ImagePath", nullptr, &type_, nullptr, &bytes) != 0) return;
        old_.emplace(bytes);
        if (RegQueryValueExW(key.get(), L"ImagePath", nullptr, &type_, old_->data(), &bytes) != 0) old_.reset();
    }
    ~ServiceKey() {
        if (!existed_) {
            RegDeleteKeyW(HKEY_LOCAL_MACHINE, serviceKey(name_).c_str());
            return;
        }
        elk::UniqueKey key;
        if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, serviceKey(name_).c_str(), 0, KEY_SET_VALUE, key.put()) != 0) return;
        if (old_)
            RegSetValueExW(key.get(), L"ImagePath", 0, type_, old_->data(), static_cast<DWORD>(old_->size()));
        else
            RegDeleteValueW(key.get(), L"ImagePath");
    }
    ServiceKey(const ServiceKey&) = delete;
    ServiceKey& operator=(const ServiceKey&) = delete;

    // The value as `type`, with its terminator unless `terminated` is false;
    // no value at all for a null `image`.
    void set(const wchar_t* image, DWORD type = REG_EXPAND_SZ, bool terminated = true) {
        elk::UniqueKey key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, serviceKey(name_).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                  nullptr, key.put(), nullptr),
                  0);
        if (!image) {
            RegDeleteValueW(key.get(), L"ImagePath");
            return;
        }
        DWORD bytes = static_cast<DWORD>((wcslen(image) + (terminated ? 1 : 0)) * sizeof(wchar_t));
        ASSERT_EQ(RegSetValueExW(key.get(), L"ImagePath", 0, type, reinterpret_cast<const BYTE*>(image), bytes), 0);
    }

private:
    std::wstring name_;
    bool existed_ = false;
    DWORD type_ = 0;
    std::optional<std::vector<BYTE>> old_;
};

// A folder or file the test makes in a system folder, removed afterwards.
class Created {
public:
    explicit Created(std::wstring path) : path_(std::move(path)) {}
    ~Created() {
        if (!DeleteFileW(path_.c_str())) elktest::removeTree(path_);
    }
    Created(const Created&) = delete;
    Created& operator=(const Created&) = delete;
    const std::wstring& path() const { return path_; }

private:
    std::wstring path_;
};

std::wstring windowsFolder() {
    wchar_t path[MAX_PATH];
    UINT n = GetWindowsDirectoryW(path, MAX_PATH);
    return std::wstring(path, n);
}

std::wstring systemFolder() {
    wchar_t path[MAX_PATH];
    UINT n = GetSystemDirectoryW(path, MAX_PATH);
    return std::wstring(path, n);
}

// A DOS device name that the library opens as "\\.\NAME": a link to a named
// pipe of the test (with instances enough for every open), a device object
// that Wine opens through such a link. Removed afterwards.
class DosDevice {
public:
    explicit DosDevice(const wchar_t* name) : name_(name) {
        const std::wstring pipe = L"elk-av-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
        for (auto& instance : instances_)
            instance.reset(CreateNamedPipeW((L"\\\\.\\pipe\\" + pipe).c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE,
                                            PIPE_UNLIMITED_INSTANCES, 0, 0, 0, nullptr));
        defined_ = instances_[0] &&
                   DefineDosDeviceW(DDD_RAW_TARGET_PATH, name, (L"\\Device\\NamedPipe\\" + pipe).c_str()) != 0;
    }
    ~DosDevice() {
        if (defined_) DefineDosDeviceW(DDD_REMOVE_DEFINITION, name_, nullptr);
    }
    DosDevice(const DosDevice&) = delete;
    DosDevice& operator=(const DosDevice&) = delete;
    explicit operator bool() const { return defined_; }

private:
    const wchar_t* name_;
    elk::UniqueFile instances_[8];
    bool defined_;
};

constexpr wchar_t kCanary = L'#';

struct Answer {
    BOOL result;
    std::wstring product;  // what the buffer holds up to its first terminator
    bool bounded;          // nothing written past the product and its terminator
};

Answer ask() {
    wchar_t buffer[64];
    std::fill(std::begin(buffer), std::end(buffer), kCanary);
    Answer a;
    a.result = basIsOtherAVInstalled(buffer);
    size_t end = 0;
    while (end < ARRAYSIZE(buffer) && buffer[end] != L'\0') ++end;
    bool untouched = std::all_of(std::begin(buffer), std::end(buffer), [](wchar_t c) { return c == kCanary; });
    a.product = untouched ? L"(untouched)" : std::wstring(buffer, end);
    a.bounded = untouched || (end < 38 && std::all_of(buffer + end + 1, std::end(buffer),
                                                        [](wchar_t c) { return c == kCanary; }));
    return a;
}

class OtherAV : public elktest::LibraryTest {
protected:
    void SetUp() override { start(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES); }
    elktest::TempFolder folder{L"elk-av"};
};

TEST_F(OtherAV, ServicesByTheirDriverFilesOnXP) {
    if (!elktest::inWindowsVersion(L"winxp")) return;
    ASSERT_TRUE(basIsOS(ELK_OS_NT51));
    // A prefix with none of the products, or every row below means nothing.
    ASSERT_FALSE(ask().result) << "the prefix has one of the products already";

    // Below the Windows folder, for the form relative to it.
    Created relative(windowsFolder() + L"\\system32\\elk-av-" + std::to_wstring(GetCurrentProcessId()));
    ASSERT_TRUE(CreateDirectoryW(relative.path().c_str(), nullptr)) << GetLastError();
    const std::wstring relativeName = relative.path().substr(windowsFolder().size() + 1);
    ASSERT_TRUE(elktest::writeFile(relative.path() + L"\\navap.sys", "driver"));
    ASSERT_TRUE(elktest::writeFile(folder / L"avgntflt.sys", "driver"));
    ASSERT_TRUE(SetEnvironmentVariableW(L"ELK_AV_FOLDER", folder.path().c_str()));
    const std::wstring full = folder / L"avgntflt.sys";
    const std::wstring tooLong = L"\\??\\" + folder.path() + L"\\" + std::wstring(300, L'x') + L".sys";

    const struct {
        const wchar_t* service;
        std::optional<std::wstring> image;  // none: no "ImagePath" value
        bool driversFile;                   // make system folder\drivers\<service>.sys
        std::wstring product;               // empty: none found
        DWORD type = REG_EXPAND_SZ;
        bool terminated = true;
    } rows[] = {
        /* 0 */ {L"NAVAP", relativeName + L"\\navap.sys", false, kNorton},
        /* 1 */ {L"NAVAP", L"SYSTEM32\\" + relativeName.substr(9) + L"\\navap.sys", false, kNorton},
        /* 2 */ {L"NAVAP", relativeName + L"\\missing.sys", false, L""},
        /* 3 */ {L"AntiVirService", L"\\??\\" + full, false, kAvira, REG_SZ},
        /* 4 */ {L"AntiVirService", L"\\??\\" + folder.path() + L"\\missing.sys", false, L""},
        /* 5 */ {L"AntiVirService", std::wstring(L"%ELK_AV_FOLDER%\\avgntflt.sys"), false, kAvira},
        /* 6 */ {L"NAVRT", std::wstring(L"%ELK_AV_FOLDER%\\missing.sys"), false, L""},
        /* 7 */ {L"SAVRT", full, false, kNorton, REG_SZ, false},
        /* 8 */ {L"SAVRTPEL", std::nullopt, true, kNorton},
        /* 9 */ {L"SAVRTPEL", std::wstring(), true, kNorton},
        /* 10 */ {L"SAVRTPEL", std::nullopt, false, L""},
        // A path longer than the value's buffer names no file of its own.
        /* 11 */ {L"SAVRTPEL", tooLong, true, L""},
    };
    for (size_t i = 0; i < ARRAYSIZE(rows); ++i) {
        const auto& row = rows[i];
        SCOPED_TRACE(testing::Message() << "row " << i);
        ServiceKey key(row.service);
        key.set(row.image ? row.image->c_str() : nullptr, row.type, row.terminated);
        std::optional<Created> drivers;
        if (row.driversFile) {
            std::wstring path = systemFolder() + L"\\drivers\\" + row.service + L".sys";
            ASSERT_FALSE(elktest::exists(path)) << "the system has the driver file already";
            drivers.emplace(path);
            ASSERT_TRUE(elktest::writeFile(path, "driver"));
        }
        Answer a = ask();
        EXPECT_EQ(a.result, row.product.empty() ? FALSE : TRUE);
        EXPECT_EQ(a.product, row.product.empty() ? L"(untouched)" : row.product);
        EXPECT_TRUE(a.bounded);
    }
}

TEST_F(OtherAV, LaterServicesStillCountAndNullBufferOnXP) {
    if (!elktest::inWindowsVersion(L"winxp")) return;
    // The first service's driver is missing; the table goes on to the next.
    ServiceKey navap(L"NAVAP"), antivir(L"AntiVirService");
    navap.set((L"\\??\\" + (folder / L"missing.sys")).c_str());
    ASSERT_TRUE(elktest::writeFile(folder / L"avguard.sys", "driver"));
    antivir.set((L"\\??\\" + (folder / L"avguard.sys")).c_str());
    Answer a = ask();
    EXPECT_TRUE(a.result);
    EXPECT_EQ(a.product, kAvira);
    EXPECT_TRUE(basIsOtherAVInstalled(nullptr));
}

// Under Wine 8 only some names resolve through such a link (of the table's,
// "AVPG" does), so the order among devices stays unseen here.
TEST_F(OtherAV, DeviceBeforeServicesOnXP) {
    if (!elktest::inWindowsVersion(L"winxp")) return;
    ASSERT_TRUE(elktest::writeFile(folder / L"avguard.sys", "driver"));
    ServiceKey antivir(L"AntiVirService");
    antivir.set((L"\\??\\" + (folder / L"avguard.sys")).c_str());
    ASSERT_EQ(ask().product, kAvira);
    DosDevice kaspersky(L"AVPG");
    if (!kaspersky) GTEST_SKIP() << "Wine defined no DOS device here: " << GetLastError();
    Answer a = ask();
    EXPECT_TRUE(a.result);
    EXPECT_EQ(a.product, L"Kaspersky Anti-Virus");
    EXPECT_TRUE(a.bounded);
    EXPECT_TRUE(basIsOtherAVInstalled(nullptr));
}

TEST_F(OtherAV, NeverOnNt6) {
    if (!elktest::inWindowsVersion(L"win7")) return;
    ASSERT_TRUE(basIsOS(ELK_OS_NT6));
    ASSERT_TRUE(elktest::writeFile(folder / L"navap.sys", "driver"));
    ServiceKey navap(L"NAVAP");
    navap.set((L"\\??\\" + (folder / L"navap.sys")).c_str());
    DosDevice device(L"SAVRT");
    Answer a = ask();
    EXPECT_FALSE(a.result);
    EXPECT_EQ(a.product, L"(untouched)");
    EXPECT_FALSE(basIsOtherAVInstalled(nullptr));
}

// elkctl other-av answers through its exit code as well as its text.
TEST_F(OtherAV, ElkctlOtherAv) {
    const std::wstring elkctl = [] {
        wchar_t self[MAX_PATH];
        std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
        return path.substr(0, path.find_last_of(L'\\')) + L"\\elkctl.exe";
    }();
    elktest::ProcessOutcome none = elktest::runAsWindows(L"winxp", elkctl, L"other-av");
    EXPECT_EQ(none.exitCode, 1u) << none.out << none.err;
    EXPECT_EQ(none.out, "No other anti-virus product found.\n");

    ASSERT_TRUE(elktest::writeFile(folder / L"navap.sys", "driver"));
    ServiceKey navap(L"NAVAP");
    navap.set((L"\\??\\" + (folder / L"navap.sys")).c_str());
    elktest::ProcessOutcome xp = elktest::runAsWindows(L"winxp", elkctl, L"other-av");
    EXPECT_EQ(xp.exitCode, 0u) << xp.out << xp.err;
    EXPECT_EQ(xp.out, "Other anti-virus product: Norton Antivirus / Symantec Antivirus\n");
    elktest::ProcessOutcome seven = elktest::runAsWindows(L"win7", elkctl, L"other-av");
    EXPECT_EQ(seven.exitCode, 1u) << seven.out << seven.err;

    elktest::ProcessOutcome misused = elktest::runElkctl(L"other-av extra");
    EXPECT_EQ(misused.exitCode, 2u);
    EXPECT_EQ(misused.err, "usage: elkctl other-av\n");
}

}  // namespace
