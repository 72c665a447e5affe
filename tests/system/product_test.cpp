// Edition and components from the setup files of temporary installations.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "base/suite/ozrCmnBS.h"
#include "include/elkBase.h"
#include "support/library.h"

namespace {

using elktest::InstallTree;

void writeIni(const std::wstring& file, const wchar_t* section, const wchar_t* key, const wchar_t* value) {
    ASSERT_TRUE(WritePrivateProfileStringW(section, key, value, file.c_str())) << GetLastError();
}

class Product : public elktest::LibraryTest {
protected:
    void SetUp() override {
        start(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
        ASSERT_TRUE(CreateDirectoryW((tree.program() + L"\\setup").c_str(), nullptr));
    }

    // The setup writes the folder as "setup" and names it "Setup" elsewhere.
    std::wstring setupIni() const { return tree.program() + L"\\setup\\setup.ini"; }
    std::wstring componentsIni() const { return tree.program() + L"\\Setup\\Components.ini"; }

    // Replaces the edition and the groups of setup.ini; a null edition leaves the key out.
    void writeSetup(const wchar_t* edition, const std::vector<std::wstring>& groups) {
        writeIni(setupIni(), L"Common", nullptr, nullptr);
        writeIni(setupIni(), L"Groups", nullptr, nullptr);
        if (edition) writeIni(setupIni(), L"Common", L"Edition", edition);
        for (size_t i = 0; i < groups.size(); ++i)
            writeIni(setupIni(), L"Groups", (L"Group" + std::to_wstring(i + 1)).c_str(), groups[i].c_str());
    }
};

TEST_F(Product, EditionFromSetupOrGroups) {
    struct Row {
        const wchar_t* edition;  // null: no "Edition" key
        std::vector<std::wstring> groups;
        DWORD product, filesOnly;
    };
    const Row rows[] = {
        // A valid edition wins without a look at the groups.
        /* 0 */ {L"1", {L"zis_fw"}, 0, 2},
        /* 1 */ {L"2", {}, 1, 0},
        /* 2 */ {L"3", {}, 2, 0},
        // Anything else falls back to the groups.
        /* 3 */ {L"4", {L"zis_pro"}, 1, 1},
        /* 4 */ {L"0", {L"zis_scr_sh"}, 1, 1},
        /* 5 */ {L"-1", {L"zis_spm_sh"}, 2, 2},
        /* 6 */ {L"abc", {L"zis_fw"}, 2, 2},
        /* 7 */ {nullptr, {L"zis_pro", L"zis_fw"}, 2, 2},
        /* 8 */ {nullptr, {L"ZIS_PRO"}, 1, 1},
        /* 9 */ {nullptr, {L"zis_av", L"Zis_Scr_Sh", L"zis_mail"}, 1, 1},
        /* 10 */ {nullptr, {L"zis_av"}, 0, 0},
        /* 11 */ {nullptr, {}, 0, 0},
        // A group name longer than the 63 characters read decides nothing but
        // does not end the list.
        /* 12 */ {nullptr, {std::wstring(100, L'x') + L"zis_fw", L"zis_fw"}, 2, 2},
        /* 13 */ {nullptr, {L"zis_fw" + std::wstring(100, L'x'), L"zis_pro"}, 1, 1},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        writeSetup(rows[i].edition, rows[i].groups);
        EXPECT_EQ(basProductInfo(), rows[i].product) << "row " << i;
        EXPECT_EQ(basProductInfoFilesOnly(), rows[i].filesOnly) << "row " << i;
    }
}

TEST_F(Product, GroupScanStopsAtTheFirstGap) {
    // Group 2 missing: group 3 is never read.
    writeIni(setupIni(), L"Groups", L"Group1", L"zis_pro");
    writeIni(setupIni(), L"Groups", L"Group3", L"zis_fw");
    EXPECT_EQ(basProductInfoFilesOnly(), 1u);
    EXPECT_EQ(basProductInfo(), 1u);
    // No group 1: nothing is read.
    writeIni(setupIni(), L"Groups", L"Group1", nullptr);
    writeIni(setupIni(), L"Groups", L"Group2", L"zis_fw");
    EXPECT_EQ(basProductInfoFilesOnly(), 0u);
    // An empty value ends the list like a missing key.
    writeIni(setupIni(), L"Groups", L"Group1", L"");
    EXPECT_EQ(basProductInfoFilesOnly(), 0u);
}

TEST_F(Product, NoSetupFile) {
    EXPECT_EQ(basProductInfo(), 0u);
    EXPECT_EQ(basProductInfoFilesOnly(), 0u);
}

TEST_F(Product, ComponentInstalled) {
    EXPECT_EQ(basIsComponentInstalled(L"Scanner"), 0u) << "no Components.ini";
    writeIni(componentsIni(), L"Scanner", L"Installed", L"1");
    writeIni(componentsIni(), L"Firewall", L"Installed", L"0");
    writeIni(componentsIni(), L"Updater", L"Installed", L"2");
    writeIni(componentsIni(), L"Mail", L"Version", L"5.0");
    const std::pair<const wchar_t*, UINT> rows[] = {
        /* 0 */ {L"Scanner", 1}, /* 1 */ {L"Firewall", 0}, /* 2 */ {L"Updater", 2},
        /* 3 */ {L"Mail", 0},    /* 4 */ {L"Absent", 0},   /* 5 */ {L"", 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(basIsComponentInstalled(rows[i].first), rows[i].second) << "row " << i;

    // Read again at every call.
    writeIni(componentsIni(), L"Scanner", L"Installed", L"0");
    EXPECT_EQ(basIsComponentInstalled(L"Scanner"), 0u);

    SetLastError(0xdeadbeef);
    EXPECT_EQ(basIsComponentInstalled(nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

// A program folder so deep that "setup\setup.ini" no longer fits 260
// characters: the cut path names another file, which must not be read.
TEST(ProductLongPath, CutPathIsNotRead) {
    InstallTree tree;
    std::wstring program = tree.program();
    const size_t depth = MAX_PATH - 12;  // the longest folder CreateDirectoryW makes
    while (program.size() + 2 <= depth) {
        program += L"\\" + std::wstring(std::min<size_t>(40, depth - program.size() - 1), L'p');
        ASSERT_TRUE(CreateDirectoryW(program.c_str(), nullptr)) << program.size();
    }
    ASSERT_TRUE(CreateDirectoryW((program + L"\\setup").c_str(), nullptr));
    std::wstring cut = (program + L"\\setup\\setup.ini").substr(0, MAX_PATH - 1);
    writeIni(cut, L"Common", L"Edition", L"3");
    writeIni(cut, L"Groups", L"Group1", L"zis_fw");
    std::wstring components = (program + L"\\Setup\\Components.ini").substr(0, MAX_PATH - 1);
    writeIni(components, L"Scanner", L"Installed", L"1");
    // The trap is live: an unchecked composition names exactly these files.
    wchar_t composed[MAX_PATH];
    basCreatePath(program.c_str(), L"setup\\setup.ini", composed, MAX_PATH);
    ASSERT_EQ(std::wstring(composed), cut);
    ASSERT_EQ(GetPrivateProfileIntW(L"Common", L"Edition", 0, composed), 3u);

    // The library's start-up would fail on the language path here; only the
    // base library needs to know the folders.
    tree.point(program, tree.data());
    ASSERT_EQ(cmnbInit(1), 0u);
    ASSERT_EQ(std::wstring(fsGetTarvoProgramPath()), program);
    EXPECT_EQ(basProductInfo(), 0u);
    EXPECT_EQ(basProductInfoFilesOnly(), 0u);
    EXPECT_EQ(basIsComponentInstalled(L"Scanner"), 0u);
    cmnbFree(0);
}

}  // namespace
