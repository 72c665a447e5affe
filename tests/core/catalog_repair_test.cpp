#include "maint/core/catalog_repair.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using elk::LibraryVerdict;

TEST(CatalogEntryName, TwelveDigits) {
    EXPECT_EQ(elk::catalogEntryName(1), u"000000000001");
    EXPECT_EQ(elk::catalogEntryName(0), u"000000000000");
    EXPECT_EQ(elk::catalogEntryName(4294967295u), u"004294967295");
}

// Entries as a map from name to the entry that was first there under some
// name, so that each move can be followed; failures on demand.
class FakeKeys : public elk::CatalogKeys {
public:
    std::map<std::u16string, std::u16string> entries;
    std::set<std::u16string> failRemove, failRename, leaveCopy;  // leaveCopy: a failed rename leaves both keys

    uint32_t remove(const std::u16string& name) override {
        if (!entries.count(name)) ADD_FAILURE() << "removing an absent entry";
        if (failRemove.count(name)) return 5;
        entries.erase(name);
        return 0;
    }
    uint32_t rename(const std::u16string& from, const std::u16string& to) override {
        if (entries.count(to)) ADD_FAILURE() << "a rename onto a taken name";
        if (failRename.count(from)) {
            if (leaveCopy.count(from)) entries[to] = entries[from];
            return 5;
        }
        entries[to] = entries[from];
        entries.erase(from);
        return 0;
    }
    bool exists(const std::u16string& name) override { return entries.count(name) != 0; }
};

struct Row {
    std::vector<std::pair<std::u16string, LibraryVerdict>> before;
    std::set<std::u16string> failRemove, failRename, leaveCopy;
    std::map<std::u16string, std::u16string> after;  // name -> the entry first there
    size_t remaining;
    uint32_t status;
};

constexpr auto P = LibraryVerdict::Present;
constexpr auto M = LibraryVerdict::Missing;
constexpr auto U = LibraryVerdict::Unjudged;
const std::u16string n1 = u"000000000001", n2 = u"000000000002", n3 = u"000000000003", n5 = u"000000000005",
                     n9 = u"000000000009", n0 = u"000000000000", n4 = u"000000000004";

TEST(CatalogRepair, RemovesAndRenumbersWithoutOverwriting) {
    const Row rows[] = {
        /* 0 the second of three gone */
        {{{n1, P}, {n2, M}, {n3, P}}, {}, {}, {}, {{n1, n1}, {n2, n3}}, 2, 0},
        /* 1 gaps closed, in order */
        {{{n9, P}, {n1, P}, {n5, P}}, {}, {}, {}, {{n1, n1}, {n2, n5}, {n3, n9}}, 3, 0},
        /* 2 an entry numbered 0 moves onto 1 only after 1 has moved on */
        {{{n0, P}, {n1, P}}, {}, {}, {}, {{n1, n0}, {n2, n1}}, 2, 0},
        /* 3 a name that is a number but not twelve digits gets its full name */
        {{{u"2", P}, {n3, P}}, {}, {}, {}, {{n1, n3}, {n2, u"2"}}, 2, 0},
        /* 4 a name that is no number at all */
        {{{u"x", P}, {n2, M}}, {}, {}, {}, {{n1, u"x"}}, 1, 0},
        /* 5 an unjudged entry stays and is counted like a live one */
        {{{n1, M}, {n2, U}, {n3, P}}, {}, {}, {}, {{n1, n2}, {n2, n3}}, 2, 0},
        /* 6 an entry that could not be removed stays and is counted */
        {{{n1, M}, {n2, P}}, {n1}, {}, {}, {{n1, n1}, {n2, n2}}, 2, 0},
        /* 7 a failed rename keeps its name; the later ones still move to free names */
        {{{n1, P}, {n5, P}, {n9, P}}, {}, {n5}, {}, {{n1, n1}, {n5, n5}, {n3, n9}}, 3, 0},
        /* 8 a failed rename blocks a move onto the name it keeps */
        {{{n0, P}, {n1, P}}, {}, {n1}, {}, {{n0, n0}, {n1, n1}}, 2, 5},
        /* 9 a failed rename that left both keys: both are counted */
        {{{n3, P}, {n4, P}}, {}, {n3}, {n3}, {{n1, n3}, {n3, n3}, {n2, n4}}, 3, 0},
        /* 10 nothing to do */
        {{}, {}, {}, {}, {}, 0, 7},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& row = rows[i];
        FakeKeys keys;
        std::vector<std::u16string> names;
        std::map<std::u16string, LibraryVerdict> verdicts;
        for (const auto& [name, verdict] : row.before) {
            keys.entries[name] = name;
            names.push_back(name);
            verdicts[name] = verdict;
        }
        keys.failRemove = row.failRemove;
        keys.failRename = row.failRename;
        keys.leaveCopy = row.leaveCopy;
        std::vector<std::u16string> judged;
        auto judge = [&](const std::u16string& name) {
            judged.push_back(name);
            return elk::Judgement{verdicts.at(name), verdicts.at(name) == U ? 2u : 0u};
        };
        const elk::RepairOutcome outcome = elk::repairCatalog(names, judge, keys, 7);
        EXPECT_EQ(keys.entries, row.after) << "row " << i;
        EXPECT_EQ(outcome.listed, row.before.size()) << "row " << i;
        EXPECT_EQ(outcome.remaining, row.remaining) << "row " << i;
        EXPECT_EQ(outcome.remaining, keys.entries.size()) << "row " << i;
        EXPECT_EQ(outcome.status, row.status) << "row " << i;
        EXPECT_TRUE(std::is_sorted(judged.begin(), judged.end())) << "row " << i;
        EXPECT_EQ(judged.size(), row.before.size()) << "row " << i;
    }
}

// The status is the last step's: a failed path read, removal or rename at the end shows.
TEST(CatalogRepair, StatusOfTheLastStep) {
    FakeKeys keys;
    keys.entries = {{n1, n1}, {n2, n2}};
    keys.failRemove = {n2};
    auto judge = [&](const std::u16string& name) {
        return elk::Judgement{name == n2 ? M : U, name == n2 ? 0u : 2u};
    };
    EXPECT_EQ(elk::repairCatalog({n1, n2}, judge, keys, 0).status, 5u);
    keys.failRemove.clear();
    EXPECT_EQ(elk::repairCatalog({n1, n2}, judge, keys, 0).status, 0u);
    EXPECT_EQ(keys.entries.size(), 1u);
    EXPECT_EQ(elk::repairCatalog({n1}, judge, keys, 0).status, 2u);
}

}  // namespace
