// Statements: property bindings as the back-ends read them.
#include <gtest/gtest.h>
#include <malloc.h>

#include <cstddef>
#include <string>

#include "include/elkBase.h"

namespace {

TEST(Statement, BindingsAreRecordsInAPointerArray) {
    CMyPtrArray* statement = basCreateStatement();
    ASSERT_NE(statement, nullptr);
    EXPECT_EQ(statement->GetGrow(), 10u);
    EXPECT_EQ(basGetPropCount(statement), 0u);

    EXPECT_EQ(basBindProp(statement, L"Name", 1, 0x1000), 0u);
    EXPECT_EQ(basBindProp(statement, L"Size", 2, 0x2000), 0u);
    EXPECT_EQ(basBindProp(statement, L"Time", 3, 0x3000), 0u);
    EXPECT_EQ(basGetPropCount(statement), 3u);

    DWORD first = 0;
    DWORD_PTR second = 0;
    const wchar_t* name = basGetProp(statement, 1, &first, &second);
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name, L"Size");
    EXPECT_EQ(first, 2u);
    EXPECT_EQ(second, 0x2000u);

    // What a back-end sees: the element is the record, one runtime-heap block
    // of the two values, the name and two spare bytes.
    const auto* record = static_cast<const ELK_PROP_RECORD*>(statement->GetAt(1));
    EXPECT_EQ(record->first, 2u);
    EXPECT_EQ(record->second, 0x2000u);
    EXPECT_EQ(name, record->name);
    EXPECT_EQ(_msize(const_cast<ELK_PROP_RECORD*>(record)), offsetof(ELK_PROP_RECORD, name) + 4 * 2 + 2 + 2);
#ifndef _WIN64
    EXPECT_EQ(_msize(const_cast<ELK_PROP_RECORD*>(record)), 4u * 2 + 12) << "the 32-bit record layout";
#endif

    // Outputs are optional; an index past the end reads nothing.
    EXPECT_STREQ(basGetProp(statement, 2, nullptr, nullptr), L"Time");
    SetLastError(0xdeadbeef);
    EXPECT_EQ(basGetProp(statement, 3, &first, &second), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_EQ(first, 2u);
    EXPECT_EQ(basGetProp(nullptr, 0, &first, &second), nullptr);
    EXPECT_EQ(basGetPropCount(nullptr), 0u);

    EXPECT_EQ(basFreeStatement(statement), 0u);
    delete statement;
}

TEST(Statement, BadBindingsAppendNothing) {
    CMyPtrArray* statement = basCreateStatement();
    ASSERT_NE(statement, nullptr);
    const struct {
        CMyPtrArray* statement;
        const wchar_t* name;
        DWORD first;
        DWORD_PTR second;
    } cases[] = {
        /* 0 */ {nullptr, L"a", 1, 1},
        /* 1 */ {statement, nullptr, 1, 1},
        /* 2 */ {statement, L"", 1, 1},
        /* 3 */ {statement, L"a", 0, 1},
        /* 4 */ {statement, L"a", 1, 0},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        EXPECT_EQ(basBindProp(c.statement, c.name, c.first, c.second), static_cast<DWORD>(ERROR_INVALID_PARAMETER))
            << "row " << i;
    }
    EXPECT_EQ(basGetPropCount(statement), 0u);
    EXPECT_EQ(basFreeStatement(statement), 0u);
    delete statement;
}

TEST(Statement, FreeReleasesTheBindingsAndLeavesAnEmptyStatement) {
    CMyPtrArray* statement = basCreateStatement();
    ASSERT_NE(statement, nullptr);
    const std::wstring longName(300, L'p');
    for (int i = 0; i < 25; ++i) ASSERT_EQ(basBindProp(statement, longName.c_str(), i + 1, 7), 0u);
    EXPECT_EQ(basGetPropCount(statement), 25u);

    EXPECT_EQ(basFreeStatement(statement), 0u);
    // Nothing freed is left behind to be read or freed twice.
    EXPECT_EQ(basGetPropCount(statement), 0u);
    EXPECT_EQ(basGetProp(statement, 0, nullptr, nullptr), nullptr);
    EXPECT_EQ(basFreeStatement(statement), 0u);
    // And it takes new bindings.
    EXPECT_EQ(basBindProp(statement, L"again", 1, 1), 0u);
    EXPECT_STREQ(basGetProp(statement, 0, nullptr, nullptr), L"again");
    EXPECT_EQ(basFreeStatement(statement), 0u);
    delete statement;

    EXPECT_EQ(basFreeStatement(nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
