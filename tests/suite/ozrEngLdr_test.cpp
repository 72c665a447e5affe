// The engine loader's stand-in, loaded by its plain names as the library loads
// it: handles, the one engine module, and the information record.
#include "base/suite/ozrCmnBS.h"
#include "base/suite/ozrEngLdr.h"
#include "suite_test.h"

#include <gtest/gtest.h>

namespace {

template <typename Fn>
Fn entry(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

class EngineLoader : public testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(L"ozrEngLdr.dll");
        ASSERT_NE(nullptr, module_);
        create = entry<AvldrCreateHandleFn>(module_, "avldrCreateHandle");
        load = entry<AvldrLoadModuleFn>(module_, "avldrLoadModule");
        schedule = entry<BtsScheduleFn>(module_, "BtsSchedule");
        close = entry<AvldrCloseModuleFn>(module_, "avldrCloseModule");
        info = entry<AvldrGetEngineInformationFn>(module_, "avldrGetEngineInformation");
        ASSERT_TRUE(create && load && schedule && close && info);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    AvldrCreateHandleFn create = nullptr;
    AvldrLoadModuleFn load = nullptr;
    BtsScheduleFn schedule = nullptr;
    AvldrCloseModuleFn close = nullptr;
    AvldrGetEngineInformationFn info = nullptr;

private:
    HMODULE module_ = nullptr;
};

}  // namespace

TEST_F(EngineLoader, RequestsNeedAnOpenHandleWithTheModule) {
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, create(1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());

    AVLDR_HANDLE first = create(0), second = create(0);
    ASSERT_TRUE(first && second);
    EXPECT_NE(first, second);
    EXPECT_EQ(static_cast<DWORD>(ERROR_MOD_NOT_FOUND), load(first, 34, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), load(first, AVLDR_MODULE_BTS, 1));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), schedule(first, BTS_REQUEST_ASK, 0, 0));
    ASSERT_EQ(0u, load(first, AVLDR_MODULE_BTS, 0));
    // Modules belong to the handle that loaded them.
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), schedule(second, BTS_REQUEST_ASK, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), schedule(first, 3, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), schedule(first, BTS_REQUEST_ASK, 0, 1));

    EXPECT_EQ(0u, close(first, 0, 0));
    EXPECT_EQ(0u, close(second, 0, 0));
    // A closed handle is no handle any more, nor is one never handed out.
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), close(first, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), load(first, AVLDR_MODULE_BTS, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), schedule(first, BTS_REQUEST_ASK, 0, 0));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), schedule(nullptr, BTS_REQUEST_ASK, 0, 0));
}

TEST_F(EngineLoader, InformationRecordCarriesTheDefinitionsVersion) {
    suitetest::TempFolder data;
    SetEnvironmentVariableW(L"TARVO_DATA_PATH", data.path().c_str());
    ASSERT_EQ(0u, cmnbInit(1));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Definitions", L"Version", L"0x07DA0C1F",
                                           (data / L"ozrEngLdr.ini").c_str()));

    // Only the first field is the loader's; the rest stays as the caller left it.
    elktest::Guarded<BYTE> record(sizeof(AVLDR_ENGINE_INFO));
    ASSERT_EQ(0u, info(nullptr, record.data(), AVLDR_INFO_ENGINE));
    const std::vector<BYTE> bytes = record.written();
    EXPECT_EQ("1f0cda07", suitetest::hex(bytes.data(), 4));
    EXPECT_EQ(std::vector<BYTE>(36, 0xCC), std::vector<BYTE>(bytes.begin() + 4, bytes.end()));
    EXPECT_TRUE(record.intact());

    AVLDR_ENGINE_INFO out = {};
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), info(nullptr, &out, 2));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), info(nullptr, nullptr, AVLDR_INFO_ENGINE));
    AVLDR_HANDLE handle = create(0);
    EXPECT_EQ(0u, info(handle, &out, AVLDR_INFO_ENGINE));
    EXPECT_EQ(0x07DA0C1Fu, out.definitionsVersion);
    close(handle, 0, 0);
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_HANDLE), info(handle, &out, AVLDR_INFO_ENGINE));

    SetEnvironmentVariableW(L"TARVO_DATA_PATH", nullptr);
    cmnbInit(1);
}
