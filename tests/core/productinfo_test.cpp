#include "system/core/productinfo.h"

#include <gtest/gtest.h>

#include <utility>

namespace {

TEST(SetupEdition, OnlyOneToThreeNameAnEdition) {
    EXPECT_EQ(elk::editionFromSetupValue(1), 0u);
    EXPECT_EQ(elk::editionFromSetupValue(2), 1u);
    EXPECT_EQ(elk::editionFromSetupValue(3), 2u);
    for (uint32_t value : {0u, 4u, 0xFFFFFFFFu}) EXPECT_FALSE(elk::editionFromSetupValue(value)) << value;
}

TEST(ComponentGroups, EditionOfEachGroup) {
    const std::pair<const char16_t*, uint32_t> rows[] = {
        /* 0 */ {u"zis_fw", 2},      /* 1 */ {u"zis_spm_sh", 2}, /* 2 */ {u"ZIS_FW", 2},
        /* 3 */ {u"zis_scr_sh", 1},  /* 4 */ {u"zis_pro", 1},    /* 5 */ {u"ZIS_PRO", 1},
        /* 6 */ {u"Zis_Scr_Sh", 1},  /* 7 */ {u"zis_av", 0},     /* 8 */ {u"", 0},
        // Whole names only.
        /* 9 */ {u"zis_fw2", 0},     /* 10 */ {u"zis_pr", 0},    /* 11 */ {u" zis_pro", 0},
        // Only ASCII letters fold: a character that folds to 'i' elsewhere does not match.
        /* 12 */ {u"z\u0130s_pro", 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(elk::editionOfGroup(rows[i].first), rows[i].second) << "row " << i;
}

}  // namespace
