// The management agent's library, loaded by its plain export names as the
// library's callers load it.
#include "base/suite/Pemx4h.h"
#include "support/guarded.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

class Agent : public testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(L"Pemx4h.dll");
        ASSERT_NE(nullptr, module_);
        start = reinterpret_cast<PemxStartFn>(reinterpret_cast<void*>(GetProcAddress(module_, "PemxStart")));
        stop = reinterpret_cast<PemxStopFn>(reinterpret_cast<void*>(GetProcAddress(module_, "PemxStop")));
        format =
            reinterpret_cast<PemxFormatErrorFn>(reinterpret_cast<void*>(GetProcAddress(module_, "PemxFormatError")));
        ASSERT_TRUE(start && stop && format);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    // The text of `code` in a session of its own; the buffer keeps a canary
    // behind the stated size.
    std::wstring textOf(DWORD code, DWORD* result = nullptr) {
        DWORD session = 0;
        EXPECT_EQ(0u, start("127.0.0.1", 0, &session));
        elktest::GuardedText out(PEMX_TEXT_MAX, L'\xCCCC', 64);
        DWORD rc = format(code, 0, out.data());
        if (result) *result = rc;
        EXPECT_TRUE(out.intact()) << "written past " << PEMX_TEXT_MAX << " characters";
        EXPECT_EQ(0u, stop(session));
        return out.text();
    }

    PemxStartFn start = nullptr;
    PemxStopFn stop = nullptr;
    PemxFormatErrorFn format = nullptr;

private:
    HMODULE module_ = nullptr;
};

}  // namespace

TEST_F(Agent, KnownCodesHaveTexts) {
    const DWORD codes[] = {0x80046100, 0x80046101, 0x80046200, 0x80046400,
                           0x80004004, 0x8007000E, 0x80070057, 0x80070005};
    bool someHaveLines = false;
    for (DWORD code : codes) {
        DWORD rc = 1;
        std::wstring text = textOf(code, &rc);
        EXPECT_EQ(0u, rc) << std::hex << code;
        // What a caller shows is the first line; it must say something.
        std::wstring firstLine = text.substr(0, text.find_first_of(L"\r\n"));
        EXPECT_FALSE(firstLine.empty()) << std::hex << code;
        someHaveLines |= firstLine.size() != text.size();
    }
    EXPECT_TRUE(someHaveLines);
}

TEST_F(Agent, UnknownCodesLeaveTheTextEmpty) {
    for (DWORD code : {0x800460FFu, 0x80046401u, 0x80046150u, 0u, 5u, 0x7FFF0003u}) {
        DWORD rc = 0;
        EXPECT_EQ(L"", textOf(code, &rc)) << std::hex << code;
        EXPECT_EQ(static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND), rc) << std::hex << code;
    }
}

TEST_F(Agent, FormatterServesOnlyOpenSessions) {
    wchar_t out[PEMX_TEXT_MAX] = L"stale";
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), format(0x80046100, 0, out));
    EXPECT_STREQ(L"", out);

    DWORD first = 0, second = 0;
    ASSERT_EQ(0u, start("localhost", 0, &first));
    ASSERT_EQ(0u, start("127.0.0.1", 0, &second));
    EXPECT_NE(0u, first);
    EXPECT_NE(first, second);
    EXPECT_EQ(0u, stop(first));
    EXPECT_EQ(0u, format(0x80046100, 0, out));
    EXPECT_STRNE(L"", out);
    EXPECT_EQ(0u, stop(second));
    EXPECT_EQ(static_cast<DWORD>(ERROR_NOT_READY), format(0x80046100, 0, out));
    EXPECT_EQ(87u, format(0x80046100, 0, nullptr));
}

TEST_F(Agent, StartAndStopRefuseBadArguments) {
    DWORD session = 7;
    EXPECT_EQ(87u, start(nullptr, 0, &session));
    EXPECT_EQ(0u, session);
    for (const char* host : {"", "two words", "host/path"}) EXPECT_EQ(87u, start(host, 0, &session)) << host;
    EXPECT_EQ(87u, start("127.0.0.1", 0, nullptr));
    EXPECT_EQ(87u, start(std::string(256, 'h').c_str(), 0, &session));

    EXPECT_EQ(87u, stop(0));
    EXPECT_EQ(87u, stop(0xFFFF0000));
    ASSERT_EQ(0u, start("127.0.0.1", 0, &session));
    EXPECT_EQ(0u, stop(session));
    EXPECT_EQ(87u, stop(session));
}
