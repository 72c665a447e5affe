// The event-log entry points answer the same whatever they are given.
#include <windows.h>

#include <gtest/gtest.h>

#include "include/elkBase.h"

namespace {

struct Arguments {
    DWORD a, d, e, f;
    const wchar_t* wide1;
    const wchar_t* wide2;
    const char* narrow1;
    const char* narrow2;
};

// 1 nulls everywhere, 2 texts, 3 extreme numbers, 4 empty and 8-bit texts.
const Arguments kCases[] = {
    {0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr},
    {1, 2, 3, 4, L"Scanner", L"Threat found", "Scanner", "Threat found"},
    {0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0xFFFFFFFF, L"", nullptr, nullptr, "\xE4\xF6\xFC"},
    {100, 0, 0, 0, nullptr, L"", "", ""},
};

TEST(EventLog, FixedAnswersForEveryInput) {
    int row = 0;
    for (const Arguments& c : kCases) {
        SCOPED_TRACE(++row);
        EXPECT_FALSE(basIsEventToLog(c.a, c.d, c.e));
        EXPECT_EQ(basLogEvent(c.a, c.wide1, c.wide2, c.d, c.e, c.f), 50u);
        EXPECT_EQ(basLogEvent2(c.a, c.wide1, c.wide2, c.d, c.e, c.f), 50u);
        EXPECT_EQ(basLogEventA(c.a, c.narrow1, c.narrow2, c.d, c.e, c.f), 50u);
        EXPECT_EQ(basStoreLogEventDirect(c.a, c.d, c.e, c.f), 50u);
    }
}

TEST(EventLog, SecondNameIsTheSameEntryPoint) {
    HMODULE library = GetModuleHandleW(L"elkBase.dll");
    ASSERT_NE(library, nullptr);
    FARPROC first = GetProcAddress(library, "basLogEvent");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(GetProcAddress(library, "basLogEvent2"), first);
}

TEST(EventLog, AnyCategoryIsTaken) {
    for (WORD category : {WORD{0}, WORD{4}, WORD{65535}}) basSetLogCategory(category);
    EXPECT_EQ(basLogEvent(0, nullptr, nullptr, 0, 0, 0), 50u);
}

}  // namespace
