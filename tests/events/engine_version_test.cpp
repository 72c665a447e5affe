// The virus-definition version that the engine loader reports, as the
// submission records it ("VPS " in the spool file), set through the loader's
// settings file.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>

#include "include/elkBase.h"
#include "support/files.h"
#include "support/library.h"

namespace {

class EngineVersion : public elktest::LibraryTest {
protected:
    void SetUp() override {
        tree.addProgramFile(L"ozrEngLdr.dll");
        start(ELK_INIT_LIGHT | ELK_INIT_NO_LOCALES);
    }
    void TearDown() override {
        SetEnvironmentVariableW(L"TARVO_ENGLDR_FAIL_INFO", nullptr);
        LibraryTest::TearDown();
    }

    std::wstring spool() const { return tree.data() + L"\\spool\\suspic"; }

    // The "VPS " record of one manual submission from memory; nullopt when the
    // spool file has none. The spool file is removed again.
    std::optional<DWORD> submittedVersion() {
        static const BYTE sample[] = "sample";
        SubmitFileInfo info = {nullptr, L"C:\\sample.bin", nullptr, sample, sizeof sample};
        EXPECT_EQ(0u, basSubmitFile(&info, nullptr, ELK_SUBMIT_MANUAL, 0, 0, nullptr, nullptr, 0));
        WIN32_FIND_DATAW found;
        HANDLE find = FindFirstFileW((spool() + L"\\*.suspic").c_str(), &found);
        if (find == INVALID_HANDLE_VALUE) {
            ADD_FAILURE() << "no spool file";
            return std::nullopt;
        }
        FindClose(find);
        const std::wstring file = spool() + L"\\" + found.cFileName;
        const std::string bytes = elktest::readFile(file);
        DeleteFileW(file.c_str());
        // Signature, then tag (4), length (4, little-endian), data.
        std::optional<DWORD> version;
        for (size_t at = 4; at + 8 <= bytes.size();) {
            DWORD length;
            std::memcpy(&length, bytes.data() + at + 4, 4);
            if (bytes.compare(at, 4, "VPS ") == 0 && length == 4 && at + 12 <= bytes.size()) {
                DWORD value;
                std::memcpy(&value, bytes.data() + at + 8, 4);
                version = value;
            }
            at += 8 + static_cast<size_t>(length);
        }
        return version;
    }
};

TEST_F(EngineVersion, RecordedAsTheLoaderReportsIt) {
    const struct {
        const wchar_t* setting;  // [Definitions] Version; null: no key
        const wchar_t* failure;  // TARVO_ENGLDR_FAIL_INFO
        std::optional<DWORD> recorded;
    } rows[] = {
        /* 0 */ {L"0x07DA0C1F", nullptr, 0x07DA0C1Fu},
        /* 1 */ {L"4294967295", nullptr, 0xFFFFFFFFu},
        /* 2 */ {L"1", nullptr, 1u},
        // Version 0 is "unknown" and leaves the record out, as do a missing or
        // unreadable setting and a loader that fails.
        /* 3 */ {L"0", nullptr, std::nullopt},
        /* 4 */ {nullptr, nullptr, std::nullopt},
        /* 5 */ {L"v12", nullptr, std::nullopt},
        /* 6 */ {L"0x07DA0C1F", L"1168", std::nullopt},
    };
    const std::wstring settings = tree.data() + L"\\ozrEngLdr.ini";
    for (size_t i = 0; i < std::size(rows); ++i) {
        WritePrivateProfileStringW(L"Definitions", L"Version", rows[i].setting, settings.c_str());
        SetEnvironmentVariableW(L"TARVO_ENGLDR_FAIL_INFO", rows[i].failure);
        EXPECT_EQ(rows[i].recorded, submittedVersion()) << "row " << i;
    }
}

TEST_F(EngineVersion, NoRecordWithoutTheLoader) {
    WritePrivateProfileStringW(L"Definitions", L"Version", L"77", (tree.data() + L"\\ozrEngLdr.ini").c_str());
    ASSERT_EQ(std::optional<DWORD>(77), submittedVersion());
    ASSERT_TRUE(DeleteFileW((tree.program() + L"\\ozrEngLdr.dll").c_str()));
    EXPECT_EQ(std::nullopt, submittedVersion());
}

}  // namespace
